// SPDX-License-Identifier: MIT
#include "platform/widgets/Theme.h"

#include <QAbstractButton>
#include <QPalette>
#include <QWidget>

namespace widgets {

QFont uiFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
                      QStringLiteral("Noto Sans CJK JP")});
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
    const QString c = colour.name();
    const QString dark = colour.darker(115).name();
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %3; border: 2px outset %1;"
                       " padding: 0px; }"
                       "QPushButton:pressed, QPushButton:checked { background-color: %2;"
                       " border: 2px inset %1; }"
                       "QPushButton:focus { border-color: %1; border-style: outset;"
                       " outline: none; }"
                       "QPushButton:focus:pressed, QPushButton:focus:checked {"
                       " border-style: inset; }"
                       "QPushButton:disabled { color: %4; }")
            .arg(c, dark, Ink.name(), GreyInk.name()));
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
