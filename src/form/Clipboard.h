#pragma once
#include <string>

namespace korvane::form {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

// A clipboard held in memory (tests, and the command line, which prints what was copied).
class MemoryClipboard final : public Clipboard {
public:
    void setText(const std::string& text) override {
        text_ = text;
        ++writes_;
    }
    std::string text() const override { return text_; }
    int writes() const { return writes_; }

private:
    std::string text_;
    int writes_ = 0;
};

} // namespace korvane::form
