// SPDX-License-Identifier: MIT
#pragma once

#include "platform/IniReader.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <utility>

namespace platform {

// How long a write may wait for the store's lock file, and what may call it off meanwhile.
struct IniWriteLimits
{
    // Past this the file is written without the lock: a lock left as a folder, one holding
    // garbage or one held by a process that never lets go must not cost the texts.
    QDeadlineTimer deadline = QDeadlineTimer(2000);
    // Asked while waiting for the lock and once more before the rename; true gives up
    // without writing.
    std::function<bool()> stop;
};

// Qt's own INI writer escapes a value one character at a time with an allocation for each;
// three bodies of a megabyte take it well over a tenth of a second. It also writes U+FEFF raw,
// which its reader then drops. This writer produces Qt's INI syntax in one pass, with the
// escapes that make every string come back exactly.
//
// Writes the values (keys such as "Data/str1") into the INI file at `path`, keeping every
// other key the file already holds, through a temporary file and a rename, never through
// QSettings::sync() on the store (which waits for ever on a stuck lock).
//
// The other keys' lines come from `kept` while it still stands for the file; otherwise the file
// is read again (and `kept` refreshed from that reading). Only a file the reader does not
// follow goes through QSettings; the keys this writer cannot spell itself there (a list, a
// typed value, an unusual key name) are spelled by QSettings in a scratch file and copied over.
// After a write, `kept` stands for the new file. Returns whether the file was written, or
// nullopt when `stop` called the write off.
std::optional<bool> writeIniStrings(const QString &path,
                                    const QList<std::pair<QString, QString>> &values,
                                    const IniWriteLimits &limits = {}, IniKept *kept = nullptr);

// One value as the INI file holds it. A lone surrogate, which UTF-8 cannot carry, becomes
// U+FFFD.
QByteArray iniEscapedString(QStringView value);
// The same, appended to `out`.
void appendIniEscaped(QByteArray &out, QStringView value);

} // namespace platform
