// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own icon, drawn here rather than loaded: a teal square with a pale yellow
// writing pad and a quill across it.
QPixmap appIconPixmap(int size);
QIcon appIcon(); // 16 and 32 pixel images
