// SPDX-License-Identifier: MIT
#pragma once

#include "faces/FaceTable.h"

#include <QDialog>
#include <QPointer>

class QLineEdit;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;

// GetFace: the emoticon picker window.
// The emoticon picker. Every caller sets tgt, the box that receives the chosen emoticon, before
// every showing, then shows the picker modally.
class GetFace : public QDialog
{
    Q_OBJECT
public:
    // The picker has no owner widget; it shows over the opener's window, its transient parent.
    explicit GetFace(QWidget *opener);

    QPlainTextEdit *tgt = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void connectHandlers();

    void Form_Load();
    void kind_Click();
    void face_Click();
    void SelectBtn_Click();
    void CloseBtn_Click();

    QLineEdit *facetext = nullptr;
    QPushButton *SelectBtn = nullptr;
    // Views over plain string lists: a list widget would make an item object for each of
    // thousands of groups at every opening, and destroy them all at the closing.
    QListView *kind = nullptr;
    QListView *face = nullptr;
    QStringListModel *kindItems = nullptr;
    QStringListModel *faceItems = nullptr;
    QPushButton *CloseBtn = nullptr;

    FaceTable m_table;
    QPointer<QWidget> m_opener;
    bool m_loaded = false;
};
