// SPDX-License-Identifier: MIT
#include "shorttext/frmFace.h"

#include "notebook/Tesserin.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Names.h"
#include "platform/widgets/OpenerPlacement.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"
#include "shorttext/ShortTextRules.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

const QString Caption = QStringLiteral("短文登録");
const QSize ClientSize = widgets::twipsSize(4680, 3195);

constexpr widgets::Place List1Place{210, 210, 2145, 2760};
constexpr widgets::Place Text1Place{2565, 480, 1905, 345};
constexpr widgets::Place Command1Place{2625, 1290, 840, 495};
constexpr widgets::Place Command2Place{3555, 1290, 840, 495};
constexpr widgets::Place Command3Place{2925, 2400, 1215, 495};

} // namespace

frmFace::frmFace(Tesserin *main) : QDialog(nullptr), m_main(main)
{
    setObjectName(QStringLiteral("frmFace"));
    setWindowTitle(Caption);
    setFont(widgets::uiFont());
    // The frame stays sizable; the controls keep their places whatever its size.
    resize(ClientSize);
    widgets::paintBackground(this, widgets::colour::Maroon);

    List1 = widgets::makeList(this, List1Place, QStringLiteral("List1"));
    List1->setAccessibleName(widgets::name::ShortText + QStringLiteral("一覧"));
    widgets::paintBoxBackground(List1, widgets::colour::LightYellow);

    Text1 = widgets::makeLineEdit(this, Text1Place, QStringLiteral("Text1"));
    Text1->setAccessibleName(widgets::name::ShortText);
    widgets::paintBoxBackground(Text1, widgets::colour::LightYellow);

    const QColor apricot = widgets::colour::Apricot;
    Command1 = widgets::makeButton(this, QStringLiteral("登録"), Command1Place,
                                   QStringLiteral("Command1"), apricot);
    Command2 = widgets::makeButton(this, QStringLiteral("削除"), Command2Place,
                                   QStringLiteral("Command2"), apricot);
    Command3 = widgets::makeButton(this, QStringLiteral("終了"), Command3Place,
                                   QStringLiteral("Command3"), apricot);

    widgets::chainTabs({List1, Text1, Command1, Command2, Command3});

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

    widgets::placeOverOpener(this, m_main);
    List1->setFocus(Qt::OtherFocusReason);
}

void frmFace::Form_Load()
{
    const QSignalBlocker blocker(List1);
    List1->clear();
    List1->addItems(widgets::shortTexts(m_main->FaceIcon));
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

    widgets::setShortTexts(m_main->FaceIcon, items());
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
    return widgets::selectedRow(List1);
}

QStringList frmFace::items() const
{
    QStringList list;
    list.reserve(List1->count());
    for (int i = 0; i < List1->count(); ++i)
        list.append(List1->item(i)->text());
    return list;
}
