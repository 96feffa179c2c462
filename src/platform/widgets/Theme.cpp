// SPDX-License-Identifier: MIT
#include "platform/widgets/Theme.h"

#include <QAbstractButton>
#include <QFontDatabase>
#include <QPalette>
#include <QWidget>

namespace widgets {

QStringList installedFamilies(const QStringList &wanted)
{
    const QStringList installed = QFontDatabase::families();
    QStringList found;
    for (const QString &family : wanted) {
        if (installed.contains(family, Qt::CaseInsensitive))
            found << family;
    }
    return found.isEmpty() ? wanted : found;
}

QFont uiFont()
{
    QFont font;
    font.setFamilies(
        installedFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                           QStringLiteral("Noto Sans CJK JP")}));
    font.setPointSize(9);
    return font;
}

QFont faceFont(qreal pointSize)
{
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    return font;
}

namespace {
// Text on the program's pale colours, whatever the desktop's palette says.
const QColor Ink{0, 0, 0};
const QColor GreyInk{109, 109, 109};
const QColor SelectionBack{0, 0, 128};
const QColor SelectionInk{255, 255, 255};
} // namespace

void paintButton(QAbstractButton *button, const QColor &colour)
{
    QPalette p = button->palette();
    p.setColor(QPalette::Button, colour);
    p.setColor(QPalette::ButtonText, Ink);
    p.setColor(QPalette::Disabled, QPalette::ButtonText, GreyInk);
    button->setPalette(p);
}

void paintBackground(QWidget *widget, const QColor &colour)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

void paintBoxBackground(QWidget *box, const QColor &colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Text, Ink);
    p.setColor(QPalette::Disabled, QPalette::Text, GreyInk);
    p.setColor(QPalette::PlaceholderText, GreyInk);
    p.setColor(QPalette::Highlight, SelectionBack);
    p.setColor(QPalette::HighlightedText, SelectionInk);
    box->setPalette(p);
}

void paintLabelText(QWidget *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setAutoFillBackground(false);
}

} // namespace widgets
