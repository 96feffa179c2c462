// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace platform {

// Empties the clipboard, then puts the text on it as plain text (also when it is empty).
void putOnClipboard(const QString &text);

} // namespace platform
