// SPDX-License-Identifier: MIT
#include "platform/InstanceLock.h"

#include "platform/AppName.h"

#include "platform/PrivateFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace platform {

InstanceLock::InstanceLock(const QString &path) : m_path(path), m_lock(path)
{
    // A live holder never lets its lock go stale; only a dead one's lock is taken over.
    m_lock.setStaleLockTime(0);
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!makePrivateFolder(folder)) {
        m_why = folder + QStringLiteral(" cannot be made a folder");
        m_reason = QStringLiteral("%1 を作れません").arg(folder);
        return Outcome::Failed;
    }
    // A lock another instance is just creating is empty for a moment: look again before
    // calling it foreign.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_lock.tryLock(0)) {
            QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            return Outcome::Taken;
        }
        if (m_lock.error() != QLockFile::LockFailedError)
            break;
        qint64 pid = 0;
        QString host, app;
        // A dead holder's lock would have been taken over above, so a readable one is alive.
        if (QFileInfo(m_path).isFile() && m_lock.getLockInfo(&pid, &host, &app))
            return Outcome::HeldByOther;
        QThread::msleep(100);
    }
    const QFileInfo info(m_path);
    if (info.isDir()) {
        m_why = m_path + QStringLiteral(" is a folder");
        m_reason = QStringLiteral("%1 がフォルダーです").arg(m_path);
    } else if (m_lock.error() == QLockFile::LockFailedError) {
        m_why = m_path + QStringLiteral(" names no running process");
        m_reason = QStringLiteral("%1 の中身が読めません").arg(m_path);
    } else {
        m_why = m_path + QStringLiteral(" cannot be created");
        m_reason = QStringLiteral("%1 を作れません").arg(m_path);
    }
    return Outcome::Failed;
}

QString InstanceLock::defaultPath()
{
    const QString name = QStringLiteral("/tesserin.lock");
#ifdef Q_OS_UNIX
    // Read directly: Qt's own fall-back for a missing runtime folder is a name in /tmp.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isOwnFolder(runtime))
        return runtime + name;
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QLatin1Char('/') + AppName + name;
}

} // namespace platform
