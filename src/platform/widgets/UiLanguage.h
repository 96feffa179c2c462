// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

namespace widgets {

// Qt's own strings (the text boxes' context menus, standard buttons) in Japanese, and the
// program's font for every window, pop-up menus included. The interface is Japanese whatever the
// locale. Without Qt's Japanese translation installed those strings stay English; that is no
// error. Returns whether the translation was loaded.
bool useJapaneseUi(QApplication &app);

} // namespace widgets
