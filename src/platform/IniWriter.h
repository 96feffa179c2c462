#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <utility>

class QSettings;

namespace platform {

// Qt's own INI writer escapes a value one character at a time with an allocation for each;
// three bodies of a megabyte take it well over a tenth of a second. This writer produces the
// same INI syntax in one pass, for stores that hold plain strings only.
//
// Writes the values (keys such as "Data/str1") into the INI file behind `settings`, keeping
// every other key the file already holds, under the same lock file and through a temporary
// file and a rename, as QSettings does. Returns nullopt when the file holds something this
// writer does not reproduce exactly (a list, a typed value, an unusual key or character); the
// caller then lets QSettings write. Otherwise returns whether the file was written.
std::optional<bool> writeIniStrings(QSettings &settings,
                                    const QList<std::pair<QString, QString>> &values);

// One value as the INI file holds it, or nullopt for a character this writer leaves to Qt.
std::optional<QByteArray> iniEscapedString(const QString &value);

} // namespace platform
