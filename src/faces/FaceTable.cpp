// SPDX-License-Identifier: MIT
#include "faces/FaceTable.h"

#include "platform/TextDecoding.h"
#include "text/TrimSpaces.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {
const QChar Tab = QLatin1Char('\t');
} // namespace

FaceTable FaceTable::fromFile(const QString &path)
{
    // A folder of that name would open on some systems and read as nothing useful.
    if (!QFileInfo(path).isFile())
        return FaceTable();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FaceTable();
    const QByteArray bytes = file.readAll();
    file.close();
    return fromBytes(bytes);
}

namespace {
// Calls take(line) for every line, without collecting them first.
template <typename Take> void forEachLine(QStringView text, Take take)
{
    qsizetype start = 0;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const QChar c = text.at(i);
        if (c == u'\r' || c == u'\n') {
            take(text.sliced(start, i - start));
            i += (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        take(text.sliced(start));
}
} // namespace

FaceTable FaceTable::fromBytes(const QByteArray &bytes)
{
    FaceTable table;
    const std::optional<QString> whole = platform::decodeWholeText(bytes);
    table.readText(whole ? *whole : platform::decodeLineByLine(bytes));
    return table;
}

void FaceTable::readText(QStringView text)
{
    forEachLine(text, [this](QStringView line) { readLine(line); });
}

void FaceTable::readLine(QStringView line)
{
    // Two files joined with cat bring the second one's byte-order mark along.
    if (line.startsWith(QChar(0xFEFF)))
        line = line.sliced(1);
    // The marker counts only at the very start, before any trimming.
    if (!line.startsWith(QLatin1String("!!")))
        AddFaceLine(line);
}

void FaceTable::AddFaceLine(QStringView line)
{
    const QStringView trimmed = trimSpaces(line);
    const qsizetype firstTab = trimmed.indexOf(Tab);
    if (firstTab < 0)
        return;
    const QStringView rest = trimmed.sliced(firstTab + 1);
    const qsizetype secondTab = rest.indexOf(Tab);
    const QStringView name = trimmed.first(firstTab);
    QString face = (secondTab < 0 ? rest : rest.first(secondTab)).toString();

    const int found = m_index.value(name, -1);
    if (found >= 0) {
        m_groups[found].Faces.append(std::move(face));
        return;
    }
    // Groups past the limit are left out with their lines.
    if (m_groups.size() >= MaxGroups)
        return;
    m_groups.append(FaceGroup{name.toString(), QStringList{std::move(face)}});
    m_index.insert(QStringView(m_groups.last().GroupName), int(m_groups.size() - 1));
}

QStringList FaceTable::groupNames() const
{
    QStringList names;
    names.reserve(m_groups.size());
    for (const FaceGroup &group : m_groups)
        names.append(group.GroupName);
    return names;
}
