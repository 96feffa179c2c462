// SPDX-License-Identifier: MIT
#include "platform/InstanceLockSet.h"

#include "platform/UserStore.h"
#include "platform/widgets/Names.h"

#include <QFileInfo>

namespace platform {

namespace {
const QString StoreLockName = QStringLiteral("tesserin.instance.lock");
const QString UncheckedText =
    QStringLiteral("ほかに起動している %1 を確かめられませんでした（%2）。"
                   "二つ同時に開くと、後から閉じたほうの内容で保存されます。");
} // namespace

InstanceLockSet::InstanceLockSet(const QStringList &paths)
{
    for (const QString &path : paths)
        m_locks.push_back(std::make_unique<InstanceLock>(path));
}

InstanceLockSet::Outcome InstanceLockSet::tryLock()
{
    m_failed.clear();
    for (std::size_t i = 0; i < m_locks.size(); ++i) {
        switch (m_locks[i]->tryLock()) {
        case InstanceLock::Outcome::Taken:
            break;
        case InstanceLock::Outcome::HeldByOther:
            // Let the locks taken so far go at once, for the copy that is running.
            for (std::size_t j = 0; j < i; ++j)
                m_locks[j]->unlock();
            return Outcome::HeldByOther;
        case InstanceLock::Outcome::Failed:
            m_failed.push_back(m_locks[i].get());
            break;
        }
    }
    return m_failed.size() == m_locks.size() ? Outcome::Unchecked : Outcome::Taken;
}

QStringList InstanceLockSet::why() const
{
    QStringList lines;
    for (const InstanceLock *lock : m_failed)
        lines.append(lock->why());
    return lines;
}

QStringList InstanceLockSet::reasons() const
{
    QStringList lines;
    for (const InstanceLock *lock : m_failed)
        lines.append(lock->reason());
    return lines;
}

QString InstanceLockSet::uncheckedMessage() const
{
    return UncheckedText.arg(widgets::name::Caption, reasons().join(QStringLiteral("、")));
}

QStringList InstanceLockSet::defaultPaths()
{
    QStringList paths{InstanceLock::defaultPath()};
    if (const QString store = storeLockPath(openUserStore()); !store.isEmpty())
        paths.append(store);
    return paths;
}

QString InstanceLockSet::storeLockPath(const StoreLocation &store)
{
    // The registry has no folder; there the runtime lock is the only one.
    if (!store.isIniFile())
        return {};
    return QFileInfo(store.iniPath).absolutePath() + QLatin1Char('/') + StoreLockName;
}

} // namespace platform
