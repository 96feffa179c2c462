#include "platform/Look.h"

#include <QAbstractButton>
#include <QPalette>
#include <QWidget>

namespace platform {

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

void paintButton(QAbstractButton *button, const QColor &colour)
{
    const QString c = colour.name();
    const QString dark = colour.darker(115).name();
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: black; border: 2px outset %1;"
                       " padding: 0px; }"
                       "QPushButton:pressed, QPushButton:checked { background-color: %2;"
                       " border: 2px inset %1; }"
                       "QPushButton:focus { border-color: %1; border-style: outset;"
                       " outline: none; }"
                       "QPushButton:focus:pressed, QPushButton:focus:checked {"
                       " border-style: inset; }")
            .arg(c, dark));
    QPalette p = button->palette();
    p.setColor(QPalette::Button, colour);
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
    box->setPalette(p);
}

void paintLabelText(QWidget *label, const QColor &colour)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    label->setAutoFillBackground(false);
}

} // namespace platform
