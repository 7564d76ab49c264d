#pragma once
#include "sim/Lab.h"

#include <string>

namespace korvane::sim {

// A lab kept in a folder between runs: each drive's media as a sparse image file and its state
// (sizes, security, SMART, defects) in one text file of a known version. A file of
// another version, of another lab, or damaged is refused whole: the lab then stays as built.
class LabStateStore {
public:
    static constexpr const char* kHeader = "korvane lab state 1";
    static constexpr const char* kStateFile = "lab-state.txt";

    // Attaches the media images (made from the built contents the first time) and restores the
    // saved state if there is one. False, with the reason, when the folder or its file is unusable.
    static bool open(Lab& lab, const std::string& dir, std::string& error);
    // Writes the state file (the media are written as the drives are).
    static bool save(const Lab& lab, const std::string& dir, std::string& error);
};

} // namespace korvane::sim
