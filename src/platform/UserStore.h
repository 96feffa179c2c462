// SPDX-License-Identifier: MIT
#pragma once

#include <QDateTime>
#include <QSettings>
#include <QStringList>

#include <functional>
#include <memory>

namespace platform {

// Where a settings store lives, found without reading it: an INI file, or the registry.
struct StoreLocation
{
    QString iniPath; // empty for the registry
    // Files QSettings consults for a key the store lacks (the per-user store on Linux has
    // system-wide ones); while one exists, reading goes through QSettings.
    QStringList fallbacks;

    bool isIniFile() const { return !iniPath.isEmpty(); }
    // The store as QSettings reads it.
    std::unique_ptr<QSettings> open() const;
};

// The per-user settings store: an INI file under the user's config folder on Linux
// (XDG_CONFIG_HOME moves it), the registry on Windows.
StoreLocation openUserStore();

// Where a run that could not read the store file at `path` keeps its texts instead, so that the
// store is never written over: a new file beside it named after the start's time
// ("Tesserin.conf.unread-20261209-171500"), or, when that folder cannot be written, one of the
// same name in the user's data folder.
QString unreadStoreKeeper(const QString &path, const QDateTime &now);

// How the main window finds its store; tests hand it one on a temporary file.
using StoreFactory = std::function<StoreLocation()>;

} // namespace platform
