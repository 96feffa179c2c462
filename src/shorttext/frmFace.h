// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;
class QPushButton;
class Tesserin;

// frmFace: the short-text registration window.
// The short-text registration window, over a working copy of the main window's list; the copy
// replaces the main window's list however the window closes.
class frmFace : public QDialog
{
    Q_OBJECT
public:
    // No owner widget: the window shows over the main window, its transient parent.
    explicit frmFace(Tesserin *main);

    // QDialog's accept(), reject() and done() hide the window without a close event, so the
    // list goes back from here as well as from closeEvent().
    void done(int result) override;

    // Controls, named as the program's layout names them.
    QListWidget *List1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr; // 登録
    QPushButton *Command2 = nullptr; // 削除
    QPushButton *Command3 = nullptr; // 終了

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void Form_Load();
    void Form_QueryUnload();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void List1_Click();
    bool FindAndSelect(const QString &text);

    void selectItem(int row);
    int selectedIndex() const;
    QStringList items() const;

    Tesserin *m_main;
    bool m_open = false; // between loading the list and handing it back
};
