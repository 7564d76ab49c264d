#include "qt/MainWindow.h"

#include "qt/AppIcon.h"
#include "qt/Binder.h"
#include "qt/QtColour.h"
#include "shell/App.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

namespace korvane::qt {

using form::Prop;

MainWindow::MainWindow(shell::App& app, QWidget* parent) : QWidget(parent), app_(app) {
    auto& f = app_.form;
    setObjectName("TFm");
    setWindowIcon(appIcon());
    applyFont();
    setMinimumSize(f.minWidth(), f.minHeight());
    setMaximumSize(f.maxWidth(), f.maxHeight());
    resize(f.width(), f.height());

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(3, 2, 3, 2);
    outer->setSpacing(2);
    outer->addWidget(buildStatusBar());
    outer->addWidget(buildHeader());

    auto* middle = new QHBoxLayout;
    middle->setSpacing(3);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("MainPage");
    pages_->addTab(buildStandardPage(), "Standard");
    pages_->addTab(buildSmartPage(), "SMART");
    pages_->addTab(buildTestsPage(), "Tests");
    pages_->addTab(buildAdvancedPage(), "Advanced");
    pages_->addTab(buildSetupPage(), "Setup");
    bindCommon(pages_, f.MainPage, [this, &f](Prop p) {
        if (p == Prop::ItemIndex || p == Prop::Content) pages_->setCurrentIndex(f.MainPage.activeIndex());
    });
    connect(pages_, &QTabWidget::currentChanged, this,
            [&f](int i) { f.MainPage.setActiveIndex(i, form::Origin::User); });
    middle->addWidget(pages_, 1);
    middle->addWidget(buildCommandColumn());
    outer->addLayout(middle, 1);
    outer->addWidget(buildRegisterPanel());
    outer->addWidget(buildLogPanel());
    buildSmallWindows();

    // The caption, and the window's own visibility.
    bindCommon(this, f, [this, &f](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) setWindowTitle(qs(f.caption()));
    });

    // F1 ... F9, while start-up left the keyboard on.
    for (int n = 1; n <= 9; ++n) {
        auto* key = new QShortcut(QKeySequence(Qt::Key_F1 + (n - 1)), this);
        key->setContext(Qt::WindowShortcut);
        connect(key, &QShortcut::activated, this, [this, n] {
            if (app_.startUp.keyboardEnabled) app_.windowActions.functionKey(n);
        });
    }
    app_.windowActions.onGroupStyle = [this](bool classic) { applyGroupStyle(classic); };
    app_.windowActions.onTaskbarPicture = [this] { setWindowIcon(appIcon(app_.form.AppIcon.picture() == "busy")); };
    applyGroupStyle(f.setup.presets.ClassicStyleChk.checked());
    qApp->installEventFilter(this); // hints follow the "Hints" box
}

MainWindow::~MainWindow() {
    qApp->removeEventFilter(this);
    app_.windowActions.onGroupStyle = nullptr;
    app_.windowActions.onTaskbarPicture = nullptr;
    for (QWidget* w : smallWindows_) delete w;
}

QWidget* MainWindow::widget(const std::string& name) const {
    auto it = widgets_.find(name);
    return it == widgets_.end() ? nullptr : it->second;
}

QWidget* MainWindow::make(form::Control& c, QWidget* parent) {
    QWidget* w = createWidget(c, parent);
    widgets_[c.name()] = w;
    return w;
}

QGroupBox* MainWindow::group(form::Group& g, QWidget* parent, bool classic) {
    auto* box = new QGroupBox(groupTitle(g.caption()), parent);
    bindCommon(box, g, [box, &g](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) box->setTitle(groupTitle(g.caption()));
        if ((p == Prop::Colour || p == Prop::Content) && !isDefault(g.colour())) {
            box->setAutoFillBackground(true);
            QPalette pal = box->palette();
            pal.setColor(QPalette::Window, toQColor(g.colour()));
            box->setPalette(pal);
        }
    });
    widgets_[g.name()] = box;
    if (classic) classicGroups_.push_back(box);
    return box;
}

QWidget* MainWindow::panel(form::Control& c, QWidget* parent) {
    auto* w = new QWidget(parent);
    bindCommon(w, c, [w, &c](Prop p) {
        if ((p == Prop::Colour || p == Prop::Content) && !isDefault(c.colour())) {
            w->setAutoFillBackground(true);
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, toQColor(c.colour()));
            if (isDark(c.colour())) pal.setColor(QPalette::WindowText, Qt::white);
            w->setPalette(pal);
        }
    });
    widgets_[c.name()] = w;
    return w;
}

void MainWindow::row(QBoxLayout* layout, QWidget* parent, std::initializer_list<form::Control*> controls,
                     bool stretch) {
    auto* line = new QHBoxLayout;
    line->setSpacing(4);
    for (form::Control* c : controls) line->addWidget(make(*c, parent));
    if (stretch) line->addStretch(1);
    layout->addLayout(line);
}

void MainWindow::column(QBoxLayout* layout, QWidget* parent, std::initializer_list<form::Control*> controls) {
    for (form::Control* c : controls) layout->addWidget(make(*c, parent));
}

void MainWindow::applyFont() {
    // Tahoma where it is installed, else the closest narrow sans face; bold, 13 pixels.
    bool tahoma = QFontDatabase::families().contains("Tahoma");
    QFont font(tahoma ? "Tahoma" : "DejaVu Sans");
    if (!tahoma) font.setStretch(QFont::Condensed); // DejaVu's condensed face is nearest Tahoma's width
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(13);
    setFont(font);
}

void MainWindow::applyGroupStyle(bool classic) {
    for (QGroupBox* box : classicGroups_) box->setFlat(!classic);
}

void MainWindow::bindWindow(form::Window& model, QWidget* window) {
    window->setWindowTitle(qs(model.caption()));
    window->setFont(font());
    if (model.width() > 0 && model.height() > 0) window->resize(model.width(), model.height());
    window->move(model.left(), model.top());
    smallWindows_.push_back(window);
    bindCommon(window, model, [window, &model](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) window->setWindowTitle(qs(model.caption()));
        if (p == Prop::Position) window->move(model.left(), model.top());
        if (p == Prop::Visible && model.visible()) window->raise();
    });
    window->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::ToolTip && !app_.form.header.HintsChk.checked()) return true;
    if (e->type() == QEvent::WindowDeactivate && o->objectName() == qs(app_.form.viewBuffer.name()))
        app_.form.viewBuffer.deactivate();
    if (e->type() == QEvent::Close) {
        // A small window closed by its frame: the model hears of it.
        for (QWidget* w : smallWindows_)
            if (w == o) {
                for (form::Window* m : {static_cast<form::Window*>(&app_.form.registryMonitor),
                                        static_cast<form::Window*>(&app_.form.writeWarn),
                                        static_cast<form::Window*>(&app_.form.help),
                                        static_cast<form::Window*>(&app_.form.viewBuffer),
                                        static_cast<form::Window*>(&app_.form.eventlog)})
                    if (qs(m->name()) == w->objectName() && m->visible()) m->close();
            }
    }
    return QWidget::eventFilter(o, e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    app_.startUp.onClose();
    app_.startUp.onDestroy();
    for (QWidget* w : smallWindows_) w->hide();
    e->accept();
}

void MainWindow::changeEvent(QEvent* e) {
    if (e->type() == QEvent::WindowStateChange) {
        if (isMinimized())
            app_.startUp.onMinimize();
        else {
            app_.startUp.onRestore();
            setWindowIcon(appIcon());
        }
    }
    QWidget::changeEvent(e);
}

bool MainWindow::savePage(int index, const QString& file) {
    app_.form.MainPage.setActiveIndex(index);
    QApplication::processEvents();
    return grab().save(file, "PNG");
}

} // namespace korvane::qt
