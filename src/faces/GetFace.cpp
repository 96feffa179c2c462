#include "faces/GetFace.h"

#include "faces/FaceFile.h"
#include "platform/BodyText.h"
#include "platform/Controls.h"
#include "platform/ListKeys.h"
#include "platform/Look.h"
#include "platform/OpenerPlacement.h"
#include "platform/Twips.h"

#include <QHideEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <array>
#include <limits>

namespace {
const QString Caption = QStringLiteral("顔文字選択");
constexpr QSize ClientSize = platform::twipsSize(9705, 6150);
constexpr QRect FaceTextPlace = platform::twipsRect(120, 120, 7935, 495);
constexpr QRect SelectPlace = platform::twipsRect(8160, 120, 1455, 495);
constexpr QRect KindPlace = platform::twipsRect(120, 720, 3255, 4620);
constexpr QRect FacePlace = platform::twipsRect(3480, 720, 6135, 4620);
constexpr QRect ClosePlace = platform::twipsRect(120, 5520, 9495, 495);
constexpr qreal FaceTextPoints = 14.25;
constexpr qreal ListPoints = 12;

QListWidget *makeList(QWidget *parent, const QRect &place, const QString &name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    // Rows of one height let a list of 32,767 groups fill without measuring every row.
    list->setUniformItemSizes(true);
    list->setFont(platform::faceFont(ListPoints));
    platform::selectFirstRowOnFirstArrow(list);
    return list;
}

// The selected row, or -1. Taking the focus makes the first row current without selecting it,
// so the current row alone would pick a group the user never chose.
int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> chosen = list->selectedItems();
    return chosen.isEmpty() ? -1 : list->row(chosen.first());
}
} // namespace

GetFace::GetFace(QWidget *opener) : QDialog(nullptr), m_opener(opener)
{
    setObjectName(QStringLiteral("GetFace"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(platform::uiFont());
    setFixedSize(ClientSize);
    buildControls();
    connectHandlers();
}

void GetFace::buildControls()
{
    facetext = new QLineEdit(this);
    facetext->setObjectName(QStringLiteral("facetext"));
    facetext->setAccessibleName(QStringLiteral("挿入する顔文字"));
    facetext->setGeometry(FaceTextPlace);
    facetext->setMaxLength(std::numeric_limits<int>::max());
    facetext->setFont(platform::faceFont(FaceTextPoints));
    platform::paintBoxBackground(facetext, platform::colour::LightYellow);

    SelectBtn = platform::makeButton(this, QStringLiteral("決定！！"), SelectPlace,
                                     QStringLiteral("SelectBtn"));
    platform::paintButton(SelectBtn, platform::colour::Rose);
    kind = makeList(this, KindPlace, QStringLiteral("kind"));
    face = makeList(this, FacePlace, QStringLiteral("face"));
    kind->setAccessibleName(QStringLiteral("グループ"));
    face->setAccessibleName(QStringLiteral("顔文字"));
    CloseBtn = platform::makeButton(this, QStringLiteral("閉じる"), ClosePlace,
                                    QStringLiteral("CloseBtn"));

    const std::array<QWidget *, 5> tabOrder{facetext, SelectBtn, kind, face, CloseBtn};
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void GetFace::connectHandlers()
{
    connect(kind, &QListWidget::itemSelectionChanged, this, &GetFace::kind_Click);
    connect(face, &QListWidget::itemSelectionChanged, this, &GetFace::face_Click);
    // A click on the emoticon already selected takes it again, over whatever was typed since.
    connect(face, &QListWidget::itemClicked, this, &GetFace::face_Click);
    connect(SelectBtn, &QPushButton::clicked, this, &GetFace::SelectBtn_Click);
    connect(CloseBtn, &QPushButton::clicked, this, &GetFace::CloseBtn_Click);
}

void GetFace::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_loaded)
        return;
    // Every opening is a fresh window: nothing of an earlier one shows.
    m_loaded = true;
    facetext->clear();
    face->clear();
    Form_Load();

    platform::placeOverOpener(this, m_opener);
    facetext->setFocus(Qt::ActiveWindowFocusReason);
}

void GetFace::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // Closing unloads the window: the next showing loads the file again.
    if (!event->spontaneous())
        m_loaded = false;
}

void GetFace::keyPressEvent(QKeyEvent *event)
{
    // QDialog would press a default button on Enter and close on Escape; this window has neither.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

// The file is read afresh at every opening, so edits show without a restart.
void GetFace::Form_Load()
{
    m_table = FaceTable::fromFile(faceFilePath());
    kind->clear();
    kind->addItems(m_table.groupNames());
}

void GetFace::kind_Click()
{
    const int index = selectedRow(kind);
    if (index < 0 || index >= m_table.GroupCount())
        return;
    face->clear();
    face->addItems(m_table.FaceGroups().at(index).Faces);
}

void GetFace::face_Click()
{
    const int index = selectedRow(face);
    if (index < 0)
        return;
    facetext->setText(face->item(index)->text());
}

void GetFace::SelectBtn_Click()
{
    if (tgt)
        platform::insertIntoBody(tgt, facetext->text());
    accept();
}

void GetFace::CloseBtn_Click()
{
    reject();
}
