// SPDX-License-Identifier: MIT
#include "notebook/Tesserin.h"
#include "platform/AppName.h"
#include "platform/InstanceLockSet.h"
#include "platform/MessageBox.h"
#include "platform/SystemEnd.h"
#include "platform/Warn.h"
#include "platform/widgets/UiLanguage.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(platform::AppName);
    QApplication::setOrganizationName(platform::AppName);
    widgets::useJapaneseUi(app);

    // A second start ends quietly, before the store is read, when any of its locks is held.
    // Locks that cannot be taken for any other reason do not keep the user from the texts.
    platform::InstanceLockSet locks;
    const platform::InstanceLockSet::Outcome outcome = locks.tryLock();
    if (outcome == platform::InstanceLockSet::Outcome::HeldByOther)
        return 0;
    for (const QString &why : locks.why())
        platform::warn("%s", qPrintable(why));
    const bool unchecked = outcome == platform::InstanceLockSet::Outcome::Unchecked;
    if (unchecked)
        platform::warn("starting without the single-instance check");

    Tesserin window;
    platform::SystemEnd systemEnd;
    QObject::connect(&systemEnd, &platform::SystemEnd::endRequested, &window,
                     &Tesserin::systemClose);
    window.show();
    // From inside the event loop, so that a session ending while the notice is up ends the run.
    if (unchecked)
        QTimer::singleShot(0, &window, [&window, text = locks.uncheckedMessage()] {
            platform::tell(&window, text);
        });
    return QApplication::exec();
}
