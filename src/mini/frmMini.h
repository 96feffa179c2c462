#pragma once

#include <QWidget>

class QPlainTextEdit;
class Tesserin;

// The compact window that stands in for the hidden main window: the body alone, the short
// texts, the emoticon button and a raw copy. It deletes itself when it closes, after handing
// its text back to the main window's body and telling the main window how it was closed.
class frmMini : public QWidget
{
    Q_OBJECT
public:
    explicit frmMini(Tesserin *main);

    QPlainTextEdit *Doc = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Tesserin *m_main;
};
