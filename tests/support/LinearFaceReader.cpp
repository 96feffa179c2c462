// SPDX-License-Identifier: MIT
#include "LinearFaceReader.h"

#include "faces/FaceTable.h"
#include "platform/TextDecoding.h"
#include "text/TrimSpaces.h"

#include <optional>

QList<FaceGroup> readFacesLinearly(const QByteArray &bytes)
{
    const std::optional<QString> whole = platform::decodeWholeText(bytes);
    // Every line end as LF; a regular expression would not split text with a lone surrogate.
    QString text = whole ? *whole : platform::decodeLineByLine(bytes);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    if (text.endsWith(u'\n'))
        text.chop(1); // a last line end opens no line
    QStringList lines = text.split(u'\n');
    if (text.isEmpty())
        lines.clear();

    QList<FaceGroup> groups;
    for (QString line : lines) {
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.startsWith(QLatin1String("!!")))
            continue;
        const QStringList fields = trimSpaces(line).split(u'\t');
        if (fields.size() < 2)
            continue;
        qsizetype found = 0;
        while (found < groups.size() && groups.at(found).GroupName != fields.at(0))
            ++found;
        if (found < groups.size())
            groups[found].Faces.append(fields.at(1));
        else if (groups.size() < FaceTable::MaxGroups)
            groups.append(FaceGroup{fields.at(0), QStringList{fields.at(1)}});
    }
    return groups;
}
