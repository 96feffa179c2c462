// SPDX-License-Identifier: MIT
#pragma once

#include "mini/frmMini.h"
#include "platform/UserStore.h"

#include <QMainWindow>
#include <QPointer>

#include <array>

class QAction;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;

class Autosave;
struct NotebookTexts;

// Tesserin: the program's main window, where replies to board posts are written.
// The main window: three drafts, the personal details, the copy commands and the short texts.
// It owns everything that persists; the side windows reach its controls directly.
class Tesserin : public QMainWindow
{
    Q_OBJECT
public:
    // Reads the store at once (LoadSettings) and shows slot "①".
    explicit Tesserin(platform::StoreFactory openStore = platform::openUserStore,
                      QWidget *parent = nullptr);
    ~Tesserin() override;

    // The system asks the program to end (signal, logout): close modal windows as their close
    // box would, then close as the close box does, never waiting for an answer.
    void systemClose();

    // The mini window has written its text back into the body and is closing.
    void miniClosed(bool byCloseBox);

    // The mini window while it is open, else null.
    frmMini *mini() const { return m_mini; }

    // Controls, named as the program's layout names them. Doc(0) is the title, Doc(1) the body.
    std::array<QLineEdit *, 3> Info{};
    QLineEdit *Doc0 = nullptr;
    QPlainTextEdit *Doc1 = nullptr;
    std::array<QLabel *, 5> Label1{};
    std::array<QPushButton *, 5> Command3{};
    QPushButton *Command2 = nullptr;
    QComboBox *FaceIcon = nullptr;
    QPushButton *facebtn = nullptr;
    std::array<QPushButton *, 3> DocSelect{};
    QPushButton *SiteLink = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command4 = nullptr;

    QMenu *Function = nullptr;
    QAction *LockText = nullptr;
    QAction *FaceSet = nullptr;
    QMenu *CopyMenu = nullptr;
    std::array<QAction *, 5> CopyData{};
    QAction *facedlg = nullptr;

    short currentSlot() const { return CurrentSlot; }
    QString slotTitle(int slot) const { return SlotTitle.at(slot); }
    QString slotBody(int slot) const { return SlotBody.at(slot); }

    // Every write of the store goes through it; tests shorten its wait.
    Autosave *autosave() const { return m_autosave; }

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls(QWidget *client);
    void buildMenus();
    void connectHandlers();

    void Form_Load();
    void LoadSettings();
    void Form_Activate();
    void Form_QueryUnload();
    void connectAutosave();
    void showCaption(const QString &caption);
    NotebookTexts currentTexts() const;
    QString shownBody() const;

    void DocSelect_Click(short Index);
    void Info_GotFocus(short Index);
    void Doc_GotFocus(short Index);
    void Command2_Click();
    void Command1_Click();
    void Command3_Click(short Index);
    void CopyData_Click(short Index);
    void LockText_Click();
    void Label1_Click(short Index);
    void SiteLink_Click();
    void FaceIcon_Click(int chosen);
    void facebtn_Click();
    void facedlg_Click();
    void FaceSet_Click();
    void Command4_Click();

    std::array<QString, 3> SlotTitle;
    std::array<QString, 3> SlotBody;
    short CurrentSlot = -1;
    // The body document's revision right after DocSelect_Click filled it from SlotBody.
    int m_shownRevision = -1;

    QString m_startNotice; // told once the window is up
    QButtonGroup *m_slotGroup = nullptr;
    QPointer<frmMini> m_mini;
    Autosave *m_autosave = nullptr;
    bool m_shownOnce = false;
    bool m_unloaded = false;
    bool m_systemClosing = false;
};
