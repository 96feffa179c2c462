#include "platform/UiLanguage.h"

#include "platform/Look.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace platform {

bool useJapaneseUi(QApplication &app)
{
    // Pop-up menus are windows of their own and take the application's font, not a window's.
    QApplication::setFont(uiFont());

    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

} // namespace platform
