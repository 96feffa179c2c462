// SPDX-License-Identifier: MIT
#pragma once

#include "notebook/store/NotebookStore.h"
#include "platform/UserStore.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

// Every write of the store, in one place and one at a time. A change starts a short wait; when
// nothing more changed for that long, or when the first unsaved change is a few seconds old
// whatever the typing, a snapshot of the texts is written from a worker thread, so typing never
// waits for the disk. A failed save is told once and tried again a little later. The close's
// write goes through here too: it stops the background saves and waits for a running one
// before it writes.
class Autosave : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<NotebookTexts()>;

    static constexpr int Delay = 2000;       // ms after the last change
    static constexpr int LongestWait = 4000; // ms after the first unsaved change, at most
    static constexpr int RetryDelay = 5000;  // ms after a failed save
    // ms a save waits for the lock and the close for a save
    static constexpr int Bound = platform::IniWriteLimits::Bound;

    Autosave(platform::StoreFactory openStore, Snapshot snapshot, QObject *parent = nullptr);

    // Reads the store (see store::NotebookStore::load), before any save.
    NotebookTexts load();
    // Set by load() when the store could not be read.
    const std::optional<store::NotebookStore::Unreadable> &unreadable() const;
    ~Autosave() override;

    // A text, the lock or the short-text list changed.
    void changed();

    // The close's write: no background save starts any more, a running one is waited for (it
    // stops waiting for the lock file at once), then these texts are written, past a stuck lock
    // if need be. True when the store was written; otherwise `why` says why.
    bool saveNow(const NotebookTexts &texts, platform::FileFault *why = nullptr);

    // Takes the snapshot and starts its write now, as the end of the wait does. A save already
    // running makes this one wait until it ends.
    void saveInBackground();

    // Whether a background save is still writing; waitForBackgroundSave() blocks until it ends.
    bool backgroundSaveRunning() const;
    void waitForBackgroundSave();

    // Test seam: shorter waits.
    void setDelay(int ms) { m_pause.setInterval(ms); }
    void setLongestWait(int ms) { m_longest.setInterval(ms); }
    void setRetryDelay(int ms) { m_retry.setInterval(ms); }

signals:
    // The first failed save after a successful one (or the start), with the reason in Japanese.
    void saveFailed(const QString &reason);
    // The first successful save after a failed one.
    void saveRecovered();

private:
    struct Shared;
    static void backgroundSave(const std::shared_ptr<Shared> &shared, const NotebookTexts &texts,
                               Autosave *self);
    void finished(const platform::WriteOutcome &outcome);

    Snapshot m_snapshot;
    QTimer m_pause, m_longest, m_busy, m_retry;
    bool m_failing = false;
    std::shared_ptr<Shared> m_shared;
    std::future<void> m_running;
};
