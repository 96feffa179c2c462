// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArrayView>
#include <QString>

class QFileDevice;

namespace platform {

// Why a file of the program's could not be read or written, in words for the person and for
// stderr.
struct FileFault
{
    enum class Kind {
        DiskFull, // no space or quota left, or the file size limit reached
        NoAccess, // permissions, a read-only place, a security module
        LockHeld, // another program holds the store's lock file past the bound
        NotAFile, // a folder or another non-file where the file belongs
        Other,    // an I/O error and the rest
    };
    Kind kind = Kind::Other;
    QString detail; // the system's own words

    static FileFault fromErrno(int error);
    // For the window, in Japanese: 「ディスクがいっぱいです」 and the like.
    QString reason() const;
};

// What stat() and a first read tell of a file that is to be read.
struct ReadProbe
{
    enum class State { Missing, Readable, Unreadable };
    State state = State::Missing;
    FileFault fault; // when Unreadable
};

// "Missing" only when the system says the file does not exist (or a file stands where a folder
// on its way should be, so it cannot exist); any other trouble (a folder on
// the way that cannot be searched, no read permission, a folder in the file's place, an I/O
// error) is "Unreadable", never taken for an empty file.
ReadProbe probeForReading(const QString &path);

// Writes all of `bytes` to the open file, retrying short writes until the system refuses; 0 on
// success, else the system's error number. QFileDevice::write() reports a short write on a full
// disk as success.
int writeFully(QFileDevice &file, QByteArrayView bytes);

// Flushes the file's buffers and asks the system to put it on the disk; 0 on success, else
// the error number. QSaveFile::commit() ignores both failures.
int syncToDisk(QFileDevice &file);

} // namespace platform
