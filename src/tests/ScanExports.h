#pragma once
#include "access/LogFn.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/PictureFiles.h"
#include "tests/SurfaceScan.h"

#include <functional>
#include <string>

namespace korvane::tests {

// Scan results a technician keeps: the block map and the speed graph as pictures, and the block
// times of a scan as CSV, from the map's popup and the Tests page's own.
class ScanExports {
public:
    ScanExports(form::TestsPage& page, SurfaceScan& scan, form::Dialogs& dialogs, access::LogFn log);

    // The window toolkit's picture writer; without one the pictures cannot be made (said in the log).
    form::PictureFiles* pictures = nullptr;
    // The folder the file dialogs open in.
    std::function<std::string()> folder;

    bool saveMap(const std::string& path);
    bool saveGraph(const std::string& path);
    // The block times of the next scan (or the next pass of a running loop) go to `path`.
    void chooseBlockFile(const std::string& path);

private:
    void askMap();
    void askGraph();
    void askBlockFile();
    std::optional<std::string> ask(const std::string& title, const std::string& filter, const std::string& name);
    bool save(const std::string& what, const std::string& path, const std::function<std::string()>& draw);

    form::TestsPage& page_;
    SurfaceScan& scan_;
    form::Dialogs& dialogs_;
    access::LogFn log_;
};

} // namespace korvane::tests
