// SPDX-License-Identifier: MIT
// Values written by the program's INI writer must come back exactly through QSettings, except
// a lone surrogate, which UTF-8 cannot carry and which comes back as U+FFFD; keys the file
// already held (written by QSettings itself) must come back as QSettings read them before.
//
// Input: the first byte's two low bits say how many of the values are such keys (the third a
// list, split at commas); the values follow, separated by 0xFF. Inside a value, 0xFE and two
// bytes give one UTF-16 unit (big-endian, any unit: NUL, U+FEFF, a lone surrogate), and runs of
// other bytes are UTF-8 (invalid bytes becoming U+FFFD). Neither 0xFE nor 0xFF occurs in UTF-8.
//
// With the first byte's third bit set, the rest is a whole file as anybody may have edited it:
// the program's reader must find the keys QSettings finds and give each plain string value as
// QSettings does (or decline it), and a write must keep every other key as QSettings read it.
#include "platform/ini/IniReader.h"
#include "platform/ini/IniWriter.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QMap>
#include <QSet>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

constexpr int MaxValues = 16;

QList<QString> parseValues(const uint8_t *data, size_t size)
{
    QList<QString> values{QString()};
    QByteArray run;
    auto endRun = [&] {
        values.last() += QString::fromUtf8(run);
        run.clear();
    };
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF) {
            endRun();
            if (values.size() == MaxValues)
                return values;
            values.append(QString());
        } else if (data[i] == 0xFE) {
            endRun();
            if (i + 2 >= size)
                break; // a unit cut short
            values.last() += QChar(char16_t(data[i + 1] << 8 | data[i + 2]));
            i += 2;
        } else {
            run += char(data[i]);
        }
    }
    endRun();
    return values;
}

// What the file can hold: the value with every unpaired surrogate as U+FFFD.
QString storable(const QString &value)
{
    QString out = value;
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        if (c.isHighSurrogate() && i + 1 < out.size() && out.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

QByteArray units(const QString &text)
{
    QByteArray hex;
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0') + ' ';
    return hex;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

[[noreturn]] void fail(const char *what, const QString &key, const QVariant &wrote,
                       const QVariant &read, const QString &path)
{
    std::fprintf(stderr, "fuzz_ini_roundtrip: %s\n  key  %s\n  wrote %s (%s)\n  read  %s (%s)\n",
                 what, qPrintable(key), units(wrote.toString()).constData(), wrote.typeName(),
                 units(read.toString()).constData(), read.typeName());
    std::fprintf(stderr, "  file:\n%s\n", fileBytes(path).constData());
    std::abort();
}

void writeBytes(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), bytes.size()) != bytes.size())
        std::abort();
}

bool isTidy(const QString &key)
{
    return !key.isEmpty() && !key.startsWith(QLatin1Char('/')) && !key.endsWith(QLatin1Char('/')) &&
           !key.contains(QLatin1String("//"));
}

// A file of any bytes: the reader against QSettings, then a write of two keys over it.
void checkFile(QByteArrayView bytes, const QString &path, const QString &check)
{
    writeBytes(path, bytes);
    QMap<QString, QVariant> byQt;
    {
        const QSettings qt(path, QSettings::IniFormat);
        for (const QString &key : qt.allKeys())
            byQt.insert(key, qt.value(key));
    }
    QMap<QString, QByteArrayView> last;
    QMap<QString, QString> sectionOf;
    QSet<QString> ambiguous; // in more than one section: which one Qt takes is not the reader's
    const bool followed = platform::scanIni(bytes, [&](const platform::IniEntry &entry) {
        const auto seen = sectionOf.constFind(entry.key);
        if (seen != sectionOf.cend() && *seen != entry.section)
            ambiguous.insert(entry.key);
        sectionOf.insert(entry.key, entry.section);
        last.insert(entry.key, entry.value);
    });
    if (followed) {
        for (auto it = last.cbegin(); it != last.cend(); ++it) {
            // QSettings looks keys up tidied ("a//b/" as "a/b"), so only a tidy key can be
            // asked for as the file spells it.
            if (ambiguous.contains(it.key()) || !isTidy(it.key()))
                continue;
            if (!byQt.contains(it.key()))
                fail("the reader found a key QSettings does not", it.key(), QVariant(), QVariant(),
                     path);
            const std::optional<QString> value = platform::iniUnescapedString(it.value());
            const QVariant qt = byQt.value(it.key());
            if (value && (qt.typeId() != QMetaType::QString || qt.toString() != *value))
                fail("the reader read a value otherwise", it.key(), qt, *value, path);
        }
        for (auto it = byQt.cbegin(); it != byQt.cend(); ++it)
            if (!last.contains(it.key()))
                fail("the reader missed a key", it.key(), it.value(), QVariant(), path);
    }

    const QList<std::pair<QString, QString>> ours{{QStringLiteral("Data/str1"), "new"},
                                                  {QStringLiteral("t"), "top"}};
    platform::IniKept kept;
    platform::WriteOutcome written = platform::writeIniStrings(path, ours, {}, &kept);
    if (!written.written())
        fail("could not write", QString(), QVariant(), QVariant(), path);
    // A file the reader does not follow goes through QSettings, which spells some values it
    // reads (a list of typed items) otherwise than the file did: that path is checked with
    // files QSettings wrote itself.
    const bool throughQt = !kept.isCurrentFor(path);
    // Once more from what was kept, as the close after a background save does.
    written = platform::writeIniStrings(path, ours, {}, &kept);
    if (!written.written())
        fail("could not write again", QString(), QVariant(), QVariant(), path);
    QFile::rename(path, check);
    const QSettings after(check, QSettings::IniFormat);
    // Looked up first, as the next start does, before anything else makes QSettings read every
    // section: no section may hide the program's keys.
    for (const auto &[key, value] : ours) {
        byQt.remove(key);
        if (after.value(key) != QVariant(value))
            fail("a value came back changed", key, value, after.value(key), check);
    }
    const qsizetype keysAfter = after.allKeys().size();
    for (auto it = byQt.cbegin(); it != byQt.cend(); ++it)
        if (!throughQt && isTidy(it.key()) && after.value(it.key()) != it.value())
            fail("a key the file held came back changed", it.key(), it.value(),
                 after.value(it.key()), check);
    if (!throughQt && keysAfter != byQt.size() + ours.size())
        fail("the file holds other keys than it held", QString(), QVariant(), QVariant(), check);
    QFile::remove(check);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Every write syncs the file to disk; a temporary folder in memory (TMPDIR=/dev/shm)
    // makes the run several times faster.
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tesserin-fuzz-XXXXXX"));
    static quint64 run = 0;
    if (size == 0 || !dir.isValid())
        return 0;
    // QSettings keeps every file it has read or written in a cache and serves a file it
    // believes unchanged from there, with the values as they were set rather than as the file
    // spells them. Each step therefore reads the file under a name QSettings has never seen,
    // as the next start of the program would.
    ++run;
    auto freshName = [](const char *step) {
        return dir.filePath(QStringLiteral("%1-%2.ini").arg(run).arg(QLatin1String(step)));
    };
    const QString byQt = freshName("qt");
    const QString path = freshName("ours");
    const QString check = freshName("check");

    if (data[0] & 4) {
        checkFile(QByteArrayView(data + 1, qsizetype(size - 1)), path, check);
        return 0;
    }

    const QList<QString> values = parseValues(data + 1, size - 1);
    const qsizetype foreignCount = qMin(qsizetype(data[0] & 3), values.size());

    // Keys of someone else, written by QSettings: a string in a section, one at the top level,
    // and a list under a key with a space, which the writer leaves for QSettings to spell.
    const QString foreignKeys[] = {QStringLiteral("Other/f0"), QStringLiteral("f1"),
                                   QStringLiteral("Other/f 2")};
    if (foreignCount > 0) {
        {
            QSettings before(byQt, QSettings::IniFormat);
            for (qsizetype i = 0; i < foreignCount; ++i) {
                const QString &value = values.at(i);
                before.setValue(foreignKeys[i],
                                i == 2 ? QVariant(value.split(QLatin1Char(','))) : QVariant(value));
            }
        }
        QFile::rename(byQt, path);
    }

    QList<std::pair<QString, QString>> ours;
    for (qsizetype i = foreignCount; i < values.size(); ++i)
        ours.append({QStringLiteral("Data/v%1").arg(i), values.at(i)});

    // What the keys of someone else are is what QSettings reads from the file, whether or not
    // that is what it was given.
    QList<std::pair<QString, QVariant>> foreign;
    const QByteArray old = fileBytes(path);
    platform::WriteOutcome written;
    {
        const QSettings settings(path, QSettings::IniFormat);
        for (qsizetype i = 0; i < foreignCount; ++i)
            foreign.append({foreignKeys[i], settings.value(foreignKeys[i])});
        written = platform::writeIniStrings(path, ours);
    }
    if (written.result == platform::WriteOutcome::Result::Stopped) {
        // Not written: the file must be as it was.
        if (fileBytes(path) != old)
            fail("declined but changed the file", QString(), QVariant(), QVariant(), path);
        QFile::remove(path);
        return 0;
    }
    if (!written.written())
        fail("could not write", QString(), QVariant(), QVariant(), path);

    QFile::rename(path, check);
    {
        const QSettings after(check, QSettings::IniFormat);
        for (const auto &[key, value] : ours) {
            const QVariant back = after.value(key);
            if (back.typeId() != QMetaType::QString || back.toString() != storable(value))
                fail("a value came back changed", key, value, back, check);
        }
        for (const auto &[key, value] : foreign) {
            const QVariant back = after.value(key);
            if (back != value)
                fail("a key the file held came back changed", key, value, back, check);
        }
        if (after.allKeys().size() != ours.size() + foreign.size())
            fail("the file holds other keys than were written", QString(), QVariant(), QVariant(),
                 check);
    }
    QFile::remove(check);
    return 0;
}
