#include "form/MainForm.h"

namespace korvane::form {

MainForm::MainForm() : Window("TFm", "Korvane") {
    setSizeLimits(753, 539, 765, 705);
    setWidth(757);
    setHeight(690);
    moveTo(10, 10);
    setVisible(true);
    standard.passport.Psp.popupMenu = &PasspMenu;
    smart.SmartList.popupMenu = &SmartMenu;
}

} // namespace korvane::form
