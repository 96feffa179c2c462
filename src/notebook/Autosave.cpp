// SPDX-License-Identifier: MIT
#include "notebook/Autosave.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

struct Autosave::Shared
{
    std::mutex writing; // held for every write of the store
    std::atomic<bool> closing = false;
    QList<std::pair<QString, QString>> lastWritten; // worker only, under `writing`
    store::Kept kept;                               // under `writing`
};

Autosave::Autosave(platform::StoreFactory openStore, Snapshot snapshot, QObject *parent)
    : QObject(parent), m_openStore(std::move(openStore)), m_snapshot(std::move(snapshot)),
      m_shared(std::make_shared<Shared>())
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(Delay);
    connect(&m_timer, &QTimer::timeout, this, &Autosave::saveInBackground);
}

Autosave::~Autosave()
{
    m_shared->closing = true;
    waitForBackgroundSave();
}

void Autosave::keep(store::Kept kept)
{
    const std::lock_guard writing(m_shared->writing);
    m_shared->kept = std::move(kept);
}

void Autosave::changed()
{
    if (!m_shared->closing)
        m_timer.start();
}

void Autosave::saveInBackground()
{
    if (m_shared->closing)
        return;
    if (backgroundSaveRunning()) {
        m_timer.start();
        return;
    }
    // Only the snapshot is taken here; finishing, escaping and writing happen on the worker.
    m_running = std::async(std::launch::async, backgroundSave, m_shared, m_openStore, m_snapshot());
}

bool Autosave::backgroundSaveRunning() const
{
    return m_running.valid() &&
           m_running.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

void Autosave::waitForBackgroundSave()
{
    if (m_running.valid())
        m_running.wait();
}

bool Autosave::saveNow(const NotebookTexts &texts)
{
    const QDeadlineTimer bound(Bound);
    m_timer.stop();
    m_shared->closing = true; // also tells a running save to stop waiting for the lock file
    // Polled rather than a timed lock: the running save sees `closing` within a few
    // milliseconds, so the wait is short unless its disk hangs.
    std::unique_lock writing(m_shared->writing, std::try_to_lock);
    while (!writing.owns_lock() && !bound.hasExpired()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        writing.try_lock();
    }
    if (!writing.owns_lock())
        std::fprintf(stderr, "tesserin: a background save of the store is still running; "
                             "writing the store anyway\n");
    // Without the lock the running save may still use what was kept; this write reads the
    // file again instead.
    store::Kept unshared;
    store::Kept &kept = writing.owns_lock() ? m_shared->kept : unshared;
    platform::IniWriteLimits limits;
    limits.deadline = bound;
    return store::saveEntries(m_openStore(), store::entries(texts), limits, &kept).value_or(false);
}

void Autosave::backgroundSave(const std::shared_ptr<Shared> &shared,
                              const platform::StoreFactory &openStore, const NotebookTexts &texts)
{
    const QList<std::pair<QString, QString>> values = store::entries(texts);
    const std::lock_guard writing(shared->writing);
    // Once the close has begun, its write is the last; an older snapshot never lands after it.
    if (shared->closing || values == shared->lastWritten)
        return;
    platform::IniWriteLimits limits;
    limits.deadline = QDeadlineTimer(Autosave::Bound);
    limits.stop = [&shared] { return shared->closing.load(); };
    const std::optional<bool> written =
        store::saveEntries(openStore(), values, limits, &shared->kept);
    if (!written)
        return;
    if (*written)
        shared->lastWritten = values;
    else
        std::fprintf(stderr, "tesserin: the texts could not be saved to the settings store; "
                             "they are saved again after the next change and at the close\n");
}
