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

    // A label whose click does something offers assistive technology a press action that
    // clicks it, and is announced as a link.
    void setPressable(bool pressable);
    bool isPressable() const { return m_pressable; }
    void press() { emit clicked(); }

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
    bool m_pressable = false;
};

} // namespace widgets
