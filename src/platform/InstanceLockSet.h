// SPDX-License-Identifier: MIT
#pragma once

#include "platform/InstanceLock.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace platform {

struct StoreLocation;

// Every lock by which one copy can find another: the runtime folder's, and the one in the
// store's own folder, which copies started with different runtime folders still share. Held
// until the object goes; taken in the order given, so two copies never refuse each other.
class InstanceLockSet
{
public:
    enum class Outcome {
        Taken,       // no other copy holds any of the locks; at least one was taken
        HeldByOther, // another copy holds one of them; none is kept
        Unchecked,   // none could be taken; why() and reasons() say what was in the way
    };

    explicit InstanceLockSet(const QStringList &paths = defaultPaths());

    Outcome tryLock();
    // One line per lock that could not be taken (also with Taken, when one of several failed).
    QStringList why() const;
    QStringList reasons() const;
    // What the person is told when the program starts unchecked.
    QString uncheckedMessage() const;

    // The runtime folder's lock, then the store folder's (none for a store without a folder).
    static QStringList defaultPaths();
    // Not the store's write lock (Tesserin.conf.lock), which is held only while writing.
    static QString storeLockPath(const StoreLocation &store);

private:
    std::vector<std::unique_ptr<InstanceLock>> m_locks;
    std::vector<InstanceLock *> m_failed;
};

} // namespace platform
