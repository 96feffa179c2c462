// SPDX-License-Identifier: MIT
// The keys that jump through a long list: Home, End, PageUp and PageDown on the registration
// list, the picker's group list and the short-text drop-down, each with 30,000 rows, the key
// handled and the list painted as the screen shows it.
#include "FaceFolder.h"
#include "faces/GetFace.h"
#include "platform/ProgramFolders.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/ShortTextBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <array>

namespace {

constexpr int Rows = 30000;
constexpr std::array<Qt::Key, 4> Keys{Qt::Key_End, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_PageDown};

QStringList texts()
{
    QStringList list;
    list.reserve(Rows);
    for (int i = 0; i < Rows; ++i)
        list << QStringLiteral("よろしくお願いします%1").arg(i);
    return list;
}

// One key, then the paint it causes. Keys go round End, PageUp, Home, PageDown, so every press
// moves the list.
void pressKeys(benchmark::State &state, QAbstractItemView *view)
{
    view->setFocus();
    QCoreApplication::processEvents();
    size_t k = 0;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Keys[k++ % Keys.size()], Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
        view->viewport()->repaint();
    }
}

// The registration list as makeList builds it; Arg 0 without uniform rows, for comparison.
// The registration list of 30,000 texts in a shown window; without uniform rows when asked.
QListWidget *shownList(QWidget &window, bool uniform)
{
    window.resize(300, 300);
    QListWidget *list = widgets::makeList(&window, {210, 210, 2145, 2760}, QStringLiteral("List1"));
    list->setUniformItemSizes(uniform);
    list->addItems(texts());
    window.show();
    return list;
}

void BM_RegistrationListKeys(benchmark::State &state)
{
    QWidget window;
    pressKeys(state, shownList(window, state.range(0) != 0));
}
BENCHMARK(BM_RegistrationListKeys)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

// The first End after the list has changed (a registration, a deletion, the opening): the rows
// are laid out again. Arg 0 without uniform rows, for comparison.
void BM_RegistrationListEndAfterChange(benchmark::State &state)
{
    QWidget window;
    QListWidget *list = shownList(window, state.range(0) != 0);
    list->setFocus();
    QCoreApplication::processEvents();
    int added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list->addItem(QStringLiteral("新しい短文%1").arg(added++));
        list->setCurrentRow(0);
        state.ResumeTiming();
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &end);
        list->viewport()->repaint();
    }
}
BENCHMARK(BM_RegistrationListEndAfterChange)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegistrationListEndAfterChange)->Arg(0)->Iterations(3)->Unit(benchmark::kMillisecond);

// The list filled with 30,000 rows and shown, as the registration window opens: the texts are
// measured once. Arg 0 with Qt's own delegate, for comparison.
void BM_RegistrationListOpen(benchmark::State &state)
{
    const QStringList rows = texts();
    for (auto _ : state) {
        QWidget window;
        window.resize(300, 300);
        QListWidget *list =
            widgets::makeList(&window, {210, 210, 2145, 2760}, QStringLiteral("List1"));
        if (state.range(0) == 0)
            list->setItemDelegate(new QStyledItemDelegate(list));
        list->addItems(rows);
        window.show();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RegistrationListOpen)->Arg(1)->Arg(0)->Iterations(10)->Unit(benchmark::kMillisecond);

// A deletion and the End key after it: the widest row is measured again over all rows. Arg 0
// with Qt's own delegate, for comparison.
void BM_RegistrationListDeleteThenEnd(benchmark::State &state)
{
    QWidget window;
    window.resize(300, 300);
    QListWidget *list = widgets::makeList(&window, {210, 210, 2145, 2760}, QStringLiteral("List1"));
    if (state.range(0) == 0)
        list->setItemDelegate(new QStyledItemDelegate(list)); // the last row's width for all
    list->addItems(texts());
    window.show();
    list->setFocus();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        delete list->takeItem(list->count() / 2);
        QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
        QCoreApplication::sendEvent(list, &end);
        list->viewport()->repaint();
        state.PauseTiming();
        list->setCurrentRow(0);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RegistrationListDeleteThenEnd)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

// The picker's group list over a face.txt of 30,000 groups.
void BM_PickerGroupKeys(benchmark::State &state)
{
    QByteArray faceTxt;
    for (int i = 0; i < Rows; ++i)
        faceTxt += QStringLiteral("グループ%1\t(^_^)ﾉ%1\r\n").arg(i).toUtf8();
    const FaceFolder folder(faceTxt);
    if (!folder.isValid()) {
        state.SkipWithError("cannot write face.txt");
        return;
    }

    QPlainTextEdit target;
    GetFace picker(nullptr);
    picker.tgt = &target;
    picker.show();
    auto *kind = picker.findChild<QAbstractItemView *>(QStringLiteral("kind"));
    if (!kind || kind->model()->rowCount() != Rows) {
        state.SkipWithError("kind not filled");
        return;
    }
    pressKeys(state, kind);
    picker.reject();
}
BENCHMARK(BM_PickerGroupKeys)->Unit(benchmark::kMillisecond);

// The short-text drop-down, open.
void BM_ShortTextDropDownKeys(benchmark::State &state)
{
    QWidget window;
    window.resize(300, 300);
    QComboBox *box =
        widgets::makeShortTextBox(&window, {1605, 4125, 1725, 300}, QStringLiteral("FaceIcon"));
    widgets::setShortTexts(box, texts());
    window.show();
    box->showPopup();
    pressKeys(state, box->view());
    box->hidePopup();
}
BENCHMARK(BM_ShortTextDropDownKeys)->Unit(benchmark::kMillisecond);

} // namespace
