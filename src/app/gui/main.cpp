#include "app/gui/GuiProgram.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string error;
    auto options = korvane::app::parseGuiOptions(args, error);
    if (!options) {
        std::cerr << "korvane: " << error << "\n" << korvane::app::guiUsage();
        return 2;
    }
    if (options->help) {
        std::cout << korvane::app::guiUsage();
        return 0;
    }
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Korvane");
    QApplication::setDesktopFileName("korvane");
    korvane::app::GuiProgram program(*options);
    if (options->screenshotDir) {
        bool ok = program.writeScreenshots(*options->screenshotDir);
        program.app().startUp.onClose();
        if (!ok) std::cerr << "korvane: the pictures could not all be written to " << *options->screenshotDir << "\n";
        return ok ? 0 : 1;
    }
    program.window().show();
    if (options->host && !options->exitAfterStart)
        QTimer::singleShot(0, &qapp, [&program, args] { program.offerRootRestart(args); });
    if (options->exitAfterStart) {
        // The window has been shown and the start-up has run: once it has drawn, it is usable.
        QTimer::singleShot(0, &qapp, [&program] {
            program.app().startUp.onClose();
            QApplication::quit();
        });
    }
    return QApplication::exec();
}
