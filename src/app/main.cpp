// SPDX-License-Identifier: MIT
#include "notebook/Tesserin.h"
#include "platform/AppName.h"
#include "platform/InstanceLock.h"
#include "platform/SystemEnd.h"
#include "platform/widgets/UiLanguage.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(platform::AppName);
    QApplication::setOrganizationName(platform::AppName);
    widgets::useJapaneseUi(app);

    // A second start ends quietly, before the store is read. A lock that cannot be taken for
    // any other reason does not keep the user from the texts.
    platform::InstanceLock lock;
    switch (lock.tryLock()) {
    case platform::InstanceLock::Outcome::Taken:
        break;
    case platform::InstanceLock::Outcome::HeldByOther:
        return 0;
    case platform::InstanceLock::Outcome::Failed:
        std::fprintf(stderr, "tesserin: %s; starting without the single-instance check\n",
                     qPrintable(lock.why()));
        break;
    }

    Tesserin window;
    platform::SystemEnd systemEnd;
    QObject::connect(&systemEnd, &platform::SystemEnd::endRequested, &window,
                     &Tesserin::systemClose);
    window.show();
    return QApplication::exec();
}
