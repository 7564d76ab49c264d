// The small windows: Registry Monitor, the write warning, Help, View buffer and Eventlog.
#include "qt/Binder.h"
#include "qt/MainWindow.h"
#include "qt/QtColour.h"
#include "shell/App.h"

#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korvane::qt {

using form::Control;
using form::Prop;

void MainWindow::buildSmallWindows() {
    auto& f = app_.form;

    auto* monitor = new QWidget(nullptr, Qt::Tool);
    monitor->setAutoFillBackground(true);
    QPalette dark = monitor->palette();
    dark.setColor(QPalette::Window, QColor(16, 16, 16));
    dark.setColor(QPalette::WindowText, QColor(200, 200, 200));
    monitor->setPalette(dark);
    auto& rm = f.registryMonitor;
    auto* ml = new QGridLayout(monitor);
    const char* names[] = {"Error", "Count", "LBA low", "LBA mid", "LBA high", "Device", "Status"};
    for (int i = 0; i < 7; ++i) {
        ml->addWidget(new QLabel(names[i], monitor), i, 0);
        ml->addWidget(make(rm.R[size_t(i)], monitor), i, 1);
    }
    ml->addWidget(make(rm.OpacityTrack, monitor), 7, 0, 1, 2);
    ml->addWidget(make(rm.FontColourGrp, monitor), 8, 0, 1, 2);
    rm.OpacityTrack.onChange = [monitor, &rm] { monitor->setWindowOpacity(rm.OpacityTrack.position() / 255.0); };
    bindWindow(rm, monitor);

    auto* warn = new QWidget(nullptr, Qt::Dialog);
    auto& ww = f.writeWarn;
    auto* wl = new QVBoxLayout(warn);
    column(wl, warn, {&ww.Text1, &ww.Text2, &ww.Text3, &ww.Changed});
    row(wl, warn, {&ww.StartEdit, &ww.EndEdit});
    row(wl, warn, {&ww.OkBtn, &ww.CancelBtn, &ww.HelpBtn});
    bindWindow(ww, warn);

    auto* help = new QTextBrowser(nullptr);
    help->setWindowFlag(Qt::Window);
    help->setOpenExternalLinks(false);
    bindWindow(f.help, help);
    // The page is loaded when the window is shown, from the file the help action chose.
    auto previousShow = f.help.onShow;
    f.help.onShow = [previousShow, help, this] {
        if (previousShow) previousShow();
        const std::string& doc = app_.form.help.document;
        if (doc.empty())
            help->clear();
        else
            help->setSource(QUrl::fromLocalFile(qs(doc)));
        help->show();
    };

    auto* view = new QWidget(nullptr, Qt::Window);
    auto& vb = f.viewBuffer;
    auto* vl = new QVBoxLayout(view);
    row(vl, view, {&vb.HexBufSw, &vb.HVBl, &vb.HVPauseBtn, &vb.HVPLed, &vb.HexeditIn});
    vl->addWidget(make(vb.HexV, view), 1);
    bindWindow(vb, view);

    auto* eventlog = new QWidget(nullptr, Qt::Window);
    auto& el = f.eventlog;
    auto* ell = new QVBoxLayout(eventlog);
    ell->addWidget(make(el.Text, eventlog));
    eventlog->setMinimumSize(el.minWidth(), el.minHeight());
    eventlog->setMaximumSize(el.maxWidth(), el.maxHeight());
    bindWindow(el, eventlog);
}

} // namespace korvane::qt
