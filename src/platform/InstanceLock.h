#pragma once

#include <QLockFile>
#include <QString>

namespace platform {

// One running instance per user. The lock file records the holder's process, so a lock left by
// a crashed run is taken over instead of keeping the program from starting.
class InstanceLock
{
public:
    // The default path is in the per-user runtime folder.
    explicit InstanceLock(const QString &path = defaultPath());

    bool tryLock();

    static QString defaultPath();

private:
    QLockFile m_lock;
};

} // namespace platform
