// SPDX-License-Identifier: MIT
#include "notebook/store/Autosave.h"

#include "platform/Warn.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

struct Autosave::Shared
{
    explicit Shared(platform::StoreFactory openStore) : store(std::move(openStore)) {}

    std::mutex writing; // held for every write of the store
    std::atomic<bool> closing = false;
    QList<std::pair<QString, QString>> lastWritten; // worker only, under `writing`
    store::NotebookStore store;                     // under `writing`
};

namespace {
void tellStderr(const char *what, const platform::FileFault &fault)
{
    platform::warn("%s: %s", what, qPrintable(fault.detail));
}
} // namespace

Autosave::Autosave(platform::StoreFactory openStore, Snapshot snapshot, QObject *parent)
    : QObject(parent), m_snapshot(std::move(snapshot)),
      m_shared(std::make_shared<Shared>(std::move(openStore)))
{
    const std::pair<QTimer *, int> timers[] = {
        {&m_pause, Delay}, {&m_longest, LongestWait}, {&m_busy, 50}, {&m_retry, RetryDelay}};
    for (const auto &[timer, ms] : timers) {
        timer->setSingleShot(true);
        timer->setInterval(ms);
        connect(timer, &QTimer::timeout, this, &Autosave::saveInBackground);
    }
}

Autosave::~Autosave()
{
    m_shared->closing = true;
    waitForBackgroundSave();
}

NotebookTexts Autosave::load()
{
    const std::lock_guard writing(m_shared->writing);
    return m_shared->store.load();
}

const std::optional<store::NotebookStore::Unreadable> &Autosave::unreadable() const
{
    return m_shared->store.unreadable(); // set once, before any save
}

void Autosave::changed()
{
    if (m_shared->closing)
        return;
    m_pause.start();
    // Steady typing keeps restarting the pause; this one is not restarted.
    if (!m_longest.isActive())
        m_longest.start();
}

void Autosave::saveInBackground()
{
    if (m_shared->closing)
        return;
    if (backgroundSaveRunning()) {
        m_busy.start();
        return;
    }
    m_pause.stop();
    m_longest.stop();
    m_retry.stop();
    // Only the snapshot is taken here; finishing, escaping and writing happen on the worker.
    m_running = std::async(std::launch::async, backgroundSave, m_shared, m_snapshot(), this);
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

bool Autosave::saveNow(const NotebookTexts &texts, platform::FileFault *why)
{
    const QDeadlineTimer bound(Bound);
    for (QTimer *timer : {&m_pause, &m_longest, &m_busy, &m_retry})
        timer->stop();
    m_shared->closing = true; // also tells a running save to stop waiting for the lock file
    // Polled rather than a timed lock: the running save sees `closing` within a few
    // milliseconds, so the wait is short unless its disk hangs.
    std::unique_lock writing(m_shared->writing, std::try_to_lock);
    while (!writing.owns_lock() && !bound.hasExpired()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        writing.try_lock();
    }
    if (!writing.owns_lock())
        platform::warn("a background save of the store is still running; writing the store "
                       "anyway");
    platform::IniWriteLimits limits;
    limits.deadline = bound;
    // Without the lock the running save may still use what was kept; this write reads the
    // file again instead.
    const QList<std::pair<QString, QString>> values = store::entries(texts);
    const platform::WriteOutcome outcome = writing.owns_lock()
                                               ? m_shared->store.save(values, limits)
                                               : m_shared->store.saveUnshared(values, limits);
    if (!outcome.written()) {
        tellStderr("the texts could not be saved to the settings store", outcome.fault);
        if (why)
            *why = outcome.fault;
    }
    return outcome.written();
}

void Autosave::backgroundSave(const std::shared_ptr<Shared> &shared, const NotebookTexts &texts,
                              Autosave *self)
{
    const QList<std::pair<QString, QString>> values = store::entries(texts);
    platform::WriteOutcome outcome{platform::WriteOutcome::Result::Written, {}};
    {
        const std::lock_guard writing(shared->writing);
        // Once the close has begun, its write is the last; an older snapshot never lands after
        // it.
        if (shared->closing)
            return;
        if (values != shared->lastWritten) {
            platform::IniWriteLimits limits;
            limits.deadline = QDeadlineTimer(Autosave::Bound);
            limits.writeWithoutLock = false; // another writer's change would be lost
            limits.stop = [&shared] { return shared->closing.load(); };
            outcome = shared->store.save(values, limits);
            if (outcome.written())
                shared->lastWritten = values;
        }
    }
    if (outcome.result == platform::WriteOutcome::Result::Stopped)
        return;
    // Told to the window's thread without waiting for it; a closed window drops the news.
    QMetaObject::invokeMethod(
        self, [self, outcome] { self->finished(outcome); }, Qt::QueuedConnection);
}

void Autosave::finished(const platform::WriteOutcome &outcome)
{
    if (outcome.written()) {
        if (m_failing) {
            m_failing = false;
            platform::warn("the texts are saved to the settings store again");
            emit saveRecovered();
        }
        return;
    }
    if (!m_failing) {
        m_failing = true;
        tellStderr("the texts could not be saved to the settings store; they are saved again "
                   "in a few seconds and at the close",
                   outcome.fault);
        emit saveFailed(outcome.fault.reason());
    }
    if (!m_shared->closing)
        m_retry.start();
}
