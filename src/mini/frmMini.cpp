#include "mini/frmMini.h"

#include "faces/GetFace.h"
#include "notebook/Tesserin.h"
#include "platform/BodyText.h"
#include "platform/Clipboard.h"
#include "platform/Controls.h"
#include "platform/Look.h"
#include "platform/ShortTextBox.h"
#include "platform/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString Caption = QStringLiteral("Quillora");
const QSize ClientSize = platform::twipsSize(5250, 2745);

const QRect DocPlace = platform::twipsRect(45, 45, 5130, 2205);
const QRect FaceIconPlace = platform::twipsRect(210, 2355, 1725, 300);
const QRect Command3Place = platform::twipsRect(2190, 2340, 495, 345);
const QRect Command2Place = platform::twipsRect(3075, 2340, 930, 345);
const QRect Command1Place = platform::twipsRect(4080, 2340, 930, 345);

QPushButton *makeButton(QWidget *parent, const QString &caption, const QRect &place,
                        const QColor &colour, const QString &name)
{
    QPushButton *button = platform::makeButton(parent, caption, place, name);
    platform::paintButton(button, colour);
    return button;
}

} // namespace

frmMini::frmMini(Tesserin *main) : QWidget(nullptr), m_main(main)
{
    setObjectName(QStringLiteral("frmMini"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A fixed frame with a close box only.
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(Caption);
    setWindowIcon(m_main->windowIcon());
    setFont(platform::uiFont());
    setFixedSize(ClientSize);
    platform::paintBackground(this, platform::colour::Teal);

    Doc = platform::makeBodyBox(this, DocPlace, QStringLiteral("Doc"));
    Doc->setAccessibleName(QStringLiteral("本文"));

    FaceIcon = new QComboBox(this);
    FaceIcon->setObjectName(QStringLiteral("FaceIcon"));
    FaceIcon->setAccessibleName(QStringLiteral("短文"));
    FaceIcon->setGeometry(FaceIconPlace);
    platform::makeShortTextBox(FaceIcon);

    Command3 = makeButton(this, QStringLiteral("(^o^)"), Command3Place, platform::colour::LightPink,
                          QStringLiteral("Command3"));
    Command3->setAccessibleName(QStringLiteral("顔文字"));
    Command2 = makeButton(this, QStringLiteral("コピー"), Command2Place,
                          platform::colour::CopyYellow, QStringLiteral("Command2"));
    Command1 = makeButton(this, QStringLiteral("大きく"), Command1Place, platform::colour::Apricot,
                          QStringLiteral("Command1"));

    setTabOrder(Doc, FaceIcon);
    setTabOrder(FaceIcon, Command3);
    setTabOrder(Command3, Command2);
    setTabOrder(Command2, Command1);

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
    platform::setShortTexts(FaceIcon, platform::shortTexts(m_main->FaceIcon));

    platform::setBodyText(Doc, platform::bodyText(m_main->Doc1));
}

void frmMini::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    platform::centreOnScreen(this);
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
    platform::setBodyText(m_main->Doc1, platform::bodyText(Doc));
    m_main->miniClosed(byCloseBox);
}

void frmMini::FaceIcon_Click(int chosen)
{
    if (chosen < 0)
        return;
    platform::insertIntoBody(Doc, FaceIcon->itemText(chosen));
    FaceIcon->setCurrentIndex(-1);
}

// The body as it stands, spaces and line breaks included: no finishing here.
void frmMini::Command2_Click()
{
    platform::putOnClipboard(platform::bodyText(Doc));
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
