// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QWidget;

namespace platform {

// The program's question box: title "Tesserin", no icon, buttons "はい" (the default) and
// "いいえ". Closing it in any other way (Escape, the close box, the system ending the program)
// answers "いいえ". Returns true for "はい".
bool askYesNo(QWidget *parent, const QString &text);

// The program's notice: the same title, no icon, one button "OK".
void tell(QWidget *parent, const QString &text);

} // namespace platform
