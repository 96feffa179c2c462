// SPDX-License-Identifier: MIT
#pragma once

#include "platform/IniWriter.h"
#include "platform/UserStore.h"

#include <QString>
#include <QStringList>

#include <array>
#include <utility>

class QSettings;

// Everything the notebook keeps between runs, as held in the settings store.
struct NotebookTexts
{
    std::array<QString, 3> SlotBody;
    std::array<QString, 3> SlotTitle;
    std::array<QString, 3> Info;
    bool locked = false;
    QStringList shortTexts;
};

namespace store {

// The store keeps at most this many short texts, so the registration window builds no longer
// list.
inline constexpr int MaxShortTexts = 32766;

inline const QString DataSection = QStringLiteral("Data");
inline const QString SettingSection = QStringLiteral("Setting");
inline const QString LockKey = QStringLiteral("Lock");
inline const QString LockedValue = QStringLiteral("lock");
inline const QString UnlockedValue = QStringLiteral("unlock");

QString bodyKey(int slot);       // "str1".."str3" for slots 0..2
QString titleKey(int slot);      // "Title1".."Title3"
QString infoKey(int index);      // "info0".."info2"
QString shortTextKey(int index); // "tanbun0", "tanbun1", ...

// Reads the store as the program starts: a missing key is an empty text; the short texts end at
// the first empty value or at the list's bound, whichever comes first; only the exact value
// "lock" means locked.
NotebookTexts read(QSettings &settings);

// What one reading of the store leaves for the writes after it, so that they need not read the
// file again: the lines of the keys the program does not write, and the short texts as the file
// holds them (those of a longer list stay when a shorter one is written).
struct Kept
{
    platform::IniKept file;
    QStringList shortTexts; // "tanbun0" on; the file's later ones are among `file`'s lines
};

struct Loaded
{
    NotebookTexts texts;
    Kept kept;
    // Set when the store exists but could not be read: the texts are then empty, and the
    // store must not be written over.
    std::optional<platform::FileFault> unreadable;
};

// Reads the store as read() does. An INI file is read once, by the program's own reader,
// unless it holds something only QSettings reads the same way. Only a store that does not
// exist reads as empty.
Loaded load(const platform::StoreLocation &where);

// Every value to store, with its key ("Data/str1", ...): bodies finished, the rest as typed, the
// short texts followed by one empty value.
QList<std::pair<QString, QString>> entries(const NotebookTexts &texts);

// Puts every value into the settings object (written at its next sync). Keys of an earlier,
// longer list stay where they are and are never read again.
void write(QSettings &settings, const NotebookTexts &texts);

// Writes these values (as entries() gives them) to the store and tells what became of the
// write. An INI file is written in one pass, waiting for its lock file no longer than the
// limits allow, with the other keys' lines from `kept` while nobody else wrote the file since
// (and `kept` follows the write); other stores (the registry) go through QSettings.
platform::WriteOutcome saveEntries(const platform::StoreLocation &where,
                                   const QList<std::pair<QString, QString>> &values,
                                   const platform::IniWriteLimits &limits = {},
                                   Kept *kept = nullptr);

// Writes every value to the store now and tells whether it worked.
bool save(const platform::StoreLocation &where, const NotebookTexts &texts);
// The same for the store behind a QSettings object.
bool save(QSettings &settings, const NotebookTexts &texts);

} // namespace store
