// SPDX-License-Identifier: MIT
#include "notebook/store/NotebookStore.h"

#include "notebook/FinishText.h"
#include "platform/Warn.h"
#include "platform/ini/IniWriter.h"

#include <QFile>
#include <QSettings>

#include <algorithm>
#include <cerrno>

namespace store {

NotebookTexts read(QSettings &settings)
{
    NotebookTexts texts;
    for (const Field &f : Fields)
        f.take(texts, settings.value(f.path(), QString()).toString());

    settings.beginGroup(ShortTextSection);
    for (int n = 0; n < MaxShortTexts; ++n) {
        QString item = settings.value(shortTextKey(n), QString()).toString();
        if (item.isEmpty())
            break;
        texts.shortTexts.append(std::move(item));
    }
    settings.endGroup();
    return texts;
}

QList<std::pair<QString, QString>> entries(const NotebookTexts &texts)
{
    const QString list = ShortTextSection.toString().append(u'/');
    QList<std::pair<QString, QString>> e;
    e.reserve(Fields.size() + texts.shortTexts.size() + 1);
    for (const Field &f : Fields)
        e.append({f.path(), f.value(texts)});
    const int count = static_cast<int>(texts.shortTexts.size());
    for (int i = 0; i < count; ++i)
        e.append({list + shortTextKey(i), texts.shortTexts.at(i)});
    e.append({list + shortTextKey(count), QString()});
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
    static const QString prefix = ShortTextSection.toString().append(u'/').append(ShortTextPrefix);
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

    std::array<QString, Fields.size()> fixedKeys;
    std::array<QString, Fields.size()> fixedSections; // "Data/"
    for (size_t i = 0; i < Fields.size(); ++i) {
        fixedKeys[i] = Fields[i].path();
        fixedSections[i] = Fields[i].section.toString().append(u'/');
    }
    const QString list = ShortTextSection.toString().append(u'/');
    std::array<Found, Fields.size()> fixed;
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
    for (const QString &name : std::as_const(sectionNames)) {
        if (platform::hidesSection(name, list) ||
            std::any_of(fixedSections.cbegin(), fixedSections.cend(),
                        [&](const QString &own) { return platform::hidesSection(name, own); }))
            return std::nullopt;
    }
    const auto ownSection = [&](const Found &found, const QString &section) {
        return found.section < 0 || sections[found.section] == section;
    };
    for (size_t i = 0; i < Fields.size(); ++i)
        if (!ownSection(fixed[i], fixedSections[i]))
            return std::nullopt;
    for (const Found &found : std::as_const(listed))
        if (!ownSection(found, list))
            return std::nullopt;

    NotebookTexts &t = loaded.texts;
    for (size_t i = 0; i < Fields.size(); ++i) {
        std::optional<QString> value =
            fixed[i].section < 0 ? QString() : platform::iniUnescapedString(fixed[i].value);
        if (!value)
            return std::nullopt;
        Fields[i].take(t, std::move(*value));
    }

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
        entry.key = list + shortTextKey(int(n));
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

// entries() puts the table's keys first, then the list and its empty end.
qsizetype listedCount(const QList<std::pair<QString, QString>> &values)
{
    return values.size() - qsizetype(Fields.size()) - 1;
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
        const QString list = ShortTextSection.toString().append(u'/');
        for (qsizetype n = count + 1; n < kept->shortTexts.size(); ++n)
            withTail.append({list + shortTextKey(int(n)), kept->shortTexts.at(n)});
        all = &withTail;
    }
    const platform::WriteOutcome written =
        platform::writeIniStrings(where.iniPath, *all, limits, &kept->file);
    if (written.written()) {
        QStringList list;
        list.reserve(std::max(count + 1, kept->shortTexts.size()));
        for (qsizetype n = 0; n <= count; ++n)
            list.append(values.at(qsizetype(Fields.size()) + n).second);
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

NotebookTexts NotebookStore::load(const QDateTime &now)
{
    const platform::StoreLocation where = m_openStore();
    Loaded loaded = store::load(where);
    m_kept = std::move(loaded.kept);
    if (loaded.unreadable) {
        // Its texts are still there for a later run that can read it.
        const QString keeper = platform::unreadStoreKeeper(where.iniPath, now);
        m_openStore = [keeper] { return platform::StoreLocation{keeper, {}}; };
        m_unreadable = Unreadable{*loaded.unreadable, where.iniPath, keeper};
        platform::warn("%s cannot be read (%s); this run's texts go to %s",
                       qPrintable(where.iniPath), qPrintable(loaded.unreadable->detail),
                       qPrintable(keeper));
    }
    return std::move(loaded.texts);
}

platform::WriteOutcome NotebookStore::save(const QList<std::pair<QString, QString>> &values,
                                           const platform::IniWriteLimits &limits)
{
    return saveEntries(m_openStore(), values, limits, &m_kept);
}

platform::WriteOutcome NotebookStore::saveUnshared(const QList<std::pair<QString, QString>> &values,
                                                   const platform::IniWriteLimits &limits) const
{
    Kept unshared;
    return saveEntries(m_openStore(), values, limits, &unshared);
}

} // namespace store
