#include "app/gui/GuiProgram.h"
#include "qt/BlockMapWidget.h"
#include "qt/MapPainter.h"
#include "qt/LampWidget.h"
#include "qt/ListViewWidget.h"
#include "support/TestApp.h"

#include "form/Timer.h"
#include "qt/QtUiThread.h"

#include <QApplication>
#include <atomic>
#include <thread>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QHelpEvent>
#include <gtest/gtest.h>

using namespace korvane;

namespace {

// The window on the default lab, with its settings in a temporary folder.
struct Gui : ::testing::Test {
    testsupport::TempDir dir;
    std::unique_ptr<app::GuiProgram> program;
    Gui() {
        app::GuiOptions o;
        o.iniFile = dir.file("krv40.ini");
        dir.write("krv40.ini", "[ATA Port]\nChannel=1\n");
        program = std::make_unique<app::GuiProgram>(o);
        window().show();
        QApplication::processEvents();
    }
    shell::App& app() { return program->app(); }
    qt::MainWindow& window() { return program->window(); }
    template <class W> W* find(const std::string& name) {
        auto* w = window().findChild<W*>(QString::fromStdString(name));
        if (!w) ADD_FAILURE() << "no widget " << name;
        return w;
    }
    // Runs the event loop until cond holds (the window's timers keep running meanwhile).
    bool waitFor(const std::function<bool()>& cond) { return QTest::qWaitFor(cond, 5000); }
    size_t commandsAt(uint16_t base) { return program->lab()->channelAt(base)->device(0)->commandsReceived().size(); }
};

TEST_F(Gui, WindowHasFivePagesAndEveryGroup) {
    QTabWidget* pages = window().pages();
    ASSERT_EQ(pages->count(), 5);
    const char* titles[] = {"Standard", "SMART", "Tests", "Advanced", "Setup"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(pages->tabText(i).toStdString(), titles[i]);
    for (const char* name : {"PortGrp", "HpaGrp", "SeekGrp", "SecurityBox", "ApiList", "Psp", "SmartMonitorGrp",
                             "SmartList", "SmartTestList", "Grid", "GF", "Qn", "HexE", "CacheGrp", "RpmGrp",
                             "PartBox", "LogGrp", "ScanOptGrp", "TimersGrp", "PresetsGrp", "AtaGrp", "ExtGrp",
                             "SoundGrp", "StringLog", "GrayPanel", "IndPanel", "IndRegPanel", "Panel4"})
        EXPECT_NE(window().widget(name), nullptr) << name;
    EXPECT_EQ(window().minimumWidth(), 753);
    EXPECT_EQ(window().maximumHeight(), 705);
    EXPECT_NE(window().windowTitle().toStdString().find("Korvane 4.61b-SSD"), std::string::npos);
    EXPECT_NE(window().windowTitle().toStdString().find("[simulated lab: default]"), std::string::npos);
    EXPECT_FALSE(window().widget("ApiList")->isVisibleTo(&window())) << "hidden in PIO mode";
}

TEST_F(Gui, WidgetsAndModelsFollowEachOther) {
    auto& f = app().form;
    // Widget to model.
    QTest::mouseClick(find<QCheckBox>("HintsChk"), Qt::LeftButton);
    EXPECT_TRUE(f.header.HintsChk.checked());
    f.standard.port.PortBox.setItemIndex(2, form::Origin::User);
    QLineEdit* base = find<QLineEdit>("BasePortEdit");
    ASSERT_TRUE(base->isEnabled());
    base->selectAll();
    QTest::keyClicks(base, "E800");
    EXPECT_EQ(app().session.pioBasePort, 0xE800);
    EXPECT_EQ(find<QLabel>("PortInd")->text().toStdString(), "Port E800h");
    // Model to widget.
    f.commands.ResetBtn.setEnabled(false);
    EXPECT_FALSE(find<QPushButton>("ResetBtn")->isEnabled());
    f.standard.hpa.L1.setText("100 Mb");
    EXPECT_EQ(find<QLineEdit>("L1")->text().toStdString(), "100 Mb");
    // The API/PIO selector: a click on "API" switches the mode and shows the device list.
    QTest::mouseClick(find<QRadioButton>("APIRg.0"), Qt::LeftButton);
    EXPECT_EQ(app().session.accessMode, access::AccessMode::Api);
    auto* list = find<qt::ListViewWidget>("ApiList");
    EXPECT_TRUE(list->isVisibleTo(&window()));
    EXPECT_EQ(size_t(list->model()->rowCount()), f.standard.api.ApiList.rowCount());
    EXPECT_GT(list->model()->rowCount(), 5);
    EXPECT_EQ(list->model()->index(0, 3).data().toString().toStdString(), "Hitachi HDS721050CLA362");
}

TEST_F(Gui, F2ShowsStandardAndReadsThePassport) {
    window().pages()->setCurrentIndex(4);
    EXPECT_EQ(app().form.MainPage.activeIndex(), 4);
    QTest::keyClick(&window(), Qt::Key_F2);
    EXPECT_EQ(window().pages()->currentIndex(), 0);
    auto* psp = find<qt::ListViewWidget>("Psp");
    ASSERT_GT(psp->model()->rowCount(), 5);
    EXPECT_EQ(psp->model()->index(0, 2).data().toString().toStdString(), "FUJITSU MPG3204AT E");
    EXPECT_EQ(window().findChild<QLabel*>("HdPanel.0")->text().toStdString(), "FUJITSU MPG3204AT E");
}

TEST_F(Gui, F9ReadsSmartIntoTheColouredListAndTheTestPanelFollowsItsHeight) {
    QTest::keyClick(&window(), Qt::Key_F9);
    EXPECT_EQ(window().pages()->currentIndex(), 1);
    auto* list = find<qt::ListViewWidget>("SmartList");
    ASSERT_TRUE(waitFor([&] { return list->model()->rowCount() > 5; }));
    auto row = [&](const std::string& id) {
        for (int r = 0; r < list->model()->rowCount(); ++r)
            if (list->model()->index(r, 1).data().toString().toStdString() == id) return r;
        return -1;
    };
    const int temperature = row("194");
    ASSERT_GE(temperature, 0);
    EXPECT_EQ(list->model()->index(temperature, 2).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(list->model()->index(temperature, 6).data().toString().toStdString(), "35\xC2\xB0" "C/95\xC2\xB0" "F");
    EXPECT_EQ(find<QLabel>("SmrtStLabel")->text().toStdString(), "GOOD");
    auto* panel = find<QWidget>("SmartTestPanel");
    app().form.smart.SmartList.doubleClick();
    ASSERT_TRUE(waitFor([&] { return panel->height() == 0; }));
    app().form.smart.SmartList.doubleClick();
    ASSERT_TRUE(waitFor([&] { return panel->height() == 110; }));
}

TEST_F(Gui, F3ResetsOnlyInPio) {
    size_t before = commandsAt(0x170);
    QTest::mouseClick(find<QRadioButton>("APIRg.0"), Qt::LeftButton);
    before = commandsAt(0x170);
    QTest::keyClick(&window(), Qt::Key_F3);
    EXPECT_EQ(commandsAt(0x170), before) << "F3 does nothing in API mode";
    QTest::mouseClick(find<QRadioButton>("APIRg.1"), Qt::LeftButton);
    ASSERT_EQ(app().session.accessMode, access::AccessMode::Pio);
    QTest::keyClick(&window(), Qt::Key_F3);
    auto& log = app().form.log.StringLog;
    EXPECT_EQ(log.cell(log.rowCount() - 1, 3), "Reset OK");
}

TEST_F(Gui, RegisterLampsFollowTheDrive) {
    auto* drdy = find<qt::LampWidget>("LampDRDY");
    auto* busy = find<qt::LampWidget>("LampBUSY");
    auto& status = app().form.registers.status;
    // the 20 ms panel timer runs
    ASSERT_TRUE(waitFor([&] { return status[1].shape.colour() == form::colours::Blue; }));
    auto modelColour = [](const form::RegisterLamp& lamp) {
        form::Colour c = lamp.shape.colour();
        return QColor(int(c >> 16 & 0xFF), int(c >> 8 & 0xFF), int(c & 0xFF));
    };
    EXPECT_EQ(drdy->brush(), modelColour(status[1]));
    EXPECT_NE(status[1].shape.colour(), form::colours::Black) << "a ready drive lights DRDY";
    EXPECT_NE(status[1].shape.colour(), form::colours::Grey);
    QColor idle = busy->brush();
    // A command the drive never finishes: BUSY lights.
    program->lab()->channelAt(0x170)->device(0)->faults.stuckBusy = true;
    app().env.ports.outb(0x177, 0xE7);
    ASSERT_TRUE(waitFor([&] { return status[0].shape.colour() == form::colours::Lime; }));
    EXPECT_NE(busy->brush(), idle);
    EXPECT_EQ(busy->brush(), modelColour(status[0]));
    EXPECT_EQ(find<QLabel>("StatusRegLabel")->text().toStdString(), app().form.registers.StatusRegLabel.caption());
    EXPECT_EQ(app().form.registers.StatusRegLabel.caption().substr(0, 1), "D") << "BSY and DRDY: D0h";
}

TEST_F(Gui, ClickOnTheRegisterPanelShowsTheRegistryMonitor) {
    QTest::mouseClick(find<QLabel>("LabDRDY"), Qt::LeftButton);
    QWidget* monitor = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "RegistryMonitor") monitor = top;
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_EQ(monitor->findChild<QLabel*>("R7")->text().toStdString(), "50");
    QTest::mouseClick(find<QLabel>("LabDRDY"), Qt::LeftButton);
    EXPECT_FALSE(monitor->isVisible());
}

TEST_F(Gui, TestsPageGivesTheJumpControlTheFocusEveryTime) {
    window().activateWindow();
    (void)QTest::qWaitForWindowActive(&window());
    for (int round = 0; round < 2; ++round) {
        window().pages()->setCurrentIndex(round == 0 ? 2 : 0);
        window().pages()->setCurrentIndex(2);
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), window().widget("Qn")) << round;
        find<QLineEdit>("StartLbaEdit")->setFocus();
        QApplication::processEvents();
    }
}

TEST_F(Gui, HintsShowOnlyWhileTheBoxIsChecked) {
    auto* box = find<QCheckBox>("PCIAllDevChk");
    auto ask = [&] {
        QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(box, &help);
        QApplication::processEvents();
        return QToolTip::isVisible() ? QToolTip::text().toStdString() : std::string();
    };
    EXPECT_EQ(ask(), "");
    app().form.header.HintsChk.setChecked(true, form::Origin::User);
    EXPECT_EQ(ask(), "Search all PCI/AGP devices");
    QToolTip::hideText();
}

TEST_F(Gui, BlockMapPaintsOnlyTheRowsInView) {
    auto& grid = app().form.tests.Grid;
    window().pages()->setCurrentIndex(2);
    grid.resize(30, 200000, '1'); // six million blocks
    grid.setCell(5'999'999, '6');
    auto* map = find<qt::BlockMapWidget>("Grid");
    map->viewport()->repaint();
    int inView = map->viewport()->height() / map->rowPitch() + 2;
    EXPECT_GT(map->lastPaintedRows(), 0);
    EXPECT_LE(map->lastPaintedRows(), inView);
    // A changed cell repaints its own square only.
    map->verticalScrollBar()->setValue(map->verticalScrollBar()->maximum());
    QApplication::processEvents(); // the scrolled view is painted whole
    grid.setCell(5'999'970, 'R'); // the first cell of the last row
    QApplication::processEvents();
    EXPECT_LE(map->lastPaintedRows(), 1);
}

TEST_F(Gui, F4ScansFromTheWindowAndTheStartButtonActsAsStopMeanwhile) {
    auto& t = app().form.tests;
    t.StartLbaEdit.setText("0", form::Origin::User);
    t.EndLbaEdit.setText("3000000", form::Origin::User);
    QTest::keyClick(&window(), Qt::Key_F4);
    EXPECT_EQ(window().pages()->currentIndex(), 2);
    auto* start = find<QPushButton>("ScanStartBtn");
    ASSERT_TRUE(waitFor([&] { return start->text() == "Stop"; }));
    ASSERT_TRUE(waitFor([&] { return app().scan.classCounts[0] + app().scan.classCounts[1] > 10; }));
    EXPECT_NE(find<QLabel>("Tim1Lab")->text().toStdString() + find<QLabel>("Tim2Lab")->text().toStdString(), "00");
    QTest::mouseClick(start, Qt::LeftButton); // "Stop"
    ASSERT_TRUE(waitFor([&] { return start->text() == "Start" && !app().jobs.running(access::WorkerGate::Worker::Scan); }));
    const auto& log = app().form.log.StringLog;
    bool results = false;
    for (size_t r = 0; r < log.rowCount(); ++r)
        results = results || log.cell(r, shell::EventLog::MessageColumn).rfind("***** Scan results", 0) == 0;
    EXPECT_TRUE(results);
    EXPECT_GT(app().form.tests.Grid.cellCount(), 0u);
}

TEST_F(Gui, ScreenshotWritesEveryPage) {
    ASSERT_TRUE(program->writeScreenshots(dir.path() + "shots"));
    for (int i = 0; i < 5; ++i) {
        QImage page(QString::fromStdString(dir.path() + "shots/page-" + std::to_string(i) + ".png"));
        ASSERT_FALSE(page.isNull()) << i;
        EXPECT_EQ(page.width(), window().width());
        EXPECT_EQ(page.height(), window().height());
    }
    EXPECT_GT(find<qt::ListViewWidget>("Psp")->model()->rowCount(), 5) << "the pictures show a read passport";

    // The short scan: 625 blocks of 32 sectors, 32 a row, the two planted sectors in blue cells.
    QImage map(QString::fromStdString(dir.path() + "shots/scan-map.png"));
    ASSERT_FALSE(map.isNull());
    EXPECT_EQ(map.width(), 32 * qt::MapPainter::kCellWidth);
    EXPECT_EQ(map.height(), 20 * qt::MapPainter::kCellHeight);
    auto cellCorner = [&](size_t block) {
        return map.pixel(int(block % 32) * 10 + 1, int(block / 32) * 19 + 1) & 0xFFFFFF;
    };
    EXPECT_EQ(cellCorner(6000 / 32), 0x0000FFu);
    EXPECT_EQ(cellCorner(14100 / 32), 0x0000FFu);
    EXPECT_EQ(cellCorner(6000 / 32 + 1), 0xD6D6D6u) << "a fast block";
    QImage graph(QString::fromStdString(dir.path() + "shots/scan-graph.png"));
    ASSERT_EQ(graph.size(), QSize(377, 373));
    int red = 0;
    for (int y = 0; y < graph.height(); ++y)
        for (int x = 0; x < graph.width(); ++x) red += (graph.pixel(x, y) & 0xFFFFFF) == 0xFF0000u;
    EXPECT_GT(red, 10) << "the bad blocks' red lines";
}

// Every caption the window shows is whole at its widget's size, on every page.
TEST_F(Gui, NoCaptionIsClipped) {
    QTabWidget* pages = window().pages();
    std::vector<std::string> clipped;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QApplication::processEvents();
        for (QWidget* w : window().findChildren<QWidget*>()) {
            if (!w->isVisibleTo(&window()) || w->objectName().isEmpty() || !w->isVisible()) continue;
            int need = 0, have = 0;
            QString text;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                if (label->wordWrap() || label->text().isEmpty()) continue;
                text = label->text();
                need = label->fontMetrics().horizontalAdvance(text);
                have = label->contentsRect().width();
            } else if (auto* push = qobject_cast<QPushButton*>(w)) {
                if (push->text().isEmpty()) continue;
                text = push->text();
                need = push->fontMetrics().horizontalAdvance(QString(text).remove('&')) + 8; // text and frame
                have = push->width();
            } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                if (button->text().isEmpty()) continue;
                text = button->text();
                need = button->sizeHint().width();
                have = button->width();
            } else {
                continue;
            }
            if (need > have)
                clipped.push_back(w->objectName().toStdString() + " \"" + text.toStdString() + "\" needs " +
                                  std::to_string(need) + " px, has " + std::to_string(have));
        }
    }
    std::string all;
    for (auto& c : clipped) all += c + "\n";
    EXPECT_TRUE(clipped.empty()) << clipped.size() << " clipped:\n" << all;
}

TEST_F(Gui, SizesColoursAndWeightsTheLogicSetsReachTheScreen) {
    auto* panel = find<QWidget>("Passpanel");
    app().passportReport.toggleWidth(); // "Maximize"
    ASSERT_TRUE(waitFor([&] { return panel->width() == app().form.standard.passport.Passpanel.width(); }));
    int wide = panel->width();
    app().passportReport.toggleWidth(); // "Show ALL"
    ASSERT_TRUE(waitFor([&] { return panel->width() == 370; }));
    EXPECT_NE(wide, 370);

    // The route's tint fills the passport list (the USB route's E0E9FEh, say).
    app().form.standard.passport.Psp.setColour(0xE0E9FE);
    auto* psp = find<qt::ListViewWidget>("Psp");
    EXPECT_EQ(psp->palette().color(QPalette::Base), QColor(0xE0, 0xE9, 0xFE));

    // The size pane shows the whole size.
    auto* size = find<QLabel>("HdPanel.3");
    EXPECT_LE(size->fontMetrics().horizontalAdvance(size->text()), size->contentsRect().width()) << size->text().toStdString();

    auto& ssd = app().form.standard.passport.SSDLabel;
    ssd.setFontWeight(form::FontWeight::Normal);
    EXPECT_FALSE(find<QLabel>("SSDLabel")->font().bold());
    ssd.setFontWeight(form::FontWeight::Bold);
    EXPECT_TRUE(find<QLabel>("SSDLabel")->font().bold());
}

TEST(QtUiThreadTest, WorkerStepsRunOnTheUiThreadAndShutdownReleasesWaiters) {
    qt::QtUiThread ui;
    std::atomic<bool> ranOnUi{false}, workerDone{false};
    std::thread worker([&] {
        ui.invoke([&] { ranOnUi = ui.isUiThread(); });
        workerDone = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return workerDone.load(); }, 5000));
    worker.join();
    EXPECT_TRUE(ranOnUi);
    // A worker waiting on a step that has not started (the loop is not turning) is let go at
    // shutdown, and its step, which references the worker's frame, never runs afterwards.
    auto ranLate = std::make_shared<std::atomic<bool>>(false);
    std::atomic<bool> queued{false}, released{false};
    std::thread late([&, ranLate] {
        int local = 0;
        queued = true;
        ui.invoke([&local, ranLate] {
            local = 1;
            *ranLate = true;
        });
        released = true;
    });
    while (!queued) std::this_thread::yield();
    EXPECT_FALSE(released);
    ui.shutdown();
    late.join();
    EXPECT_TRUE(released);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents();
    EXPECT_FALSE(*ranLate) << "an abandoned step ran after its worker had returned";
    // Timers follow their models.
    form::Timer timer("T", 10, false);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    qt::QtUiThread ui2;
    ui2.addTimer(timer);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 0) << "a disabled timer stays quiet";
    timer.setEnabled(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
    ui2.removeTimer(timer);
}

TEST(GuiOptions, LabByDefaultHostForDevicesAndUsageErrors) {
    std::string error;
    auto plain = app::parseGuiOptions({}, error);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->host);
    EXPECT_EQ(plain->simProfile, "default");
    auto devices = app::parseGuiOptions({"--device", "a.img", "--device", "b.img", "--screenshot", "out"}, error);
    ASSERT_TRUE(devices);
    EXPECT_TRUE(devices->host);
    EXPECT_EQ(devices->devices, (std::vector<std::string>{"a.img", "b.img"}));
    EXPECT_EQ(devices->screenshotDir, "out");
    EXPECT_EQ(app::parseGuiOptions({"--sim=single"}, error)->simProfile, "single");
    for (std::vector<std::string> bad : {std::vector<std::string>{"--sim=nowhere"}, {"--device"}, {"--frob"}, {"--ini"}}) {
        error.clear();
        EXPECT_FALSE(app::parseGuiOptions(bad, error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(QtDialogsFilter, PairsBecomeQtFiltersAndTheIndexPicksOne) {
    QString picked;
    EXPECT_EQ(qt::QtDialogs::qtFilter("Binary files|*.bin|All files|*.*", 2, &picked).toStdString(),
              "Binary files (*.bin);;All files (*.*)");
    EXPECT_EQ(picked.toStdString(), "All files (*.*)");
    EXPECT_EQ(qt::QtDialogs::qtFilter("Logs|*.txt;*.log", 1, &picked).toStdString(), "Logs (*.txt *.log)");
    EXPECT_EQ(qt::QtDialogs::qtFilter("", 0, nullptr).toStdString(), "");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
