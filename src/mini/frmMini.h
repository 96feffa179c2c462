// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

class QComboBox;
class QPlainTextEdit;
class QPushButton;
class Tesserin;

// frmMini: the mini window, a small body-only window used instead of the main one.
// The compact window that stands in for the hidden main window: the body alone, the short
// texts, the emoticon button and a raw copy. It deletes itself when it closes, after handing
// its text back to the main window's body and telling the main window how it was closed.
class frmMini : public QWidget
{
    Q_OBJECT
public:
    // No owner: the main window is hidden while this one is open.
    explicit frmMini(Tesserin *main);

    // Controls, named as the program's layout names them.
    QPlainTextEdit *Doc = nullptr;
    QComboBox *FaceIcon = nullptr;
    QPushButton *Command3 = nullptr; // (^o^)
    QPushButton *Command2 = nullptr; // コピー
    QPushButton *Command1 = nullptr; // 大きく

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void Form_Load();
    void Form_QueryUnload(bool byCloseBox);
    void FaceIcon_Click(int chosen);
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    Tesserin *m_main;
    bool m_placed = false;
};
