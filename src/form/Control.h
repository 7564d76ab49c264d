#pragma once
#include "form/ThreadAffinity.h"

#include <cstdint>
#include <functional>
#include <string>

namespace korvane::form {

// Colours are 0xRRGGBB; kDefaultColour leaves the widget's own colour.
using Colour = uint32_t;
inline constexpr Colour kDefaultColour = 0xFF000000u;
namespace colours {
inline constexpr Colour Black = 0x000000, White = 0xFFFFFF, Navy = 0x000080, Blue = 0x0000FF,
                        Green = 0x008000, Lime = 0x00FF00, Red = 0xFF0000, Maroon = 0x800000,
                        Grey = 0x808080, Silver = 0xC0C0C0, Yellow = 0xFFFF00, Aqua = 0x00FFFF,
                        Purple = 0x800080, Teal = 0x008080, Olive = 0x808000;
}

// Who changed a value: the user through the widget, or the program.
enum class Origin { Program, User };

// Which property changed; the observer (the toolkit binder) repaints only that.
enum class Prop {
    Caption, Enabled, Visible, Hint, FontColour, Colour, Size, Focus, Checked, ItemIndex, Items,
    Text, Value, Range, Rows, Row, Columns, Selection, Cells, Content, Interval, ReadOnly, Scroll,
    ItemEnabled, Position, State, Font
};

// A control's font weight: the window's own, or set for this control.
enum class FontWeight { Inherit, Normal, Bold };

// Base of every control model: the plain properties every widget has, and one observer.
class Control {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    const std::string& name() const { return name_; }

    const std::string& caption() const { return caption_; }
    void setCaption(std::string c) { assign(caption_, std::move(c), Prop::Caption); }

    bool enabled() const { return enabled_; }
    void setEnabled(bool e) { assign(enabled_, e, Prop::Enabled); }

    bool visible() const { return visible_; }
    void setVisible(bool v) { assign(visible_, v, Prop::Visible); }

    const std::string& hint() const { return hint_; }
    void setHint(std::string h) { assign(hint_, std::move(h), Prop::Hint); }

    Colour fontColour() const { return fontColour_; }
    void setFontColour(Colour c) { assign(fontColour_, c, Prop::FontColour); }

    FontWeight fontWeight() const { return fontWeight_; }
    void setFontWeight(FontWeight w) { assign(fontWeight_, w, Prop::Font); }

    Colour colour() const { return colour_; }
    void setColour(Colour c) { assign(colour_, c, Prop::Colour); }

    int width() const { return width_; }
    int height() const { return height_; }
    void setWidth(int w) { assign(width_, w, Prop::Size); }
    void setHeight(int h) { assign(height_, h, Prop::Size); }

    bool focused() const { return focused_; }
    void setFocus(bool f = true) { assign(focused_, f, Prop::Focus); }

    // The one observer: the binder of the widget that shows this control.
    void setObserver(std::function<void(Prop)> observer) { observer_ = std::move(observer); }

protected:
    void notify(Prop p) {
        affinity_.check("control", name_);
        if (observer_) observer_(p);
    }
    template <class T> bool assign(T& field, T value, Prop p) {
        if (field == value) return false;
        field = std::move(value);
        notify(p);
        return true;
    }

private:
    std::string name_;
    std::string caption_;
    std::string hint_;
    bool enabled_ = true;
    bool visible_ = true;
    bool focused_ = false;
    Colour fontColour_ = kDefaultColour;
    Colour colour_ = kDefaultColour;
    FontWeight fontWeight_ = FontWeight::Inherit;
    int width_ = 0;
    int height_ = 0;
    std::function<void(Prop)> observer_;
    ThreadAffinity affinity_;
};

// A control used only as a container or decoration (panels, group boxes, splitters, pictures).
class Panel : public Control {
public:
    using Control::Control;
};

using Handler = std::function<void()>;

} // namespace korvane::form
