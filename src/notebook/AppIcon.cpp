// SPDX-License-Identifier: MIT
#include "notebook/AppIcon.h"

#include "platform/widgets/Theme.h"

#include <QPainter>
#include <QPainterPath>

QPixmap appIconPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);

    p.setPen(Qt::NoPen);
    p.setBrush(widgets::colour::Teal);
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);

    // The pad, with ruled lines.
    p.setBrush(widgets::colour::LightYellow);
    p.drawRect(QRectF(6, 5, 17, 22));
    p.setPen(QPen(widgets::colour::Teal.lighter(130), 1.2));
    for (int y = 11; y <= 23; y += 4)
        p.drawLine(QPointF(9, y), QPointF(20, y));

    // The quill.
    QPainterPath feather;
    feather.moveTo(13, 26);
    feather.cubicTo(15, 17, 22, 8, 29, 3);
    feather.cubicTo(28, 11, 22, 19, 13, 26);
    p.setPen(QPen(widgets::colour::Maroon, 1.0));
    p.setBrush(widgets::colour::LightPink);
    p.drawPath(feather);
    p.setPen(QPen(widgets::colour::Maroon, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 28), QPointF(16, 22));
    return pixmap;
}

QIcon appIcon()
{
    QIcon icon;
    icon.addPixmap(appIconPixmap(16));
    icon.addPixmap(appIconPixmap(32));
    return icon;
}
