// SPDX-License-Identifier: MIT
#pragma once

#include "notebook/store/Keys.h"
#include "platform/UserStore.h"
#include "platform/ini/IniWriter.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class QSettings;

namespace store {

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

// Every value to store, with its key ("Data/str1", ...): the table's keys in its order, then the
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

// The window's store: it is handed texts and gives texts back. It keeps what its reading left
// for the writes (see Kept), and a store it could not read is never written: this run's texts
// go to a file of their own beside it. One call at a time (Autosave sees to that).
class NotebookStore
{
public:
    explicit NotebookStore(platform::StoreFactory openStore) : m_openStore(std::move(openStore)) {}

    // Reads the store as load() does. A store that exists but cannot be read gives empty
    // texts, and from then on the writes go to its keeper file (named after `now`).
    NotebookTexts load(const QDateTime &now = QDateTime::currentDateTime());

    // Set by load() when the store could not be read: why, which file, where texts go instead.
    struct Unreadable
    {
        platform::FileFault fault;
        QString store;
        QString keeper;
    };
    const std::optional<Unreadable> &unreadable() const { return m_unreadable; }

    // Writes these values (as entries() gives them), with the other keys' lines kept from the
    // last reading or writing.
    platform::WriteOutcome save(const QList<std::pair<QString, QString>> &values,
                                const platform::IniWriteLimits &limits);
    // The same without what was kept, reading the file again: for a write that may run beside
    // one that uses it.
    platform::WriteOutcome saveUnshared(const QList<std::pair<QString, QString>> &values,
                                        const platform::IniWriteLimits &limits) const;

private:
    platform::StoreFactory m_openStore;
    Kept m_kept;
    std::optional<Unreadable> m_unreadable;
};

} // namespace store
