// SPDX-License-Identifier: MIT
#pragma once

class QMainWindow;

namespace widgets {

// The menu bar answers the keyboard as on the desktop the program follows: F10 opens the first
// menu (Qt binds nothing to it), and after a lone Alt the title the arrows are on is drawn
// highlighted (Fusion highlights a title only while its menu is open).
void reachMenuBarByKeyboard(QMainWindow *window);

} // namespace widgets
