// SPDX-License-Identifier: MIT
#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform {

bool makePrivateFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink())
        return false; // a file, or a link to nothing, where the folder belongs
    const QString parent = info.absolutePath();
    if (parent != info.absoluteFilePath() && !makePrivateFolder(parent))
        return false;
    return QDir().mkdir(info.absoluteFilePath(),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner) ||
           QFileInfo(path).isDir();
}

bool isOwnFolder(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return false;
#ifdef Q_OS_UNIX
    if (info.ownerId() != ::getuid())
        return false;
    return !(info.permissions() & (QFileDevice::WriteGroup | QFileDevice::WriteOther));
#else
    return true;
#endif
}

} // namespace platform
