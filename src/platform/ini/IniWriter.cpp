// SPDX-License-Identifier: MIT
#include "platform/ini/IniWriter.h"

#include "platform/FileFault.h"
#include "platform/PrivateFolder.h"
#include "platform/Warn.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

#include <cerrno>

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
    // QSettings does not check its writes: a short one on a full disk would lose keys here.
    {
        const QSettings written(path, QSettings::IniFormat);
        for (const auto &[key, value] : values) {
            if (!key.isEmpty() && written.value(key) != value)
                return false;
        }
    }
    QFile file(path);
    // No file: none of the values was one QSettings can write (an empty key).
    if (!file.exists())
        return true;
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

enum class Lock { Taken, NotTaken, Stopped };

// Waits for the store's lock file until the deadline, or until `stop` calls the write off. A
// lock file that cannot be used at all (a folder, no permission) ends the wait at once.
Lock takeLock(QLockFile &lock, const QString &path, const IniWriteLimits &limits)
{
    constexpr int Step = 50; // how soon a stop request is seen
    for (;;) {
        if (limits.stop && limits.stop())
            return Lock::Stopped;
        const qint64 left = limits.deadline.remainingTime();
        if (lock.tryLock(left < 0 ? Step : int(std::min<qint64>(left, Step))))
            return Lock::Taken;
        if (limits.deadline.hasExpired() || lock.error() == QLockFile::PermissionError ||
            lock.error() == QLockFile::UnknownError) {
            warn("%s: %s; %s", qPrintable(path), describeLock(lock, path).constData(),
                 limits.writeWithoutLock ? "writing the store without it"
                                         : "the store is not written now");
            return Lock::NotTaken;
        }
    }
}

// One value's bytes: the value escaped as Qt's reader undoes it, written at `p`, which has room
// for six bytes a character and four more.
char *writeEscaped(char *p, QStringView value)
{
    bool needsQuotes = false;
    for (QChar c : value) {
        const char16_t u = c.unicode();
        if (u == ';' || u == ',' || u == '=') {
            needsQuotes = true;
            break;
        }
    }
    if (!value.isEmpty() && (value.front() == u' ' || value.back() == u' '))
        needsQuotes = true;
    static constexpr char Hex[] = "0123456789abcdef";
    const auto hexEscape = [&](char16_t u) {
        *p++ = '\\';
        *p++ = 'x';
        bool any = false;
        for (int shift = 12; shift >= 0; shift -= 4) {
            const int digit = (u >> shift) & 0xf;
            if (digit || any || shift == 0) {
                *p++ = Hex[digit];
                any = true;
            }
        }
    };
    if (needsQuotes)
        *p++ = '"';
    if (!value.isEmpty() && value.front() == u'@')
        *p++ = '@'; // Qt's reader takes one '@' away
    // Qt's reader takes hex digits greedily, so a digit after a "\x" escape is escaped as well.
    bool afterHex = false;
    const qsizetype n = value.size();
    const char16_t *s = value.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = s[i];
        if (u >= 0x20 && u < 0x80 && u != '"' && u != '\\') {
            if (afterHex &&
                ((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F'))) {
                hexEscape(u);
                continue;
            }
            afterHex = false;
            *p++ = char(u);
            continue;
        }
        afterHex = false;
        switch (u) {
        case '\t':
            *p++ = '\\';
            *p++ = 't';
            continue;
        case '\r':
            *p++ = '\\';
            *p++ = 'r';
            continue;
        case '\n':
            *p++ = '\\';
            *p++ = 'n';
            continue;
        case '"':
            *p++ = '\\';
            *p++ = '"';
            continue;
        case '\\':
            *p++ = '\\';
            *p++ = '\\';
            continue;
        case 0xfeff: // Qt's reader drops a raw U+FEFF at the start of a value
            hexEscape(u);
            afterHex = true;
            continue;
        default:
            break;
        }
        if (u < 0x20) {
            hexEscape(u);
            afterHex = true;
        } else if (u < 0x800) {
            *p++ = char(0xc0 | u >> 6);
            *p++ = char(0x80 | (u & 0x3f));
        } else if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(s[i + 1])) {
            const char32_t c = QChar::surrogateToUcs4(u, s[++i]);
            *p++ = char(0xf0 | c >> 18);
            *p++ = char(0x80 | ((c >> 12) & 0x3f));
            *p++ = char(0x80 | ((c >> 6) & 0x3f));
            *p++ = char(0x80 | (c & 0x3f));
        } else {
            // UTF-8 cannot carry a lone surrogate.
            const char16_t c = QChar::isSurrogate(u) ? char16_t(QChar::ReplacementCharacter) : u;
            *p++ = char(0xe0 | c >> 12);
            *p++ = char(0x80 | ((c >> 6) & 0x3f));
            *p++ = char(0x80 | (c & 0x3f));
        }
    }
    if (needsQuotes)
        *p++ = '"';
    return p;
}

// After "\\" and CR, an LF would be taken as part of the escaped line end.
char lineEnd(const QByteArray &line)
{
    return line.endsWith('\r') ? '\r' : '\n';
}

// Whether a key is among the values written, asked for the few lines kept from the file.
class OwnKeys
{
public:
    explicit OwnKeys(const QList<std::pair<QString, QString>> &values) : m_values(values) {}
    bool contains(const QString &key)
    {
        if (++m_asked < 16) {
            return std::any_of(m_values.cbegin(), m_values.cend(),
                               [&](const auto &v) { return v.first == key; });
        }
        if (m_set.isEmpty()) {
            m_set.reserve(m_values.size());
            for (const auto &v : m_values)
                m_set.insert(v.first);
        }
        return m_set.contains(key);
    }

private:
    const QList<std::pair<QString, QString>> &m_values;
    QSet<QString> m_set;
    int m_asked = 0;
};

// The lines of the file's keys not among the values, as the reader finds them: true when it
// followed the file, false when only QSettings reads it the same way. A missing file has no such
// lines; one that exists and cannot be read is a fault.
std::optional<FileFault> readOtherLines(const QString &path, OwnKeys &ours, IniKept &kept,
                                        bool &followed)
{
    followed = true;
    const ReadProbe probe = probeForReading(path);
    if (probe.state == ReadProbe::State::Missing)
        return std::nullopt;
    if (probe.state == ReadProbe::State::Unreadable)
        return probe.fault;
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        return FileFault::fromErrno(errno ? errno : EIO);
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return FileFault::fromErrno(EIO);
    bool added = true;
    bool selfContained = true;
    const bool scanned = scanIni(
        bytes,
        [&](const IniEntry &entry) {
            if (!ours.contains(entry.key))
                added = kept.add(entry) && added;
        },
        &selfContained);
    kept.seal();
    followed = scanned && added && selfContained;
    return std::nullopt;
}

// A group of lines under one section line; `known` is false when only QSettings knows which
// section that is.
struct Group
{
    QString section;
    bool known = true;
    QByteArray header;
    QByteArray lines;
};

// The other keys through QSettings, for a file the reader does not follow.
bool otherLinesThroughQt(const QString &path, OwnKeys &ours, QList<Group> &groups)
{
    Sections sections;
    QList<std::pair<QString, QVariant>> leftToQt;
    QSettings settings(path, QSettings::IniFormat);
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
    for (auto it = sections.cbegin(); it != sections.cend(); ++it)
        groups.append(Group{QString(), false, it.key(), it.value().join('\n') + '\n'});
    return true;
}

} // namespace

void appendIniEscaped(QByteArray &out, QStringView value)
{
    const qsizetype at = out.size();
    out.resize(at + value.size() * 6 + 4);
    char *const base = out.data();
    out.truncate(writeEscaped(base + at, value) - base);
}

QByteArray iniEscapedString(QStringView value)
{
    QByteArray out;
    appendIniEscaped(out, value);
    return out;
}

WriteOutcome writeIniStrings(const QString &path, const QList<std::pair<QString, QString>> &values,
                             const IniWriteLimits &limits, IniKept *kept)
{
    // The program's own keys are all plain; they are checked before anything is touched.
    for (const auto &[key, value] : values) {
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        const QStringView section = slash < 0 ? QStringView() : QStringView(key).first(slash);
        if (!isPlainKeyPart(QStringView(key).sliced(slash + 1)) ||
            (slash >= 0 &&
             (!isPlainKeyPart(section) || section.compare(u"General", Qt::CaseInsensitive) == 0))) {
            FileFault fault;
            fault.detail = QStringLiteral("the key %1 cannot be written").arg(key);
            return WriteOutcome::failed(fault);
        }
    }

    // The drafts, the mail address and the URL are nobody else's.
    errno = 0;
    if (!makePrivateFolder(QFileInfo(path).absolutePath()))
        return WriteOutcome::failed(FileFault::fromErrno(errno ? errno : ENOTDIR));
    // The lock QSettings takes, so a write of another copy of the program never interleaves.
    const QString lockPath = path + QStringLiteral(".lock");
    QLockFile lock(lockPath);
    switch (takeLock(lock, lockPath, limits)) {
    case Lock::Taken:
        break;
    case Lock::Stopped:
        return {WriteOutcome::Result::Stopped, {}};
    case Lock::NotTaken:
        if (!limits.writeWithoutLock) {
            FileFault fault;
            fault.kind = FileFault::Kind::LockHeld;
            fault.detail = lockPath + QStringLiteral(" is held");
            return WriteOutcome::failed(fault);
        }
        break;
    }

    // Keys this program does not write (leftovers of a longer list, a hand-added key, another
    // program's) stay. Their lines come from the last reading of the file while nobody has
    // written it since, as they stand; only a file the reader cannot follow goes through
    // QSettings, whose reading unescapes every value of a big store.
    OwnKeys ours(values);
    IniKept fresh;
    const IniKept *other = nullptr;
    QList<Group> groups;
    if (kept && kept->isCurrentFor(path)) {
        other = kept;
    } else {
        bool followed = true;
        if (const std::optional<FileFault> fault = readOtherLines(path, ours, fresh, followed))
            return WriteOutcome::failed(*fault);
        if (followed)
            other = &fresh;
    }
    // A kept section that hides the values' own goes through QSettings, which spells such keys
    // under their first part.
    if (other && !other->isEmpty()) {
        QList<QStringView> own;
        for (const auto &[key, value] : values) {
            const qsizetype slash = key.indexOf(QLatin1Char('/'));
            if (slash >= 0 && (own.isEmpty() || own.last() != QStringView(key).first(slash + 1)))
                own.append(QStringView(key).first(slash + 1));
        }
        for (const IniKept::Group &g : other->groups()) {
            if (std::any_of(own.cbegin(), own.cend(),
                            [&](QStringView section) { return hidesSection(g.section, section); }))
                other = nullptr;
        }
    }
    if (!other && !otherLinesThroughQt(path, ours, groups)) {
        FileFault fault;
        fault.detail = QStringLiteral("the other keys of %1 could not be kept").arg(path);
        return WriteOutcome::failed(fault);
    }
    IniKept written; // what stays of the other lines, for the next write
    if (other) {
        for (const IniKept::Group &g : other->groups()) {
            Group group{g.section, true, g.header, {}};
            // The lines of a key written now give way to it.
            const QByteArray lines =
                g.header.isEmpty() ? g.lines : g.header + lineEnd(g.header) + g.lines;
            scanIni(lines, [&](const IniEntry &entry) {
                if (!ours.contains(entry.key) && written.add(entry))
                    IniKept::appendLine(group.lines, entry);
            });
            groups.append(group);
        }
        written.seal();
    }

    // Each value goes under the group of its section, after the other lines there.
    QList<qsizetype> groupOf(values.size());
    QList<QByteArray> latin1Names(values.size());
    qsizetype estimate = 0;
    for (const Group &g : std::as_const(groups))
        estimate += g.header.size() + g.lines.size() + 2;
    qsizetype last = -1;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const QString &key = values[i].first;
        const qsizetype slash = key.indexOf(QLatin1Char('/'));
        const QStringView section = slash < 0 ? QStringView() : QStringView(key).first(slash + 1);
        const QStringView name = QStringView(key).sliced(slash + 1);
        if (last < 0 || groups[last].section != section) {
            last = std::find_if(groups.cbegin(), groups.cend(),
                                [&](const Group &g) { return g.known && g.section == section; }) -
                   groups.cbegin();
            if (last == groups.size()) {
                const QByteArray header =
                    slash < 0 ? QByteArray("[General]") : '[' + section.chopped(1).toLatin1() + ']';
                groups.append(Group{section.toString(), true, header, {}});
            }
        }
        groupOf[i] = last;
        latin1Names[i] = name.toLatin1();
        estimate += key.size() + values[i].second.size() * 3 + 8;
    }

    QByteArray file;
    file.reserve(estimate);
    for (qsizetype g = 0; g < groups.size(); ++g) {
        if (!file.isEmpty())
            file += '\n';
        // The lines before the file's first section come first, without a section line, so
        // a byte-order mark at their start stays at the start of the file.
        if (!groups[g].header.isEmpty()) {
            file += groups[g].header;
            file += lineEnd(groups[g].header);
        }
        file += groups[g].lines;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (groupOf[i] != g)
                continue;
            file += latin1Names[i];
            file += '=';
            appendIniEscaped(file, values[i].second);
            file += '\n';
        }
    }

    // Nothing reaches the store's name unless every byte of it is on the disk: a short write
    // on a full disk, a failed flush or sync leaves the old file as it was.
    const bool isNew = !QFileInfo::exists(path);
    QSaveFile out(path);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly))
        return WriteOutcome::failed(FileFault::fromErrno(errno ? errno : EACCES));
    if (isNew && !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        out.cancelWriting();
        return WriteOutcome::failed(FileFault::fromErrno(errno ? errno : EACCES));
    }
    int error = writeFully(out, file);
    if (!error)
        error = syncToDisk(out);
    if (error) {
        out.cancelWriting();
        return WriteOutcome::failed(FileFault::fromErrno(error));
    }
    // A background save that the close overtook while it wrote leaves the old file in place.
    if (limits.stop && limits.stop()) {
        out.cancelWriting();
        return {WriteOutcome::Result::Stopped, {}};
    }
    errno = 0;
    if (!out.commit())
        return WriteOutcome::failed(FileFault::fromErrno(errno ? errno : EIO));
    if (kept) {
        if (other) {
            *kept = std::move(written);
            kept->setFile(path, FileStamp::of(path));
        } else {
            kept->invalidate();
        }
    }
    return {WriteOutcome::Result::Written, {}};
}

} // namespace platform
