// SPDX-License-Identifier: MIT
#include "notebook/NotebookStore.h"

#include "notebook/FinishText.h"
#include "platform/IniWriter.h"

#include <QFile>
#include <QSettings>

#include <algorithm>
#include <cerrno>

namespace store {

namespace {
QString readText(QSettings &settings, const QString &key)
{
    return settings.value(key, QString()).toString();
}
} // namespace

QString bodyKey(int slot)
{
    return QStringLiteral("str%1").arg(slot + 1);
}

QString titleKey(int slot)
{
    return QStringLiteral("Title%1").arg(slot + 1);
}

QString infoKey(int index)
{
    return QStringLiteral("info%1").arg(index);
}

QString shortTextKey(int index)
{
    return QStringLiteral("tanbun%1").arg(index);
}

NotebookTexts read(QSettings &settings)
{
    NotebookTexts texts;
    settings.beginGroup(DataSection);
    for (int i = 0; i < 3; ++i)
        texts.SlotBody[i] = readText(settings, bodyKey(i));
    for (int i = 0; i < 3; ++i)
        texts.SlotTitle[i] = readText(settings, titleKey(i));
    for (int i = 0; i < 3; ++i)
        texts.Info[i] = readText(settings, infoKey(i));
    settings.endGroup();

    texts.locked =
        settings.value(SettingSection + QLatin1Char('/') + LockKey).toString() == LockedValue;

    settings.beginGroup(DataSection);
    for (int n = 0; n < MaxShortTexts; ++n) {
        QString item = readText(settings, shortTextKey(n));
        if (item.isEmpty())
            break;
        texts.shortTexts.append(std::move(item));
    }
    settings.endGroup();
    return texts;
}

QList<std::pair<QString, QString>> entries(const NotebookTexts &texts)
{
    const QString data = DataSection + QLatin1Char('/');
    QList<std::pair<QString, QString>> e;
    e.reserve(3 * 3 + texts.shortTexts.size() + 2);
    for (int i = 0; i < 3; ++i)
        e.append({data + bodyKey(i), FinishText(texts.SlotBody[i])});
    for (int i = 0; i < 3; ++i)
        e.append({data + titleKey(i), texts.SlotTitle[i]});
    for (int i = 0; i < 3; ++i)
        e.append({data + infoKey(i), texts.Info[i]});
    const int count = static_cast<int>(texts.shortTexts.size());
    for (int i = 0; i < count; ++i)
        e.append({data + shortTextKey(i), texts.shortTexts.at(i)});
    e.append({data + shortTextKey(count), QString()});
    e.append(
        {SettingSection + QLatin1Char('/') + LockKey, texts.locked ? LockedValue : UnlockedValue});
    return e;
}

void write(QSettings &settings, const NotebookTexts &texts)
{
    for (const auto &[key, value] : entries(texts))
        settings.setValue(key, value);
}

namespace {

// Where one of the program's keys was found last.
struct Found
{
    QByteArrayView value;
    QByteArrayView line;
    int section = -1; // -1: not found
};

// "Data/tanbun" followed by an index below the list's bound, as shortTextKey() spells it.
int shortTextIndex(const QString &key)
{
    static const QString prefix = DataSection + QLatin1Char('/') + shortTextKey(0).chopped(1);
    if (!key.startsWith(prefix))
        return -1;
    const QStringView digits = QStringView(key).sliced(prefix.size());
    if (digits.isEmpty() || digits.size() > 5 || (digits.size() > 1 && digits.front() == u'0'))
        return -1;
    int n = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c.unicode() - '0');
    }
    return n < MaxShortTexts ? n : -1;
}

// The INI file read by the program's own reader; nullopt where QSettings must read it.
std::optional<Loaded> loadIni(const QString &path)
{
    Loaded loaded;
    const platform::FileStamp stamp = platform::FileStamp::of(path);
    QFile file(path);
    if (!stamp.exists) {
        loaded.kept.file.setFile(path, stamp);
        return loaded;
    }
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.unreadable = platform::FileFault::fromErrno(errno ? errno : EIO);
        return loaded;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        loaded.unreadable = platform::FileFault::fromErrno(EIO);
        return loaded;
    }
    file.close();

    const QString data = DataSection + QLatin1Char('/');
    std::array<QString, 10> fixedKeys;
    for (int i = 0; i < 3; ++i) {
        fixedKeys[i] = data + bodyKey(i);
        fixedKeys[3 + i] = data + titleKey(i);
        fixedKeys[6 + i] = data + infoKey(i);
    }
    fixedKeys[9] = SettingSection + QLatin1Char('/') + LockKey;
    std::array<Found, 10> fixed;
    QList<Found> listed;
    QList<QString> sections;
    QList<QByteArrayView> headers;
    bool keepable = true;
    bool sameSection = true;
    const auto note = [&](Found &found, const platform::IniEntry &entry) {
        if (sections.isEmpty() || sections.last() != entry.section ||
            headers.last().data() != entry.header.data()) {
            sections.append(entry.section);
            headers.append(entry.header);
        }
        const int section = int(sections.size() - 1);
        // Qt takes the last of a key's lines in one section; between sections it depends on
        // the order it parses them in.
        if (found.section >= 0 && sections[found.section] != entry.section)
            sameSection = false;
        found = Found{entry.value, entry.line, section};
    };
    bool selfContained = true;
    QStringList sectionNames;
    const bool followed = platform::scanIni(
        bytes,
        [&](const platform::IniEntry &entry) {
            if (const int n = shortTextIndex(entry.key); n >= 0) {
                if (listed.size() <= n)
                    listed.resize(n + 1);
                note(listed[n], entry);
                return;
            }
            const auto at = std::find(fixedKeys.cbegin(), fixedKeys.cend(), entry.key);
            if (at != fixedKeys.cend())
                note(fixed[at - fixedKeys.cbegin()], entry);
            else
                keepable = loaded.kept.file.add(entry) && keepable;
        },
        &selfContained, &sectionNames);
    if (!followed || !sameSection)
        return std::nullopt;
    // A section that hides the program's own, or a key of the program's under another
    // section, would be found by QSettings only sometimes.
    const QString setting = SettingSection + QLatin1Char('/');
    for (const QString &name : std::as_const(sectionNames)) {
        if (platform::hidesSection(name, data) || platform::hidesSection(name, setting))
            return std::nullopt;
    }
    const auto ownSection = [&](const Found &found, const QString &section) {
        return found.section < 0 || sections[found.section] == section;
    };
    for (int i = 0; i < 10; ++i)
        if (!ownSection(fixed[i], i < 9 ? data : setting))
            return std::nullopt;
    for (const Found &found : std::as_const(listed))
        if (!ownSection(found, data))
            return std::nullopt;

    std::array<QString, 10> texts;
    for (int i = 0; i < 10; ++i) {
        if (fixed[i].section < 0)
            continue;
        std::optional<QString> value = platform::iniUnescapedString(fixed[i].value);
        if (!value)
            return std::nullopt;
        texts[i] = std::move(*value);
    }
    NotebookTexts &t = loaded.texts;
    for (int i = 0; i < 3; ++i) {
        t.SlotBody[i] = std::move(texts[i]);
        t.SlotTitle[i] = std::move(texts[3 + i]);
        t.Info[i] = std::move(texts[6 + i]);
    }
    t.locked = texts[9] == LockedValue;

    qsizetype end = 0;
    for (; end < listed.size() && listed[end].section >= 0; ++end) {
        std::optional<QString> item = platform::iniUnescapedString(listed[end].value);
        if (!item)
            return std::nullopt;
        if (item->isEmpty())
            break;
        t.shortTexts.append(std::move(*item));
    }
    loaded.kept.shortTexts = t.shortTexts;
    // The list's end and whatever follows it stay as the file spells them.
    for (qsizetype n = end; n < listed.size(); ++n) {
        if (listed[n].section < 0)
            continue;
        platform::IniEntry entry;
        entry.section = sections[listed[n].section];
        entry.header = headers[listed[n].section];
        entry.key = data + shortTextKey(int(n));
        entry.value = listed[n].value;
        entry.line = listed[n].line;
        keepable = loaded.kept.file.add(entry) && keepable;
    }
    loaded.kept.file.seal();
    if (keepable && selfContained)
        loaded.kept.file.setFile(path, stamp);
    return loaded;
}

// The registry: no lock file to wait for, no escapes to get wrong.
platform::WriteOutcome saveThroughQSettings(QSettings &settings,
                                            const QList<std::pair<QString, QString>> &values)
{
    for (const auto &[key, value] : values)
        settings.setValue(key, value);
    settings.sync();
    // A status left over from reading is no failure of this write.
    if (settings.status() != QSettings::AccessError)
        return {platform::WriteOutcome::Result::Written, {}};
    platform::FileFault fault;
    fault.kind = platform::FileFault::Kind::NoAccess;
    return platform::WriteOutcome::failed(fault);
}

// entries() puts the nine texts first and the lock last, around the list and its empty end.
qsizetype listedCount(const QList<std::pair<QString, QString>> &values)
{
    return values.size() - 3 * 3 - 2;
}

} // namespace

Loaded load(const platform::StoreLocation &where)
{
    if (where.isIniFile()) {
        // QSettings reads a file it cannot open as an empty one; the program must not.
        const platform::ReadProbe probe = platform::probeForReading(where.iniPath);
        if (probe.state == platform::ReadProbe::State::Unreadable)
            return Loaded{{}, {}, probe.fault};
    }
    const bool fallbacks = std::any_of(where.fallbacks.cbegin(), where.fallbacks.cend(),
                                       [](const QString &path) { return QFile::exists(path); });
    if (where.isIniFile() && !fallbacks) {
        if (std::optional<Loaded> loaded = loadIni(where.iniPath)) {
            if (loaded->unreadable)
                loaded->texts = {};
            return std::move(*loaded);
        }
    }
    return Loaded{read(*where.open()), {}, {}};
}

platform::WriteOutcome saveEntries(const platform::StoreLocation &where,
                                   const QList<std::pair<QString, QString>> &values,
                                   const platform::IniWriteLimits &limits, Kept *kept)
{
    if (!where.isIniFile())
        return saveThroughQSettings(*where.open(), values);
    if (!kept)
        return platform::writeIniStrings(where.iniPath, values, limits);

    // Short texts of a longer list the file holds stay, as they were read or last written.
    const qsizetype count = listedCount(values);
    if (!kept->file.isCurrentFor(where.iniPath))
        kept->shortTexts.clear();
    QList<std::pair<QString, QString>> withTail;
    const QList<std::pair<QString, QString>> *all = &values;
    if (kept->shortTexts.size() > count + 1) {
        withTail = values;
        const QString data = DataSection + QLatin1Char('/');
        for (qsizetype n = count + 1; n < kept->shortTexts.size(); ++n)
            withTail.append({data + shortTextKey(int(n)), kept->shortTexts.at(n)});
        all = &withTail;
    }
    const platform::WriteOutcome written =
        platform::writeIniStrings(where.iniPath, *all, limits, &kept->file);
    if (written.written()) {
        QStringList list;
        list.reserve(std::max(count + 1, kept->shortTexts.size()));
        for (qsizetype n = 0; n <= count; ++n)
            list.append(values.at(3 * 3 + n).second);
        for (qsizetype n = count + 1; n < kept->shortTexts.size(); ++n)
            list.append(kept->shortTexts.at(n));
        kept->shortTexts = std::move(list);
    }
    return written;
}

bool save(const platform::StoreLocation &where, const NotebookTexts &texts)
{
    return saveEntries(where, entries(texts)).written();
}

bool save(QSettings &settings, const NotebookTexts &texts)
{
    bool iniFile = settings.format() == QSettings::IniFormat;
#ifndef Q_OS_WIN
    iniFile = iniFile || settings.format() == QSettings::NativeFormat;
#endif
    if (iniFile)
        return platform::writeIniStrings(settings.fileName(), entries(texts)).written();
    return saveThroughQSettings(settings, entries(texts)).written();
}

} // namespace store
