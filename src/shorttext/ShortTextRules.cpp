// SPDX-License-Identifier: MIT
#include "shorttext/ShortTextRules.h"

#include "notebook/store/NotebookStore.h"
#include "text/TrimSpaces.h"

QString ShortTextRules::registeredForm(const QString &input)
{
    return trimSpaces(input);
}

int ShortTextRules::firstEqual(const QStringList &items, const QString &text)
{
    // QString's operator== compares UTF-16 code units: exactly what "equal" means here.
    return static_cast<int>(items.indexOf(text));
}

bool ShortTextRules::hasRoom(qsizetype count)
{
    return count < store::MaxShortTexts;
}

int ShortTextRules::selectionAfterDelete(qsizetype remaining)
{
    return remaining > 0 ? 0 : -1;
}
