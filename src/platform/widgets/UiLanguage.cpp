// SPDX-License-Identifier: MIT
#include "platform/widgets/UiLanguage.h"

#include "platform/widgets/Theme.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace widgets {

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

} // namespace widgets
