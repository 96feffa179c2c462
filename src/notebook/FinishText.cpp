// SPDX-License-Identifier: MIT
#include "notebook/FinishText.h"

#include "text/TrimSpaces.h"

QString FinishText(const QString &text)
{
    QString t = trimSpaces(text);
    while (t.endsWith(QLatin1String("\r\n")))
        t.chop(2);
    if (!t.isEmpty())
        t += QLatin1String("\r\n");
    return t;
}
