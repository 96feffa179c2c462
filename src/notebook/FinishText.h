// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The body as it leaves the program (clipboard, store): spaces trimmed from both ends once, then
// every trailing CR LF removed, then one CR LF appended to a non-empty result. Only U+0020 is a
// space here; the ideographic space that starts a Japanese paragraph stays.
QString FinishText(const QString &text);
