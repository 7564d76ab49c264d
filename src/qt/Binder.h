#pragma once
#include "form/Control.h"

#include <QWidget>
#include <functional>

namespace korvane::form {
class Menu;
}

namespace korvane::qt {

// Makes the widget that shows a control model and binds the two: the widget renders every
// property the model reports, and user input goes back into the model as user actions.
// Every widget carries the model's name as its object name.
QWidget* createWidget(form::Control& control, QWidget* parent = nullptr);

// Binds an existing widget to the common properties (enabled, visible, hint, colours, size);
// `render` handles the rest and is run once at once with Prop::Content.
void bindCommon(QWidget* widget, form::Control& control, std::function<void(form::Prop)> render);

// Shows a popup menu model at the cursor (its onPopup runs first).
void popupMenu(form::Menu& menu, QWidget* parent);

} // namespace korvane::qt
