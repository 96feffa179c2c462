// SPDX-License-Identifier: MIT
#include "faces/GetFace.h"

#include "faces/FaceFile.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/ListKeys.h"
#include "platform/widgets/Names.h"
#include "platform/widgets/OpenerPlacement.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"

#include <QHideEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>

namespace {
const QString Caption = QStringLiteral("顔文字選択");
constexpr QSize ClientSize = widgets::twipsSize(9705, 6150);
constexpr widgets::Place FaceTextPlace{120, 120, 7935, 495};
constexpr widgets::Place SelectPlace{8160, 120, 1455, 495};
constexpr widgets::Place KindPlace{120, 720, 3255, 4620};
constexpr widgets::Place FacePlace{3480, 720, 6135, 4620};
constexpr widgets::Place ClosePlace{120, 5520, 9495, 495};
constexpr qreal FaceTextPoints = 14.25;
constexpr qreal ListPoints = 12;
} // namespace

GetFace::GetFace(QWidget *opener) : QDialog(nullptr), m_opener(opener)
{
    setObjectName(QStringLiteral("GetFace"));
    setWindowTitle(Caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    setFont(widgets::uiFont());
    setFixedSize(ClientSize);
    buildControls();
    connectHandlers();
}

void GetFace::buildControls()
{
    facetext = widgets::makeLineEdit(this, FaceTextPlace, QStringLiteral("facetext"));
    facetext->setAccessibleName(QStringLiteral("挿入する") + widgets::name::Face);
    facetext->setFont(widgets::faceFont(FaceTextPoints));
    widgets::paintBoxBackground(facetext, widgets::colour::LightYellow);

    SelectBtn = widgets::makeButton(this, QStringLiteral("決定！！"), SelectPlace,
                                    QStringLiteral("SelectBtn"), widgets::colour::Rose);
    kindItems = new QStringListModel(this);
    faceItems = new QStringListModel(this);
    kind = widgets::makeListView(this, KindPlace, QStringLiteral("kind"), kindItems);
    face = widgets::makeListView(this, FacePlace, QStringLiteral("face"), faceItems);
    for (QListView *list : {kind, face})
        list->setFont(widgets::faceFont(ListPoints));
    kind->setAccessibleName(QStringLiteral("グループ"));
    face->setAccessibleName(widgets::name::Face);
    CloseBtn =
        widgets::makeButton(this, QStringLiteral("閉じる"), ClosePlace, QStringLiteral("CloseBtn"));

    widgets::chainTabs({facetext, SelectBtn, kind, face, CloseBtn});
}

void GetFace::connectHandlers()
{
    connect(kind->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GetFace::kind_Click);
    connect(face->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GetFace::face_Click);
    // A click on the emoticon already selected takes it again, over whatever was typed since.
    connect(face, &QListView::clicked, this, &GetFace::face_Click);
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
    faceItems->setStringList({});
    Form_Load();

    widgets::placeOverOpener(this, m_opener);
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
    kindItems->setStringList(m_table.groupNames());
}

void GetFace::kind_Click()
{
    const int index = widgets::selectedRow(kind);
    if (index < 0 || index >= m_table.GroupCount())
        return;
    faceItems->setStringList(m_table.faces(index));
}

void GetFace::face_Click()
{
    const int index = widgets::selectedRow(face);
    if (index < 0)
        return;
    facetext->setText(faceItems->stringList().at(index));
}

void GetFace::SelectBtn_Click()
{
    if (tgt)
        widgets::insertIntoBody(tgt, facetext->text());
    accept();
}

void GetFace::CloseBtn_Click()
{
    reject();
}
