#include "shorttext/frmFace.h"

#include "notebook/Tesserin.h"
#include "platform/Controls.h"
#include "platform/ListKeys.h"
#include "platform/Look.h"
#include "platform/OpenerPlacement.h"
#include "platform/ShortTextBox.h"
#include "platform/Twips.h"
#include "shorttext/ShortTextRules.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

#include <limits>

namespace {

const QString Caption = QStringLiteral("短文登録");
const QSize ClientSize = platform::twipsSize(4680, 3195);

const QRect List1Place = platform::twipsRect(210, 210, 2145, 2760);
const QRect Text1Place = platform::twipsRect(2565, 480, 1905, 345);
const QRect Command1Place = platform::twipsRect(2625, 1290, 840, 495);
const QRect Command2Place = platform::twipsRect(3555, 1290, 840, 495);
const QRect Command3Place = platform::twipsRect(2925, 2400, 1215, 495);

// Neither default nor auto-default: Enter must press nothing.
QPushButton *makeButton(QWidget *parent, const QString &caption, const QRect &place,
                        const QString &name)
{
    QPushButton *button = platform::makeButton(parent, caption, place, name);
    platform::paintButton(button, platform::colour::Apricot);
    return button;
}

} // namespace

frmFace::frmFace(Tesserin *main) : QDialog(nullptr), m_main(main)
{
    setObjectName(QStringLiteral("frmFace"));
    setWindowTitle(Caption);
    setFont(platform::uiFont());
    // The frame stays sizable; the controls keep their places whatever its size.
    resize(ClientSize);
    platform::paintBackground(this, platform::colour::Maroon);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(QStringLiteral("短文一覧"));
    List1->setGeometry(List1Place);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    List1->setUniformItemSizes(true); // thousands of items must not be measured one by one
    platform::paintBoxBackground(List1, platform::colour::LightYellow);
    platform::selectFirstRowOnFirstArrow(List1);

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(QStringLiteral("短文"));
    Text1->setGeometry(Text1Place);
    Text1->setMaxLength(std::numeric_limits<int>::max());
    platform::paintBoxBackground(Text1, platform::colour::LightYellow);

    Command1 = makeButton(this, QStringLiteral("登録"), Command1Place, QStringLiteral("Command1"));
    Command2 = makeButton(this, QStringLiteral("削除"), Command2Place, QStringLiteral("Command2"));
    Command3 = makeButton(this, QStringLiteral("終了"), Command3Place, QStringLiteral("Command3"));

    setTabOrder(List1, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);

    connect(Command1, &QPushButton::clicked, this, &frmFace::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFace::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmFace::Command3_Click);
    // A click on the item already selected is a selection too; the step only copies a text,
    // so running it twice for one click is harmless.
    connect(List1, &QListWidget::itemSelectionChanged, this, &frmFace::List1_Click);
    connect(List1, &QListWidget::itemClicked, this, &frmFace::List1_Click);
}

// ---- opening and closing -------------------------------------------------------------------

void frmFace::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_open)
        return; // shown again after being minimised: not a new opening
    m_open = true;
    Form_Load();

    platform::placeOverOpener(this, m_main);
    List1->setFocus(Qt::OtherFocusReason);
}

void frmFace::Form_Load()
{
    const QSignalBlocker blocker(List1);
    List1->clear();
    List1->addItems(platform::shortTexts(m_main->FaceIcon));
    List1->setCurrentRow(-1);
    List1->clearSelection();
    Text1->clear();
}

void frmFace::done(int result)
{
    Form_QueryUnload();
    QDialog::done(result);
}

void frmFace::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    QDialog::closeEvent(event); // rejects, which hides the window
}

void frmFace::Form_QueryUnload()
{
    if (!m_open)
        return;
    m_open = false;

    platform::setShortTexts(m_main->FaceIcon, items());
}

// Escape would reject the dialog; this window has no cancel button and closes only by "終了"
// or its frame.
void frmFace::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- the buttons and the list --------------------------------------------------------------

void frmFace::Command1_Click()
{
    const QString text = ShortTextRules::registeredForm(Text1->text());
    if (text.isEmpty())
        return;
    if (FindAndSelect(text))
        return;
    if (!ShortTextRules::hasRoom(List1->count()))
        return;
    List1->addItem(text);
    selectItem(List1->count() - 1);
}

void frmFace::Command2_Click()
{
    const int row = selectedIndex();
    if (row < 0)
        return;
    {
        // The view would select a neighbour on its own; the rule below decides instead.
        const QSignalBlocker blocker(List1);
        delete List1->takeItem(row);
        List1->clearSelection();
    }
    const int next = ShortTextRules::selectionAfterDelete(List1->count());
    if (next >= 0)
        selectItem(next);
}

void frmFace::Command3_Click()
{
    close();
}

void frmFace::List1_Click()
{
    const int row = selectedIndex();
    if (row >= 0)
        Text1->setText(List1->item(row)->text());
}

bool frmFace::FindAndSelect(const QString &text)
{
    const int row = ShortTextRules::firstEqual(items(), text);
    if (row < 0)
        return false;
    selectItem(row);
    return true;
}

// A selection made here runs the selection step once, also when the row was selected already.
void frmFace::selectItem(int row)
{
    {
        const QSignalBlocker blocker(List1);
        List1->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    }
    List1_Click();
}

int frmFace::selectedIndex() const
{
    const QModelIndexList selected = List1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

QStringList frmFace::items() const
{
    QStringList list;
    list.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        list.append(List1->item(i)->text());
    return list;
}
