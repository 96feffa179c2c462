// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace platform {

// One key of an INI file as Qt's reader sees it.
struct IniEntry
{
    QString section;        // "Name/" as Qt unescapes it, empty for the top level
    QString key;            // the whole key, "Name/key"
    QByteArrayView value;   // as the file spells it
    QByteArrayView line;    // the whole line, without its line end (it may span several)
    QByteArrayView header;  // the line that opened the section, empty before the first one
    bool openQuote = false; // the file ends inside the value's quotes
};

// Splits the bytes of an INI file into keys exactly as QSettings does (line ends, quotes,
// continuations, ';' comments, a UTF-8 BOM, [General], %-escaped names) and hands each key to
// `visit`, in file order, repeats included. A line without '=' is skipped, as Qt skips it.
// Returns false for what it does not follow the same way (a malformed %-escape in a name).
// `selfContained` becomes false when the last line ends the file after a lone backslash, so that
// a line written after it would change its meaning.
// `sections` gets every section's name, in file order, those without keys too.
bool scanIni(QByteArrayView bytes, const std::function<void(const IniEntry &)> &visit,
             bool *selfContained = nullptr, QStringList *sections = nullptr);

// QSettings looks a key up only in the last section whose name sorts at or before it, so a
// section such as "[Data\\x]" ("Data/x/") hides "Data/" from some keys, depending on which
// were looked up first. Whether `section` would hide `own` (both named as IniEntry::section).
inline bool hidesSection(QStringView section, QStringView own)
{
    return section.size() > own.size() && section.startsWith(own);
}

// A value as QSettings::value() gives it, for a plain string. nullopt for a list (a comma
// outside quotes) or a typed value ("@Variant(...)" and the like), which are left to Qt.
std::optional<QString> iniUnescapedString(QByteArrayView value);

// Enough of a file's state to tell whether anybody wrote it since it was read.
struct FileStamp
{
    bool exists = false;
    qint64 size = 0;
    QDateTime modified, changed;
    static FileStamp of(const QString &path);
    bool operator==(const FileStamp &) const = default;
};

// The lines of the keys a writer does not own, kept from one reading of the file so that a
// later write needs neither to read the file again nor QSettings. Lines stay as the file spells
// them, grouped by section in the order the sections first appear.
class IniKept
{
public:
    struct Group
    {
        QString section;
        QByteArray header; // the file's own "[...]" line, empty for lines before the first
        QByteArray lines;  // each followed by '\n'
    };

    // Whether these lines still stand for the file at `path`.
    bool isCurrentFor(const QString &path) const
    {
        return m_valid && path == m_path && FileStamp::of(path) == m_stamp;
    }
    void setFile(const QString &path, const FileStamp &stamp)
    {
        m_path = path;
        m_stamp = stamp;
        m_valid = true;
    }
    void invalidate() { m_valid = false; }

    // Adds a line; false when the same key already came from another section, where which
    // one Qt takes depends on the order it parses them in. seal() ends the adding.
    bool add(const IniEntry &entry);
    void seal() { m_sectionOf = {}; }
    const QList<Group> &groups() const { return m_groups; }
    bool isEmpty() const { return m_groups.isEmpty(); }
    // The entry's line as it must stand among others to be read the same.
    static void appendLine(QByteArray &lines, const IniEntry &entry);

private:
    QString m_path;
    FileStamp m_stamp;
    bool m_valid = false;
    QList<Group> m_groups;
    QHash<QString, QString> m_sectionOf; // key -> section, while adding
};

} // namespace platform
