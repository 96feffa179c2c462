// SPDX-License-Identifier: MIT
#include "platform/UserStore.h"

#include "platform/AppName.h"

#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace platform {

namespace {
std::unique_ptr<QSettings> nativeStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, AppName,
                                       AppName);
}
} // namespace

std::unique_ptr<QSettings> StoreLocation::open() const
{
    if (!isIniFile() || !fallbacks.isEmpty())
        return nativeStore();
    return std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

StoreLocation openUserStore()
{
#ifdef Q_OS_WIN
    return {};
#else
    // The names QSettings gives the native store here: the application's file and the
    // organisation's, per user and system-wide.
    const QString user = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString system = QLibraryInfo::path(QLibraryInfo::SettingsPath);
    const QString app =
        QLatin1Char('/') + AppName + QLatin1Char('/') + AppName + QStringLiteral(".conf");
    const QString org = QLatin1Char('/') + AppName + QStringLiteral(".conf");
    return {user + app, {user + org, system + app, system + org}};
#endif
}

QString unreadStoreKeeper(const QString &path, const QDateTime &now)
{
    const QFileInfo store(path);
    const QString name = store.fileName() + QStringLiteral(".unread-") +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString folder = store.absolutePath();
#ifdef Q_OS_UNIX
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
#else
    if (!QFileInfo(folder).isWritable())
#endif
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QLatin1Char('/') + AppName;
    return folder + QLatin1Char('/') + name;
}

} // namespace platform
