#include "qt/Binder.h"

#include "form/Button.h"
#include "form/CheckBox.h"
#include "form/ComboBox.h"
#include "form/DateTimeEdit.h"
#include "form/Edit.h"
#include "form/HexView.h"
#include "form/Image.h"
#include "form/JumpControl.h"
#include "form/Label.h"
#include "form/ListView.h"
#include "form/Menu.h"
#include "form/RadioGroup.h"
#include "form/SpinEdit.h"
#include "form/StringGrid.h"
#include "form/TrackBar.h"
#include "form/Window.h"
#include "qt/BlockMapWidget.h"
#include "qt/CanvasWidget.h"
#include "qt/DirectionPicture.h"
#include "qt/HexViewWidget.h"
#include "qt/JumpWidget.h"
#include "qt/LampWidget.h"
#include "qt/LedDisplay.h"
#include "qt/ListViewWidget.h"
#include "qt/QtColour.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <cmath>

namespace korvane::qt {

using form::Origin;
using form::Prop;

namespace {

// Keeps the model's width, height and focus in step with the real widget.
thread_local bool trackingSize = false;

class StateTracker : public QObject {
public:
    StateTracker(QWidget* w, form::Control& c) : QObject(w), control_(c) { w->installEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        auto* w = static_cast<QWidget*>(o);
        switch (e->type()) {
        case QEvent::Resize:
            trackingSize = true; // the model follows the widget: nothing to apply back
            control_.setWidth(w->width());
            control_.setHeight(w->height());
            trackingSize = false;
            break;
        case QEvent::FocusIn: control_.setFocus(true); break;
        case QEvent::FocusOut: control_.setFocus(false); break;
        default: break;
        }
        return false;
    }

private:
    form::Control& control_;
};

// The width a caption needs inside its widget at the widget's current font: the text, and for
// check boxes and radio buttons their indicator (what the style asks for). Accelerator marks take no room.
int captionNeed(QWidget* w) {
    QFontMetrics fm(w->font());
    auto advance = [&](QString t) { return fm.horizontalAdvance(t.remove('&')); };
    if (auto* label = qobject_cast<QLabel*>(w)) return advance(label->text()) + (label->width() - label->contentsRect().width());
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) return w->sizeHint().width();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return advance(button->text()) + 8;
    return 0;
}

// The control's own weight over the font it inherits.
QFont weighted(QFont f, QWidget* w) {
    QVariant weight = w->property("korvaneWeight");
    if (weight.isValid() && weight.toInt() != int(form::FontWeight::Inherit))
        f.setBold(weight.toInt() == int(form::FontWeight::Bold));
    return f;
}

// Fits the caption of w to its width: a narrower face, then a smaller size, for w alone.
void fitCaption(QWidget* w) {
    static thread_local bool fitting = false; // setFont resizes, which would come back here
    if (fitting || w->width() <= 0) return;
    fitting = true;
    QFont f = weighted(w->parentWidget() ? w->parentWidget()->font() : w->font(), w);
    if (f != w->font()) w->setFont(f);
    if (captionNeed(w) > w->width()) {
        f.setStretch(QFont::ExtraCondensed);
        int px = f.pixelSize() > 0 ? f.pixelSize() : 13;
        for (f.setPixelSize(px), w->setFont(f); captionNeed(w) > w->width() && px > 8;) {
            f.setPixelSize(--px);
            w->setFont(f);
        }
    }
    fitting = false;
}

// A caption that does not fit its widget at the window's font is fitted, for that widget alone,
// whenever the widget's size changes: no caption is ever cut.
class CaptionFitter : public QObject {
public:
    explicit CaptionFitter(QWidget* w) : QObject(w), w_(w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Resize || e->type() == QEvent::Show) fitCaption(w_);
        return false;
    }

private:
    QWidget* w_;
};

void applyFontWeight(QWidget* w, const form::Control& c) {
    w->setProperty("korvaneWeight", int(c.fontWeight()));
    QFont f = weighted(w->parentWidget() ? w->parentWidget()->font() : w->font(), w);
    if (f.bold() != w->font().bold()) {
        QFont mine = w->font();
        mine.setBold(f.bold());
        w->setFont(mine);
    }
    fitCaption(w);
}

// A click on a widget that has no click of its own (labels, read-outs) reaches the model.
class ClickForwarder : public QObject {
public:
    ClickForwarder(QWidget* w, std::function<void()> click) : QObject(w), click_(std::move(click)) {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) click_();
        return false;
    }

private:
    std::function<void()> click_;
};

void setFontColour(QWidget* w, form::Colour c) {
    QPalette p = w->palette();
    QColor colour = isDefault(c) ? QWidget().palette().color(QPalette::WindowText) : toQColor(c);
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) p.setColor(role, colour);
    w->setPalette(p);
}

// A button's caption keeps '&' as its accelerator mark, as the window's captions are written.
QWidget* makeButton(form::Button& m, QWidget* parent) {
    auto* w = new QPushButton(qs(m.caption()), parent);
    w->setFocusPolicy(Qt::TabFocus);
    QObject::connect(w, &QPushButton::clicked, w, [&m] { m.click(); });
    new CaptionFitter(w);
    bindCommon(w, m, [w, &m](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) {
            w->setText(qs(m.caption()));
            fitCaption(w);
        }
    });
    return w;
}

QWidget* makeCheckBox(form::CheckBox& m, QWidget* parent) {
    auto* w = new QCheckBox(qs(m.caption()), parent);
    QObject::connect(w, &QCheckBox::clicked, w, [w, &m](bool on) {
        m.setChecked(on, Origin::User);
        w->setChecked(m.checked()); // the model may refuse
    });
    new CaptionFitter(w);
    bindCommon(w, m, [w, &m](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) {
            w->setText(qs(m.caption()));
            fitCaption(w);
        }
        if (p == Prop::Checked || p == Prop::Content) w->setChecked(m.checked());
    });
    return w;
}

QWidget* makeLabel(form::Label& m, QWidget* parent) {
    auto* w = new QLabel(qs(m.caption()), parent);
    new ClickForwarder(w, [&m] { m.click(); });
    new CaptionFitter(w);
    bindCommon(w, m, [w, &m](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) {
            w->setText(qs(m.caption()));
            fitCaption(w);
        }
        if (p == Prop::Font || p == Prop::Content) applyFontWeight(w, m);
    });
    return w;
}

QWidget* makeLed(form::Led& m, QWidget* parent) {
    auto* w = new LedDisplay(parent);
    new ClickForwarder(w, [&m] { m.click(); });
    bindCommon(w, m, [w, &m](Prop p) {
        if (p == Prop::Caption || p == Prop::Content) w->setText(qs(m.caption()));
        if (p == Prop::FontColour || p == Prop::Content) w->setTextColour(m.fontColour());
    });
    return w;
}

QWidget* makeEdit(form::Edit& m, QWidget* parent) {
    auto* w = new QLineEdit(qs(m.text()), parent);
    if (m.maxLength() > 0) w->setMaxLength(int(m.maxLength()));
    QObject::connect(w, &QLineEdit::textEdited, w, [w, &m](const QString& t) {
        m.setText(ss(t), Origin::User);
        if (qs(m.text()) != w->text()) w->setText(qs(m.text()));
    });
    bindCommon(w, m, [w, &m](Prop p) {
        if ((p == Prop::Text || p == Prop::Content) && w->text() != qs(m.text())) w->setText(qs(m.text()));
        if (p == Prop::ReadOnly || p == Prop::Content) w->setReadOnly(m.readOnly());
    });
    return w;
}

QWidget* makeSpinEdit(form::SpinEdit& m, QWidget* parent) {
    auto* w = new QSpinBox(parent);
    auto clampInt = [](int64_t v) { return int(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    QObject::connect(w, &QSpinBox::valueChanged, w, [w, &m](int v) {
        if (v != m.value()) m.setValue(v, Origin::User);
        if (w->value() != m.value()) w->setValue(int(m.value()));
    });
    bindCommon(w, m, [w, &m, clampInt](Prop p) {
        QSignalBlocker quiet(w);
        if (p == Prop::Range || p == Prop::Content) {
            w->setRange(clampInt(m.min()), clampInt(m.max()));
            w->setSingleStep(int(m.increment()));
        }
        if (p == Prop::Value || p == Prop::Range || p == Prop::Content) w->setValue(clampInt(m.value()));
    });
    return w;
}

QWidget* makeComboBox(form::ComboBox& m, QWidget* parent) {
    auto* w = new QComboBox(parent);
    w->setEditable(m.maxLength() > 0);
    QObject::connect(w, &QComboBox::activated, w, [&m](int i) { m.setItemIndex(i, Origin::User); });
    if (w->isEditable())
        QObject::connect(w->lineEdit(), &QLineEdit::textEdited, w,
                         [&m](const QString& t) { m.setText(ss(t), Origin::User); });
    bindCommon(w, m, [w, &m](Prop p) {
        QSignalBlocker quiet(w);
        if (p == Prop::Items || p == Prop::Content) {
            w->clear();
            for (auto& item : m.items()) w->addItem(qs(item));
        }
        if (p == Prop::Items || p == Prop::ItemIndex || p == Prop::Text || p == Prop::Content) {
            w->setCurrentIndex(m.itemIndex());
            if (w->isEditable()) w->setEditText(qs(m.text()));
        }
    });
    return w;
}

QWidget* makeRadioGroup(form::RadioGroup& m, QWidget* parent) {
    auto* w = new QGroupBox(groupTitle(m.caption()), parent);
    auto* layout = new QVBoxLayout(w);
    layout->setContentsMargins(4, m.caption().empty() ? 2 : 4, 4, 2);
    layout->setSpacing(0);
    auto* buttons = new QButtonGroup(w);
    auto rebuild = [w, layout, buttons, &m] {
        for (auto* b : buttons->buttons()) {
            buttons->removeButton(b);
            delete b;
        }
        for (size_t i = 0; i < m.items().size(); ++i) {
            auto* b = new QRadioButton(qs(m.items()[i]), w);
            b->setObjectName(qs(m.name() + "." + std::to_string(i)));
            new CaptionFitter(b);
            buttons->addButton(b, int(i));
            layout->addWidget(b);
        }
    };
    rebuild();
    QObject::connect(buttons, &QButtonGroup::idClicked, w, [buttons, &m](int i) {
        m.setItemIndex(i, Origin::User);
        if (auto* b = buttons->button(m.itemIndex())) b->setChecked(true); // the model may refuse
    });
    bindCommon(w, m, [w, buttons, rebuild, &m](Prop p) {
        if (p == Prop::Items) rebuild();
        if (p == Prop::Caption || p == Prop::Content) w->setTitle(groupTitle(m.caption()));
        for (auto* b : buttons->buttons()) {
            int i = buttons->id(b);
            b->setEnabled(m.itemEnabled(size_t(i)));
            QSignalBlocker quiet(b);
            b->setChecked(i == m.itemIndex());
        }
    });
    return w;
}

// A slider's mouse button or key let go: the model's release action.
class ReleaseFilter : public QObject {
public:
    ReleaseFilter(form::TrackBar& model, QObject* parent) : QObject(parent), model_(model) {}
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease || (e->type() == QEvent::KeyRelease && !static_cast<QKeyEvent*>(e)->isAutoRepeat()))
            model_.release();
        return QObject::eventFilter(watched, e);
    }

private:
    form::TrackBar& model_;
};

QWidget* makeTrackBar(form::TrackBar& m, QWidget* parent) {
    auto* w = new QSlider(Qt::Horizontal, parent);
    w->installEventFilter(new ReleaseFilter(m, w));
    QObject::connect(w, &QSlider::valueChanged, w, [w, &m](int v) {
        if (v != m.position()) m.setPosition(v, Origin::User);
        if (w->value() != m.position()) w->setValue(m.position());
    });
    bindCommon(w, m, [w, &m](Prop) {
        QSignalBlocker quiet(w);
        w->setRange(m.min(), m.max());
        w->setValue(m.position());
    });
    return w;
}

QWidget* makeMeter(form::Meter& m, QWidget* parent) {
    auto* w = new QProgressBar(parent);
    w->setTextVisible(false);
    w->setMaximumHeight(14);
    bindCommon(w, m, [w, &m](Prop) {
        w->setRange(m.min(), std::max(m.min(), m.max()));
        w->setValue(std::clamp(m.position(), m.min(), std::max(m.min(), m.max())));
    });
    return w;
}

QWidget* makeDateTimeEdit(form::DateTimeEdit& m, QWidget* parent) {
    auto* w = new QTimeEdit(parent);
    w->setDisplayFormat(qs(m.format())); // "H:mm" reads the same in Qt
    QObject::connect(w, &QTimeEdit::timeChanged, w, [&m](const QTime& t) {
        double frac = (t.hour() * 60 + t.minute()) / 1440.0;
        if (std::abs(frac - (m.value() - std::floor(m.value()))) > 1e-9) m.setValue(std::floor(m.value()) + frac, Origin::User);
    });
    bindCommon(w, m, [w, &m](Prop) {
        QSignalBlocker quiet(w);
        int minutes = m.minutesOfDay();
        w->setTime(QTime(minutes / 60, minutes % 60));
    });
    return w;
}

QWidget* makeMemo(form::Memo& m, QWidget* parent) {
    auto* w = new QPlainTextEdit(parent);
    w->setReadOnly(true);
    bindCommon(w, m, [w, &m](Prop p) {
        if (p == Prop::Text || p == Prop::Content) w->setPlainText(qs(m.text()));
        if (p == Prop::Scroll || p == Prop::Text) w->verticalScrollBar()->setValue(w->verticalScrollBar()->maximum());
    });
    return w;
}

} // namespace

void bindCommon(QWidget* w, form::Control& c, std::function<void(Prop)> render) {
    w->setObjectName(qs(c.name()));
    auto apply = [w, &c, render](Prop p) {
        switch (p) {
        case Prop::Enabled: w->setEnabled(c.enabled()); break;
        case Prop::Visible: w->setVisible(c.visible()); break;
        case Prop::Hint: w->setToolTip(qs(c.hint())); break;
        case Prop::FontColour: setFontColour(w, c.fontColour()); break;
        case Prop::Focus:
            if (c.focused()) w->setFocus();
            break;
        case Prop::Size:
            // A size the logic set (a panel's "Maximize", say) is the widget's from now on.
            if (trackingSize) break;
            if (c.width() != w->width()) w->setFixedWidth(c.width());
            if (c.height() != w->height()) w->setFixedHeight(c.height());
            break;
        default: break;
        }
        if (render) render(p);
    };
    w->setEnabled(c.enabled());
    if (!c.visible()) w->setVisible(false);
    if (!c.hint().empty()) w->setToolTip(qs(c.hint()));
    if (!isDefault(c.fontColour())) setFontColour(w, c.fontColour());
    if (render) render(Prop::Content);
    c.setObserver(apply);
    new StateTracker(w, c);
    // The widget may go before the model: the model must not call into a dead widget.
    QObject::connect(w, &QObject::destroyed, [&c] { c.setObserver(nullptr); });
}

QWidget* createWidget(form::Control& c, QWidget* parent) {
    if (auto* m = dynamic_cast<form::Button*>(&c)) return makeButton(*m, parent);
    if (auto* m = dynamic_cast<form::CheckBox*>(&c)) return makeCheckBox(*m, parent);
    if (auto* m = dynamic_cast<form::Led*>(&c)) return makeLed(*m, parent);
    if (auto* m = dynamic_cast<form::Label*>(&c)) return makeLabel(*m, parent);
    if (auto* m = dynamic_cast<form::Shape*>(&c)) return LampWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::Edit*>(&c)) return makeEdit(*m, parent);
    if (auto* m = dynamic_cast<form::SpinEdit*>(&c)) return makeSpinEdit(*m, parent);
    if (auto* m = dynamic_cast<form::ComboBox*>(&c)) return makeComboBox(*m, parent);
    if (auto* m = dynamic_cast<form::RadioGroup*>(&c)) return makeRadioGroup(*m, parent);
    if (auto* m = dynamic_cast<form::TrackBar*>(&c)) return makeTrackBar(*m, parent);
    if (auto* m = dynamic_cast<form::Meter*>(&c)) return makeMeter(*m, parent);
    if (auto* m = dynamic_cast<form::DateTimeEdit*>(&c)) return makeDateTimeEdit(*m, parent);
    if (auto* m = dynamic_cast<form::Memo*>(&c)) return makeMemo(*m, parent);
    if (auto* m = dynamic_cast<form::ListView*>(&c)) return ListViewWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::StringGrid*>(&c)) return BlockMapWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::Canvas*>(&c)) return CanvasWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::HexView*>(&c)) return HexViewWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::JumpControl*>(&c)) return JumpWidget::create(*m, parent);
    if (auto* m = dynamic_cast<form::Image*>(&c)) return DirectionPicture::create(*m, parent);
    // Panels and groups are laid out by the window; anything else shows as an empty frame.
    auto* w = new QWidget(parent);
    bindCommon(w, c, nullptr);
    return w;
}

void popupMenu(form::Menu& menu, QWidget* parent) {
    menu.popup();
    QMenu qmenu(parent);
    qmenu.setObjectName(qs(menu.name()));
    for (size_t i = 0; i < menu.size(); ++i) {
        form::MenuItem& item = menu.item(i);
        if (!item.visible()) continue;
        QAction* a = qmenu.addAction(qs(item.caption()));
        a->setObjectName(qs(item.name()));
        a->setEnabled(item.enabled());
        QObject::connect(a, &QAction::triggered, parent, [&item] { item.click(); });
    }
    qmenu.exec(QCursor::pos());
}

} // namespace korvane::qt
