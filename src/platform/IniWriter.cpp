// SPDX-License-Identifier: MIT
#include "platform/IniWriter.h"

#include "platform/PrivateFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

namespace platform {

namespace {

bool isPlainKeyPart(QStringView part)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                        (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' || u == '~';
        if (!ok)
            return false;
    }
    return true;
}

// "Section/key" with plain characters only, as the "[Section]" line and the key; anything else
// needs Qt's key escaping.
std::optional<std::pair<QByteArray, QByteArray>> splitKey(const QString &key)
{
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        if (!isPlainKeyPart(key))
            return std::nullopt;
        return std::pair{QByteArray("[General]"), key.toLatin1()};
    }
    const QString section = key.left(slash);
    const QString name = key.mid(slash + 1);
    if (!isPlainKeyPart(section) || !isPlainKeyPart(name) ||
        section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return std::pair{'[' + section.toLatin1() + ']', name.toLatin1()};
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

QString withoutLoneSurrogates(const QString &text)
{
    QString out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (!c.isSurrogate())
            continue;
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            ++i;
            continue;
        }
        if (out.isNull())
            out = text;
        out[i] = QChar::ReplacementCharacter;
    }
    return out.isNull() ? text : out;
}

using Sections = QMap<QByteArray, QList<QByteArray>>;

// The lines QSettings writes for these values, by section line. Used only for what this writer
// does not spell itself, in a scratch file of its own, so its lock is never contended.
bool addQtLines(const QList<std::pair<QString, QVariant>> &values, Sections &sections)
{
    if (values.isEmpty())
        return true;
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return false;
    const QString path = scratch.filePath(QStringLiteral("keys.ini"));
    {
        QSettings qt(path, QSettings::IniFormat);
        for (const auto &[key, value] : values)
            qt.setValue(key, value);
        qt.sync();
        if (qt.status() == QSettings::AccessError)
            return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray section;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        if (line.startsWith('['))
            section = line;
        else
            sections[section].append(line);
    }
    return true;
}

bool isPlainKeyBytes(QByteArrayView part)
{
    if (part.isEmpty())
        return false;
    for (char c : part) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (!ok)
            return false;
    }
    return true;
}

// Whether Qt's reader ends this line's value where the line ends. A backslash before the line
// end continues the value, a quote left open carries it over the line end (and would swallow
// the line written after it), and a lone carriage return is a line end of its own.
bool endsAtLineEnd(QByteArrayView line)
{
    if (line.contains('\r'))
        return false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\') {
            if (++i == line.size())
                return false;
        } else if (c == '"') {
            inQuotes = !inQuotes;
        } else if (c == ';' && !inQuotes) {
            return true; // the rest of the line is a comment
        }
    }
    return !inQuotes;
}

// The lines of keys not in `ours`, by section line, straight from the file's bytes. False for
// anything but plain sections and keys, one line per value and each key once: such a file is
// left to QSettings. A missing file has no foreign keys.
bool copyForeignLines(const QString &path, const QHash<QString, bool> &ours, Sections &sections)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    QByteArray section;
    QSet<QString> seen;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line(bytes.constData() + start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (line.front() == '[') {
            if (!line.endsWith(']'))
                return false;
            const QByteArrayView name = line.sliced(1, line.size() - 2);
            if (!isPlainKeyBytes(name) || name.compare("General", Qt::CaseInsensitive) == 0)
                return false;
            section = line.toByteArray();
            continue;
        }
        // A comment, or a line an editor may have meant as one, is left to Qt.
        if (line.front() == ';' || line.front() == '#' || section.isEmpty() || !endsAtLineEnd(line))
            return false;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0)
            return false;
        const QByteArrayView key = line.first(equals);
        if (!isPlainKeyBytes(key))
            return false;
        const QString name = QString::fromLatin1(section.mid(1, section.size() - 2)) +
                             QLatin1Char('/') + QString::fromLatin1(key);
        if (ours.contains(name))
            continue;
        if (seen.contains(name))
            return false;
        seen.insert(name);
        sections[section].append(line.toByteArray());
    }
    return true;
}

QByteArray describeLock(QLockFile &lock, const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return "it is a folder";
    qint64 pid = 0;
    QString host, app;
    if (lock.getLockInfo(&pid, &host, &app))
        return "process " + QByteArray::number(pid) + " on " + host.toUtf8() + " holds it";
    if (lock.error() == QLockFile::PermissionError)
        return "it cannot be created";
    return "it cannot be read";
}

// Waits for the store's lock file until the deadline. True when it is ours; nullopt when
// `stop` called the write off.
std::optional<bool> takeLock(QLockFile &lock, const QString &path, const IniWriteLimits &limits)
{
    constexpr int Step = 50; // how soon a stop request is seen
    for (;;) {
        if (limits.stop && limits.stop())
            return std::nullopt;
        const qint64 left = limits.deadline.remainingTime();
        if (lock.tryLock(left < 0 ? Step : int(std::min<qint64>(left, Step))))
            return true;
        if (limits.deadline.hasExpired() || lock.error() == QLockFile::PermissionError ||
            lock.error() == QLockFile::UnknownError) {
            std::fprintf(stderr, "tesserin: %s: %s; writing the store without it\n",
                         qPrintable(path), describeLock(lock, path).constData());
            return false;
        }
    }
}

} // namespace

QByteArray iniEscapedString(const QString &value)
{
    QString text = withoutLoneSurrogates(value);
    if (text.startsWith(QLatin1Char('@')))
        text.prepend(QLatin1Char('@'));

    bool needsQuotes = false;
    qsizetype specials = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == ';' || u == ',' || u == '=')
            needsQuotes = true;
        if (u < 0x20 || u == '"' || u == '\\' || u == 0xfeff)
            ++specials;
    }

    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + specials * 5 + 2);
    // Copy the runs between escapes whole; most of a body needs none.
    const char *run = utf8.constData();
    const char *const end = run + utf8.size();
    // Qt's reader takes hex digits greedily, so a digit after a "\x" escape is escaped as well.
    bool afterHex = false;
    for (const char *p = run; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!afterHex && c >= 0x20 && c != '"' && c != '\\' && c != 0xef)
            continue; // nearly every byte of a body
        QByteArray escape;
        int length = 1;
        if (afterHex && isHexDigit(*p)) {
            escape = "\\x" + QByteArray::number(c, 16);
        } else if (c == '\t') {
            escape = "\\t";
        } else if (c == '\r') {
            escape = "\\r";
        } else if (c == '\n') {
            escape = "\\n";
        } else if (c == '"') {
            escape = "\\\"";
        } else if (c == '\\') {
            escape = "\\\\";
        } else if (c < 0x20) {
            escape = "\\x" + QByteArray::number(c, 16);
        } else if (c == 0xef && end - p >= 3 && static_cast<unsigned char>(p[1]) == 0xbb &&
                   static_cast<unsigned char>(p[2]) == 0xbf) {
            // Qt's reader drops a raw U+FEFF at the start of a value.
            escape = "\\xfeff";
            length = 3;
        } else {
            afterHex = false;
            continue;
        }
        afterHex = escape.startsWith("\\x");
        out.append(run, p - run);
        out.append(escape);
        p += length - 1;
        run = p + 1;
    }
    out.append(run, end - run);
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' ')) {
        out.prepend('"');
        out.append('"');
    }
    return out;
}

std::optional<bool> writeIniStrings(QSettings &settings,
                                    const QList<std::pair<QString, QString>> &values,
                                    const IniWriteLimits &limits)
{
    // Every line of the file, grouped by section line in the file's order.
    Sections sections;
    QHash<QString, bool> ours;
    ours.reserve(values.size());
    for (const auto &[key, value] : values)
        ours.insert(key, true);

    // Keys this program does not write (leftovers of a longer list, a hand-added key) stay.
    // Their lines are copied as they stand; only a file this scan cannot follow goes through
    // QSettings, whose reading unescapes every value of a big store.
    if (!copyForeignLines(settings.fileName(), ours, sections)) {
        sections.clear();
        QList<std::pair<QString, QVariant>> leftToQt;
        const QStringList existing = settings.allKeys();
        for (const QString &key : existing) {
            if (ours.contains(key))
                continue;
            const QVariant v = settings.value(key);
            const auto parts = splitKey(key);
            if (parts && v.typeId() == QMetaType::QString)
                sections[parts->first].append(parts->second + '=' + iniEscapedString(v.toString()));
            else
                leftToQt.append({key, v});
        }
        if (!addQtLines(leftToQt, sections))
            return false;
    }
    for (const auto &[key, value] : values) {
        const auto parts = splitKey(key);
        if (!parts)
            return false; // the program's own keys are all plain
        sections[parts->first].append(parts->second + '=' + iniEscapedString(value));
    }

    QByteArray file;
    qsizetype size = 0;
    for (const auto &lines : std::as_const(sections))
        for (const QByteArray &line : lines)
            size += line.size() + 1;
    file.reserve(size + sections.size() * 32);
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!file.isEmpty())
            file += '\n';
        file += it.key() + '\n';
        for (const QByteArray &line : it.value()) {
            file += line;
            file += '\n';
        }
    }

    const QString path = settings.fileName();
    // The drafts, the mail address and the URL are nobody else's.
    if (!makePrivateFolder(QFileInfo(path).absolutePath()))
        return false;
    // The lock QSettings takes, so a write of another copy of the program never interleaves.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    const std::optional<bool> locked = takeLock(lock, lockPath, limits);
    if (!locked)
        return std::nullopt;
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    if (isNew && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    out.write(file);
    // A background save that the close overtook while it wrote leaves the old file in place.
    if (limits.stop && limits.stop()) {
        out.cancelWriting();
        return std::nullopt;
    }
    return out.commit();
}

} // namespace platform
