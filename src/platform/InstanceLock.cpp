#include "platform/InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

InstanceLock::InstanceLock(const QString &path) : m_lock(path)
{
    // A live holder never lets its lock go stale; only a dead one's lock is taken over.
    m_lock.setStaleLockTime(0);
}

bool InstanceLock::tryLock()
{
    return m_lock.tryLock(0);
}

QString InstanceLock::defaultPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/tesserin.lock");
}

} // namespace platform
