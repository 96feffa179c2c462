// SPDX-License-Identifier: MIT
#include "text/TrimSpaces.h"

QStringView trimSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' '))
        ++begin;
    while (end > begin && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.sliced(begin, end - begin);
}

QString trimSpaces(const QString &text)
{
    return trimSpaces(QStringView(text)).toString();
}
