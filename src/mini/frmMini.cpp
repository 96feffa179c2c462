// SPDX-License-Identifier: MIT
#include "mini/frmMini.h"

#include "faces/GetFace.h"
#include "notebook/Tesserin.h"
#include "platform/Clipboard.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Names.h"
#include "platform/widgets/PendingInput.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QSize ClientSize = widgets::twipsSize(5250, 2745);

constexpr widgets::Place DocPlace{45, 45, 5130, 2205};
constexpr widgets::Place FaceIconPlace{210, 2355, 1725, 300};
constexpr widgets::Place Command3Place{2190, 2340, 495, 345};
constexpr widgets::Place Command2Place{3075, 2340, 930, 345};
constexpr widgets::Place Command1Place{4080, 2340, 930, 345};

} // namespace

frmMini::frmMini(Tesserin *main) : QWidget(nullptr), m_main(main)
{
    setObjectName(QStringLiteral("frmMini"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed frame with a close box only.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(widgets::name::Caption);
    setWindowIcon(m_main->windowIcon());
    setFont(widgets::uiFont());
    setFixedSize(ClientSize);
    widgets::paintBackground(this, widgets::colour::Teal);

    Doc = widgets::makeBodyBox(this, DocPlace, QStringLiteral("Doc"));
    Doc->setAccessibleName(widgets::name::Body);

    FaceIcon = widgets::makeShortTextBox(this, FaceIconPlace, QStringLiteral("FaceIcon"));

    Command3 = widgets::makeButton(this, QStringLiteral("(^o^)"), Command3Place,
                                   QStringLiteral("Command3"), widgets::colour::LightPink);
    Command3->setAccessibleName(widgets::name::Face);
    Command2 = widgets::makeButton(this, QStringLiteral("コピー"), Command2Place,
                                   QStringLiteral("Command2"), widgets::colour::CopyYellow);
    Command1 = widgets::makeButton(this, QStringLiteral("大きく"), Command1Place,
                                   QStringLiteral("Command1"), widgets::colour::Apricot);

    widgets::chainTabs({Doc, FaceIcon, Command3, Command2, Command1});

    connect(FaceIcon, &QComboBox::activated, this, &frmMini::FaceIcon_Click);
    connect(Command1, &QPushButton::clicked, this, &frmMini::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmMini::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmMini::Command3_Click);

    // Every opening is a new window, so loading here is loading at every opening.
    Form_Load();
    Doc->setFocus(Qt::OtherFocusReason);
}

void frmMini::Form_Load()
{
    widgets::setShortTexts(FaceIcon, widgets::shortTexts(m_main->FaceIcon));

    widgets::setBodyText(Doc, widgets::bodyText(m_main->Doc1));
}

void frmMini::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    widgets::centreOnScreen(this);
    // The main window has just hidden itself: this window takes over the keyboard.
    activateWindow();
}

// A spontaneous close comes from the window system: the close box or the system menu.
void frmMini::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload(event->spontaneous());
    event->accept();
}

void frmMini::Form_QueryUnload(bool byCloseBox)
{
    widgets::commitPendingInput(); // a conversion still open in Doc is part of the body
    widgets::setBodyText(m_main->Doc1, widgets::bodyText(Doc));
    m_main->miniClosed(byCloseBox);
}

void frmMini::FaceIcon_Click(int chosen)
{
    widgets::insertChosenShortText(FaceIcon, chosen, Doc);
}

// The body as it stands, spaces and line breaks included: no finishing here.
void frmMini::Command2_Click()
{
    platform::putOnClipboard(widgets::bodyText(Doc));
}

void frmMini::Command3_Click()
{
    GetFace picker(this);
    picker.tgt = Doc;
    picker.exec();
}

void frmMini::Command1_Click()
{
    close();
}
