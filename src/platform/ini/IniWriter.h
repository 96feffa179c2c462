// SPDX-License-Identifier: MIT
#pragma once

#include "platform/FileFault.h"
#include "platform/ini/IniReader.h"

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
    // The wait, in ms, unless a write says otherwise; the close waits as long for a running save.
    static constexpr int Bound = 2000;
    // How long to wait for the lock file (a folder in its place, garbage in it, or a holder
    // that never lets go all end the wait at once or at this deadline).
    QDeadlineTimer deadline = QDeadlineTimer(Bound);
    // Past the deadline: write without the lock (the close, which must not cost the texts),
    // or give up and fail (a save while the program runs, which can try again later).
    bool writeWithoutLock = true;
    // Asked while waiting for the lock and once more before the rename; true gives up
    // without writing.
    std::function<bool()> stop;
};

// What became of one write of the file.
struct WriteOutcome
{
    enum class Result { Written, Failed, Stopped };
    Result result = Result::Failed;
    FileFault fault; // why, when Failed

    bool written() const { return result == Result::Written; }
    static WriteOutcome failed(const FileFault &why) { return {Result::Failed, why}; }
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
// The other keys' lines are taken once the lock file is ours, so a writer that respects it
// never loses a change: from `kept` while it still stands for the file, otherwise from the file
// read again (and `kept` refreshed from that reading). Only a file the reader does not follow
// goes through QSettings; the keys this writer cannot spell itself there (a list, a typed value,
// an unusual key name) are spelled by QSettings in a scratch file and copied over. A file that
// exists but cannot be read is never written over.
//
// Every byte's write, the flush and the sync to disk are checked before the rename; on any
// failure the old file stays whole. After a write, `kept` stands for the new file.
WriteOutcome writeIniStrings(const QString &path, const QList<std::pair<QString, QString>> &values,
                             const IniWriteLimits &limits = {}, IniKept *kept = nullptr);

// One value as the INI file holds it. A lone surrogate, which UTF-8 cannot carry, becomes
// U+FFFD.
QByteArray iniEscapedString(QStringView value);
// The same, appended to `out`.
void appendIniEscaped(QByteArray &out, QStringView value);

} // namespace platform
