#pragma once
#include <QIcon>

namespace korvane::qt {

// The program's picture, drawn here: a disk platter with its head; the busy form has a red lamp.
QIcon appIcon(bool busy = false);

} // namespace korvane::qt
