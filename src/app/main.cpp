#include "notebook/Tesserin.h"
#include "platform/InstanceLock.h"
#include "platform/SystemEnd.h"
#include "platform/UiLanguage.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tesserin"));
    QApplication::setOrganizationName(QStringLiteral("Tesserin"));
    platform::useJapaneseUi(app);

    // A second start ends quietly, before the store is read.
    platform::InstanceLock lock;
    if (!lock.tryLock())
        return 0;

    Tesserin window;
    platform::SystemEnd systemEnd;
    QObject::connect(&systemEnd, &platform::SystemEnd::endRequested, &window,
                     &Tesserin::systemClose);
    window.show();
    return QApplication::exec();
}
