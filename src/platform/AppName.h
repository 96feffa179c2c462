// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace platform {

// The program's name where the outside world sees it: the settings store, the folders it keeps
// its files in, the question box's title.
inline const QString AppName = QStringLiteral("Tesserin");

} // namespace platform
