#pragma once
#include "info/DrivePassport.h"

#include <functional>
#include <vector>

namespace korvane::info {

// The groups that react to a new passport (sector view, partitions, seek, SMART, scan, ...)
// register here; the reader publishes each passport once, in the order they registered.
class PassportSubscribers {
public:
    using Reaction = std::function<void(const DrivePassport&)>;
    void subscribe(Reaction reaction) { reactions_.push_back(std::move(reaction)); }
    void publish(const DrivePassport& passport) const {
        for (const auto& r : reactions_) r(passport);
    }
    size_t size() const { return reactions_.size(); }

private:
    std::vector<Reaction> reactions_;
};

} // namespace korvane::info
