// SPDX-License-Identifier: MIT
#pragma once

#include "notebook/NotebookStore.h"
#include "platform/UserStore.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <future>
#include <memory>

// Every write of the store, in one place and one at a time. A change starts a short wait; when
// nothing more changed for that long, a snapshot of the texts is written from a worker thread,
// so typing never waits for the disk. The close's write goes through here too: it stops the
// background saves and waits for a running one before it writes.
class Autosave : public QObject
{
    Q_OBJECT
public:
    using Snapshot = std::function<NotebookTexts()>;

    static constexpr int Delay = 2000; // ms after the last change
    static constexpr int Bound = 2000; // ms the close waits for the background save and the lock

    Autosave(platform::StoreFactory openStore, Snapshot snapshot, QObject *parent = nullptr);
    ~Autosave() override;

    // A text, the lock or the short-text list changed.
    void changed();

    // The close's write: no background save starts any more, a running one is waited for (it
    // stops waiting for the lock file at once), then these texts are written. True when the
    // store was written.
    bool saveNow(const NotebookTexts &texts);

    // Takes the snapshot and starts its write now, as the end of the wait does. A save already
    // running makes this one wait for another turn of the timer.
    void saveInBackground();

    // Whether a background save is still writing; waitForBackgroundSave() blocks until it ends.
    bool backgroundSaveRunning() const;
    void waitForBackgroundSave();

    // What the start's reading of the store left for the writes (see store::Kept).
    void keep(store::Kept kept);

    // Test seam: a shorter wait.
    void setDelay(int ms) { m_timer.setInterval(ms); }

private:
    struct Shared;
    static void backgroundSave(const std::shared_ptr<Shared> &shared,
                               const platform::StoreFactory &openStore, const NotebookTexts &texts);

    platform::StoreFactory m_openStore;
    Snapshot m_snapshot;
    QTimer m_timer;
    std::shared_ptr<Shared> m_shared;
    std::future<void> m_running;
};
