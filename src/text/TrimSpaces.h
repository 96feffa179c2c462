// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringView>

// Removes the half-width spaces (U+0020) at both ends; tabs, line breaks and the ideographic
// space U+3000 stay. QString::trimmed() would take all of those.
QStringView trimSpaces(QStringView text);
QString trimSpaces(const QString &text);
