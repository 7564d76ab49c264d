#include "sim/LabStateStore.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace korvane::sim {

namespace fs = std::filesystem;

namespace {
std::string imagePath(const std::string& dir, size_t i) { return (fs::path(dir) / ("drive-" + std::to_string(i) + ".img")).string(); }
std::string identity(const AtaDevice& d) { return d.profile().model + "|" + d.profile().serial; }
} // namespace

bool LabStateStore::open(Lab& lab, const std::string& dir, std::string& error) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) return error = "the lab state folder " + dir + " cannot be made", false;
    const auto& drives = lab.drives();
    // The saved state, read and checked whole before any drive is touched.
    std::vector<std::string> states(drives.size());
    const fs::path file = fs::path(dir) / kStateFile;
    const bool haveState = fs::exists(file, ec);
    if (haveState) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        if (!std::getline(in, line) || line != kHeader)
            return error = "the lab state in " + dir + " is of another version or damaged; delete the folder to start afresh", false;
        if (!std::getline(in, line) || line != "profile " + lab.profileName)
            return error = "the lab state in " + dir + " is of another lab profile (" + line + ")", false;
        long current = -1;
        while (std::getline(in, line)) {
            if (line.rfind("drive ", 0) == 0) {
                std::istringstream head(line.substr(6));
                size_t index = 0;
                std::string who;
                head >> index;
                std::getline(head >> std::ws, who);
                if (index >= drives.size() || who != identity(*drives[index]))
                    return error = "the lab state in " + dir + " names another drive: " + line, false;
                current = long(index);
            } else if (current >= 0) {
                states[size_t(current)] += line + "\n";
            } else {
                return error = "the lab state in " + dir + " is damaged near: " + line, false;
            }
        }
        for (size_t i = 0; i < drives.size(); ++i)
            if (states[i].empty()) return error = "the lab state in " + dir + " lacks drive " + std::to_string(i), false;
        // Each drive's lines must read before any is applied.
        for (size_t i = 0; i < drives.size(); ++i) {
            AtaDevice probe(drives[i]->profile(), lab.time());
            std::string why;
            if (!probe.restoreKeptState(states[i], why))
                return error = "the lab state of drive " + std::to_string(i) + " is damaged: " + why, false;
        }
    }
    for (size_t i = 0; i < drives.size(); ++i)
        if (!drives[i]->store().attachImage(imagePath(dir, i)))
            return error = "the media image " + imagePath(dir, i) + " cannot be opened", false;
    if (haveState)
        for (size_t i = 0; i < drives.size(); ++i) {
            std::string why;
            drives[i]->restoreKeptState(states[i], why);
        }
    return true;
}

bool LabStateStore::save(const Lab& lab, const std::string& dir, std::string& error) {
    const fs::path file = fs::path(dir) / kStateFile;
    const fs::path tmp = fs::path(dir) / (std::string(kStateFile) + ".new");
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return error = "the lab state cannot be written to " + dir, false;
        out << kHeader << "\n" << "profile " << lab.profileName << "\n";
        const auto& drives = lab.drives();
        for (size_t i = 0; i < drives.size(); ++i)
            out << "drive " << i << " " << identity(*drives[i]) << "\n" << drives[i]->keptState();
        if (!out.flush()) return error = "the lab state cannot be written to " + dir, false;
    }
    std::error_code ec;
    fs::rename(tmp, file, ec);
    if (ec) return error = "the lab state cannot be written to " + dir, false;
    return true;
}

} // namespace korvane::sim
