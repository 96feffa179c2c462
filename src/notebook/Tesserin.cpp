// SPDX-License-Identifier: MIT
#include "notebook/Tesserin.h"

#include "faces/GetFace.h"
#include "mini/frmMini.h"
#include "notebook/AppIcon.h"
#include "notebook/FinishText.h"
#include "notebook/store/Autosave.h"
#include "notebook/store/NotebookStore.h"
#include "platform/Clipboard.h"
#include "platform/MessageBox.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ClickLabel.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/MenuBarKeys.h"
#include "platform/widgets/Names.h"
#include "platform/widgets/PendingInput.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"
#include "shell/frmExecShell.h"
#include "shorttext/frmFace.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>
#include <QTimer>

#include <utility>

namespace {

const QString SiteUrl = QStringLiteral(TESSERIN_SITE_URL);
const QString ClearQuestion = QStringLiteral("ほんとにクリアしていいの？");
const QString SaveFailedQuestion =
    QStringLiteral("テキストを保存できませんでした（%1）。もう一度保存してみますか？\n"
                   "「いいえ」を選ぶと、保存しないで終わります。");
const QString SaveFailedCaption = QStringLiteral(" - 保存できません: ");
const QString UnreadStoreNotice = QStringLiteral(
    "設定ファイルを読めませんでした（%1）。\n%2\n\n"
    "このファイルには書き込みません。今回入力したテキストは次のファイルに保存します。\n%3\n\n"
    "読めない原因（ファイルの権限など）を直してから起動し直すと、"
    "元のテキストが表示されます。");
const QSize ClientSize = widgets::twipsSize(7830, 5160);

using widgets::Place;

constexpr std::array<Place, 3> InfoPlace{
    {{1575, 180, 5130, 285}, {1575, 580, 5130, 285}, {1575, 980, 5130, 285}}};
constexpr Place TitlePlace{1575, 1380, 5130, 285};
constexpr Place BodyPlace{1575, 1800, 5130, 2205};
constexpr std::array<Place, 5> LabelPlace{{{270, 210, 1215, 300},
                                           {270, 615, 1215, 300},
                                           {270, 1020, 1215, 300},
                                           {255, 1425, 1215, 300},
                                           {255, 1905, 1215, 300}}};
const std::array<QString, 5> LabelCaption{
    QStringLiteral("ハンドル："), QStringLiteral("メールアドレス："), QStringLiteral("URL(Open)："),
    QStringLiteral("タイトル："), QStringLiteral("本文：")};
constexpr std::array<Place, 5> CopyPlace{{{6840, 180, 795, 285},
                                          {6840, 580, 795, 285},
                                          {6840, 980, 795, 285},
                                          {6825, 1380, 795, 285},
                                          {6825, 2550, 795, 540}}};
constexpr Place ClearPlace{6825, 3570, 795, 375};
constexpr Place FaceIconPlace{1605, 4125, 1725, 300};
constexpr Place FaceButtonPlace{3375, 4125, 495, 345};
constexpr std::array<Place, 3> SlotPlace{
    {{3990, 4170, 825, 300}, {4942, 4170, 825, 300}, {5910, 4170, 825, 300}}};
const std::array<QString, 3> SlotCaption{QStringLiteral("①"), QStringLiteral("②"),
                                         QStringLiteral("③")};
constexpr Place SitePlace{968, 4605, 1410, 465};
constexpr Place EndPlace{3308, 4620, 1215, 465};
constexpr Place MiniPlace{5648, 4620, 1215, 465};

const std::array<QString, 5> CopyMenuCaption{
    QStringLiteral("ハンドルコピー"), QStringLiteral("アドレスコピー"), QStringLiteral("URLコピー"),
    QStringLiteral("タイトルコピー"), QStringLiteral("本文コピー")};
// What a screen reader says for the boxes and for the buttons whose caption alone is ambiguous.
const std::array<QString, 5> FieldName{QStringLiteral("ハンドル"), QStringLiteral("メールアドレス"),
                                       QStringLiteral("URL"), QStringLiteral("タイトル"),
                                       widgets::name::Body};

const std::array<Qt::Key, 5> CopyKey{Qt::Key_F5, Qt::Key_F6, Qt::Key_F7, Qt::Key_F8, Qt::Key_F9};

} // namespace

Tesserin::Tesserin(platform::StoreFactory openStore, QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Tesserin"));
    setWindowTitle(widgets::name::Caption);
    setWindowIcon(appIcon());
    setFont(widgets::uiFont());

    // The client area fills whatever size the frame is given, so an enlarged window shows teal
    // around the controls; a smaller one clips them.
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    widgets::paintBackground(client, widgets::colour::Teal);
    setCentralWidget(client);

    buildControls(client);
    buildMenus();
    connectHandlers();

    // The frame stays sizable; the controls keep their places whatever its size.
    resize(ClientSize.width(), ClientSize.height() + menuBar()->sizeHint().height());

    m_autosave = new Autosave(
        std::move(openStore), [this] { return currentTexts(); }, this);
    Form_Load();
    connectAutosave();
}

Tesserin::~Tesserin()
{
    delete m_mini.data();
}

void Tesserin::buildControls(QWidget *client)
{
    for (int i = 0; i < 3; ++i)
        Info[i] = widgets::makeLineEdit(client, InfoPlace[i], QStringLiteral("Info%1").arg(i));
    Doc0 = widgets::makeLineEdit(client, TitlePlace, QStringLiteral("Doc0"));

    Doc1 = widgets::makeBodyBox(client, BodyPlace, QStringLiteral("Doc1"));
    const std::array<QWidget *, 5> fields{Info[0], Info[1], Info[2], Doc0, Doc1};
    for (int i = 0; i < 5; ++i)
        fields[i]->setAccessibleName(FieldName[i]);

    for (int i = 0; i < 5; ++i) {
        auto *label = new widgets::ClickLabel(LabelCaption[i], client);
        label->setObjectName(QStringLiteral("Label1_%1").arg(i));
        label->setGeometry(LabelPlace[i].rect());
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        widgets::paintLabelText(label,
                                i == 2 ? widgets::colour::LightPink : widgets::colour::LightYellow);
        connect(label, &widgets::ClickLabel::clicked, this, [this, i] { Label1_Click(i); });
        label->setPressable(i == 2); // the one label whose click does something
        Label1[i] = label;
    }

    using widgets::TabStop;
    for (int i = 0; i < 5; ++i) {
        Command3[i] = widgets::makeButton(client, QStringLiteral("コピー"), CopyPlace[i],
                                          QStringLiteral("Command3_%1").arg(i),
                                          widgets::colour::CopyYellow, TabStop::No);
        Command3[i]->setAccessibleName(FieldName[i] + QStringLiteral("をコピー"));
    }
    Command2 =
        widgets::makeButton(client, QStringLiteral("クリア"), ClearPlace,
                            QStringLiteral("Command2"), widgets::colour::LightGreen, TabStop::No);

    FaceIcon = widgets::makeShortTextBox(client, FaceIconPlace, QStringLiteral("FaceIcon"));

    facebtn = widgets::makeButton(client, QStringLiteral("(^o^)"), FaceButtonPlace,
                                  QStringLiteral("facebtn"), widgets::colour::LightPink);
    facebtn->setAccessibleName(widgets::name::Face);

    m_slotGroup = new QButtonGroup(this);
    m_slotGroup->setExclusive(true);
    for (int i = 0; i < 3; ++i) {
        DocSelect[i] = widgets::makeButton(client, SlotCaption[i], SlotPlace[i],
                                           QStringLiteral("DocSelect%1").arg(i),
                                           widgets::colour::LightGreen, TabStop::No);
        DocSelect[i]->setCheckable(true);
        DocSelect[i]->setAccessibleName(QStringLiteral("スロット%1").arg(i + 1));
        m_slotGroup->addButton(DocSelect[i], i);
    }

    SiteLink = widgets::makeButton(client, QStringLiteral("Brookfen"), SitePlace,
                                   QStringLiteral("SiteLink"), widgets::colour::Apricot);
    SiteLink->setAccessibleName(QStringLiteral("Brookfen のサイトをブラウザーで開く"));
    Command1 =
        widgets::makeButton(client, QStringLiteral("おわり"), EndPlace, QStringLiteral("Command1"),
                            widgets::colour::Apricot, TabStop::No);
    Command4 = widgets::makeButton(client, QStringLiteral("小さくする"), MiniPlace,
                                   QStringLiteral("Command4"), widgets::colour::Apricot);

    // Tab visits only these.
    widgets::chainTabs(
        {Info[0], Info[1], Info[2], Doc0, Doc1, FaceIcon, facebtn, SiteLink, Command4});

    for (QLineEdit *box : {Info[0], Info[1], Info[2], Doc0})
        box->installEventFilter(this);
}

void Tesserin::buildMenus()
{
    Function = menuBar()->addMenu(QStringLiteral("機能"));
    Function->setObjectName(QStringLiteral("Function"));
    LockText = Function->addAction(QStringLiteral("本文以外ロック"));
    LockText->setObjectName(QStringLiteral("LockText"));
    LockText->setCheckable(true);
    FaceSet = Function->addAction(QStringLiteral("短文登録..."));
    FaceSet->setObjectName(QStringLiteral("FaceSet"));

    CopyMenu = menuBar()->addMenu(QStringLiteral("コピー"));
    CopyMenu->setObjectName(QStringLiteral("CopyMenu"));
    for (int i = 0; i < 5; ++i) {
        CopyData[i] = CopyMenu->addAction(CopyMenuCaption[i]);
        CopyData[i]->setObjectName(QStringLiteral("CopyData%1").arg(i));
        CopyData[i]->setShortcut(QKeySequence(CopyKey[i]));
    }

    facedlg = menuBar()->addAction(QStringLiteral("顔文字一覧"));
    facedlg->setObjectName(QStringLiteral("facedlg"));

    widgets::reachMenuBarByKeyboard(this);
}

void Tesserin::connectHandlers()
{
    connect(m_slotGroup, &QButtonGroup::idClicked, this,
            [this](int id) { DocSelect_Click(static_cast<short>(id)); });
    // The slot buttons take no Tab; from the keyboard, Ctrl+1 to Ctrl+3 press them.
    for (int i = 0; i < 3; ++i) {
        auto *key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + i)), this);
        connect(key, &QShortcut::activated, DocSelect[i], &QPushButton::click);
    }
    for (short i = 0; i < 5; ++i) {
        connect(Command3[i], &QPushButton::clicked, this, [this, i] { Command3_Click(i); });
        connect(CopyData[i], &QAction::triggered, this, [this, i] { CopyData_Click(i); });
    }
    connect(Command2, &QPushButton::clicked, this, &Tesserin::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &Tesserin::Command1_Click);
    connect(Command4, &QPushButton::clicked, this, &Tesserin::Command4_Click);
    connect(SiteLink, &QPushButton::clicked, this, &Tesserin::SiteLink_Click);
    connect(facebtn, &QPushButton::clicked, this, &Tesserin::facebtn_Click);
    connect(facedlg, &QAction::triggered, this, &Tesserin::facedlg_Click);
    connect(FaceSet, &QAction::triggered, this, &Tesserin::FaceSet_Click);
    connect(LockText, &QAction::triggered, this, &Tesserin::LockText_Click);
    connect(FaceIcon, &QComboBox::activated, this, &Tesserin::FaceIcon_Click);
}

// Texts are saved as they are typed, a moment after the last change; loading is no change.
void Tesserin::connectAutosave()
{
    // A failed save shows in the caption, which takes neither the focus nor a keystroke, until
    // a save works again.
    connect(m_autosave, &Autosave::saveFailed, this, [this](const QString &reason) {
        showCaption(widgets::name::Caption + SaveFailedCaption + reason);
    });
    connect(m_autosave, &Autosave::saveRecovered, this,
            [this] { showCaption(widgets::name::Caption); });
    for (QLineEdit *box : {Info[0], Info[1], Info[2], Doc0})
        connect(box, &QLineEdit::textChanged, m_autosave, &Autosave::changed);
    connect(Doc1, &QPlainTextEdit::textChanged, m_autosave, &Autosave::changed);
    connect(LockText, &QAction::toggled, m_autosave, &Autosave::changed);
    const QAbstractItemModel *list = FaceIcon->model();
    connect(list, &QAbstractItemModel::rowsInserted, m_autosave, &Autosave::changed);
    connect(list, &QAbstractItemModel::rowsRemoved, m_autosave, &Autosave::changed);
    connect(list, &QAbstractItemModel::dataChanged, m_autosave, &Autosave::changed);
    connect(list, &QAbstractItemModel::modelReset, m_autosave, &Autosave::changed);
}

// What the store would get now. While the mini window is open its box is the body; Doc(1)
// gets that text only when the mini window closes.
NotebookTexts Tesserin::currentTexts() const
{
    NotebookTexts texts;
    texts.SlotBody = SlotBody;
    texts.SlotTitle = SlotTitle;
    if (CurrentSlot >= 0) {
        texts.SlotTitle[CurrentSlot] = Doc0->text();
        texts.SlotBody[CurrentSlot] = m_mini ? widgets::bodyText(m_mini->Doc) : shownBody();
    }
    for (int i = 0; i < 3; ++i)
        texts.Info[i] = Info[i]->text();
    texts.shortTexts = widgets::shortTexts(FaceIcon);
    texts.locked = LockText->isChecked();
    return texts;
}

// ---- start-up, activation, closing -------------------------------------------------------

void Tesserin::Form_Load()
{
    // The single-instance check runs in main(), before this window exists.
    LoadSettings();
    CurrentSlot = -1;
    DocSelect[0]->setChecked(true);
    DocSelect_Click(0);
}

void Tesserin::LoadSettings()
{
    const NotebookTexts texts = m_autosave->load();
    // This run's texts go to a file of their own, and the person is told where.
    if (const auto &unread = m_autosave->unreadable())
        m_startNotice =
            UnreadStoreNotice.arg(unread->fault.reason(), unread->store, unread->keeper);
    SlotBody = texts.SlotBody;
    SlotTitle = texts.SlotTitle;
    for (int i = 0; i < 3; ++i)
        Info[i]->setText(texts.Info[i]);
    if (texts.locked)
        LockText->trigger(); // flips the check mark, then runs LockText_Click
    widgets::setShortTexts(FaceIcon, texts.shortTexts);
}

void Tesserin::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        widgets::centreOnScreen(this);
        Form_Activate();
        if (!m_startNotice.isEmpty()) {
            QTimer::singleShot(0, this, [this] {
                platform::tell(this, std::exchange(m_startNotice, {}));
                Form_Activate();
            });
        }
    }
}

void Tesserin::showCaption(const QString &caption)
{
    setWindowTitle(caption);
    if (m_mini)
        m_mini->setWindowTitle(caption);
}

// Runs at the first display and on the return from the picker, the registration window and the
// mini window only: not after the clearing question, not when the short-text list closes, not
// when the user comes back from another application.
void Tesserin::Form_Activate()
{
    activateWindow();
    Doc1->setFocus(Qt::ActiveWindowFocusReason);
}

void Tesserin::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
}

void Tesserin::Form_QueryUnload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    // A conversion still open in a box (this window's or the mini window's) is part of its text.
    widgets::commitPendingInput();

    if (m_mini)
        m_mini->close(); // writes its text into the body first

    SlotTitle[CurrentSlot] = Doc0->text();
    SlotBody[CurrentSlot] = shownBody();
    const NotebookTexts texts = currentTexts();

    // A store that cannot be written is not a silent loss: the user may try again. The system
    // ending the program waits for nobody, so it gets one try and a line on stderr.
    platform::FileFault why;
    while (!m_autosave->saveNow(texts, &why)) {
        if (m_systemClosing)
            break;
        if (!platform::askYesNo(this, SaveFailedQuestion.arg(why.reason())))
            break;
    }
}

void Tesserin::systemClose()
{
    m_systemClosing = true;
    widgets::commitPendingInput();
    // Modal windows (the clearing question, the picker, the registration window) close as
    // their close box would; the close of this window then runs once their loops have ended.
    while (QWidget *modal = QApplication::activeModalWidget()) {
        modal->close();
        if (QApplication::activeModalWidget() == modal)
            break;
    }
    QTimer::singleShot(0, this, [this] { close(); });
}

void Tesserin::miniClosed(bool byCloseBox)
{
    m_mini = nullptr;
    if (m_unloaded)
        return; // this window is closing and asked the mini window to go first
    if (byCloseBox) {
        close();
    } else {
        show();
        Form_Activate();
    }
}

// ---- slots and focus -----------------------------------------------------------------------

void Tesserin::DocSelect_Click(short Index)
{
    if (CurrentSlot >= 0) {
        SlotTitle[CurrentSlot] = Doc0->text();
        SlotBody[CurrentSlot] = shownBody();
    }
    Doc0->setText(SlotTitle[Index]);
    widgets::setBodyText(Doc1, SlotBody[Index]);
    m_shownRevision = Doc1->document()->revision();
    CurrentSlot = Index;
}

// The body box's text. Every edit raises the document's revision (typing, undo, the mini
// window's write-back, clearing); while it has not moved, the slot's string already holds the
// text and reading a 1 MB body back out of the document can be skipped.
QString Tesserin::shownBody() const
{
    if (Doc1->document()->revision() == m_shownRevision)
        return widgets::asBodyText(SlotBody[CurrentSlot]);
    return widgets::bodyText(Doc1);
}

namespace {
// The focus moved here from another control (Tab, Shift+Tab, a click, the program). It merely
// came back after a context menu, a menu of the menu bar or the window's return to the front.
bool movedBetweenControls(const QEvent *event)
{
    switch (static_cast<const QFocusEvent *>(event)->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::MouseFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default:
        return false;
    }
}
} // namespace

bool Tesserin::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && movedBetweenControls(event)) {
        for (short i = 0; i < 3; ++i)
            if (watched == Info[i])
                Info_GotFocus(i);
        if (watched == Doc0)
            Doc_GotFocus(0);
    }
    return QMainWindow::eventFilter(watched, event);
}

namespace {
// A click places the caret after the focus arrives; selecting from a zero-delay timer lets the
// selection survive the press. A right press leaves the caret, so a context menu opened by the
// click that brought the focus already acts on the whole text.
void selectWholeText(QLineEdit *box)
{
    box->selectAll();
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus())
            box->selectAll();
    });
}
} // namespace

void Tesserin::Info_GotFocus(short Index)
{
    selectWholeText(Info[Index]);
}

void Tesserin::Doc_GotFocus(short Index)
{
    // The body keeps its caret; only the title selects its whole text.
    if (Index == 0)
        selectWholeText(Doc0);
}

void Tesserin::Command2_Click()
{
    if (platform::askYesNo(this, ClearQuestion))
        widgets::setBodyText(Doc1, QString());
}

void Tesserin::Command1_Click()
{
    close();
}

// ---- copy, lock, links ---------------------------------------------------------------------

void Tesserin::Command3_Click(short Index)
{
    QString text;
    if (Index <= 2)
        text = Info[Index]->text();
    else if (Index == 3)
        text = Doc0->text();
    else
        text = FinishText(shownBody());
    platform::putOnClipboard(text);
}

void Tesserin::CopyData_Click(short Index)
{
    Command3_Click(Index);
}

// Qt has already flipped the check mark when this runs; the boxes follow it.
void Tesserin::LockText_Click()
{
    const bool locked = LockText->isChecked();
    for (QLineEdit *box : Info)
        box->setReadOnly(locked);
}

void Tesserin::Label1_Click(short Index)
{
    if (Index == 2)
        ShellOpen(Info[2]->text());
}

void Tesserin::SiteLink_Click()
{
    ShellOpen(SiteUrl);
}

// ---- short texts and emoticons -------------------------------------------------------------

void Tesserin::FaceIcon_Click(int chosen)
{
    widgets::insertChosenShortText(FaceIcon, chosen, Doc1);
}

void Tesserin::facebtn_Click()
{
    GetFace picker(this);
    picker.tgt = Doc1;
    picker.exec();
    Form_Activate();
}

void Tesserin::facedlg_Click()
{
    facebtn_Click();
}

void Tesserin::FaceSet_Click()
{
    frmFace registration(this);
    registration.exec();
    Form_Activate();
}

void Tesserin::Command4_Click()
{
    hide();
    m_mini = new frmMini(this);
    m_mini->setWindowTitle(windowTitle()); // a failed save shows there too
    connect(m_mini->Doc, &QPlainTextEdit::textChanged, m_autosave, &Autosave::changed);
    m_mini->show();
}
