#include "tests/ScanExports.h"

namespace korvane::tests {

ScanExports::ScanExports(form::TestsPage& page, SurfaceScan& scan, form::Dialogs& dialogs, access::LogFn log)
    : page_(page), scan_(scan), dialogs_(dialogs), log_(std::move(log)) {
    for (form::Menu* menu : {&page_.ScanMenu, &page_.TestsMenu}) {
        const size_t first = menu == &page_.ScanMenu ? 2 : 0;
        menu->item(first).onClick = [this] { askMap(); };
        menu->item(first + 1).onClick = [this] { askGraph(); };
        menu->item(first + 2).onClick = [this] { askBlockFile(); };
    }
}

bool ScanExports::save(const std::string& what, const std::string& path, const std::function<std::string()>& draw) {
    const std::string why = pictures ? draw() : "this build draws no pictures";
    if (why.empty()) {
        log_(what + " saved to " + path, 0, 1);
        return true;
    }
    log_(what + " could not be saved to " + path + ": " + why, 0, 4);
    return false;
}

bool ScanExports::saveMap(const std::string& path) {
    if (pictures && page_.Grid.rowCount() > form::PictureFiles::kMaxMapRows)
        log_("The map has " + std::to_string(page_.Grid.rowCount()) + " rows; its picture holds the first " +
                 std::to_string(form::PictureFiles::kMaxMapRows),
             0, 2);
    return save("Block map", path, [&] { return pictures->saveMap(page_.Grid, path); });
}

bool ScanExports::saveGraph(const std::string& path) {
    return save("Speed graph", path, [&] { return pictures->saveGraph(page_.GF, path); });
}

void ScanExports::chooseBlockFile(const std::string& path) {
    scan_.blockFile().arm(path);
    log_("Block times of the next scan go to " + path, 0, 1);
}

std::optional<std::string> ScanExports::ask(const std::string& title, const std::string& filter,
                                            const std::string& name) {
    return dialogs_.saveFile(title, filter, 1, name, folder ? folder() : std::string());
}

void ScanExports::askMap() {
    if (auto path = ask("Save map as PNG", "PNG pictures|*.png|All files|*.*", "scan-map.png")) saveMap(*path);
}

void ScanExports::askGraph() {
    if (auto path = ask("Save graph as PNG", "PNG pictures|*.png|All files|*.*", "scan-graph.png")) saveGraph(*path);
}

void ScanExports::askBlockFile() {
    if (auto path = ask("Save block times as CSV", "CSV files|*.csv|All files|*.*", "scan-blocks.csv"))
        chooseBlockFile(*path);
}

} // namespace korvane::tests
