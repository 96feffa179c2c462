// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// The rules of the short-text list that need no window; frmFace applies them to List1.
class ShortTextRules
{
public:
    // What a registration adds or looks for: the input without the half-width spaces at its
    // ends. The ideographic space stays, being part of what the user typed. Empty means there
    // is nothing to register.
    static QString registeredForm(const QString &input);

    // Index of the first item equal to the text character for character (no case, width or
    // kana folding), or -1.
    static int firstEqual(const QStringList &items, const QString &text);

    // Whether a list of this many items may take one more.
    static bool hasRoom(qsizetype count);

    // The item to select once the selected one has been deleted: the first remaining one, or
    // none (-1) when the list is empty.
    static int selectionAfterDelete(qsizetype remaining);
};
