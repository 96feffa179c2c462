// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace widgets {

// A label that reports a click: a press and a release of the left button inside it. The second
// press of a double-click is no click: one double-click reports one click.
class ClickLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

} // namespace widgets
