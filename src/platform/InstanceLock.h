// SPDX-License-Identifier: MIT
#pragma once

#include <QLockFile>
#include <QString>

namespace platform {

// One running instance per user. The lock file records the holder's process, so a lock left by
// a crashed run is taken over instead of keeping the program from starting.
class InstanceLock
{
public:
    enum class Outcome {
        Taken,       // this is the only instance
        HeldByOther, // another instance of this user runs
        Failed,      // no lock could be taken; why() says what was in the way
    };

    explicit InstanceLock(const QString &path = defaultPath());

    Outcome tryLock();
    void unlock() { m_lock.unlock(); }
    QString why() const { return m_why; }
    // The same in the words of the program's messages.
    QString reason() const { return m_reason; }
    QString path() const { return m_path; }

    // The user's runtime folder; when that is missing or not the user's alone, the user's own
    // cache folder. Never a folder shared with other accounts.
    static QString defaultPath();

private:
    QString m_path;
    QLockFile m_lock;
    QString m_why;
    QString m_reason;
};

} // namespace platform
