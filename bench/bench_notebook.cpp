// SPDX-License-Identifier: MIT
// The main window against a heavy store: three bodies of about 1 MB each and a full short-text
// list. Each benchmark takes a scale (1 = half the data, 2 = all of it) so the figures show how
// the cost grows when the data doubles.

#include "notebook/Tesserin.h"
#include "notebook/store/Autosave.h"
#include "notebook/store/NotebookStore.h"
#include "platform/widgets/BodyText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QTemporaryDir &tempDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString body(qsizetype characters, int seed)
{
    const QString line =
        QStringLiteral("%1行目：掲示板への返信の下書き、テキスト text 0123456789\r\n");
    QString text;
    text.reserve(characters + 80);
    for (int n = 0; text.size() < characters; ++n)
        text += line.arg(n + seed);
    text.truncate(characters);
    return text;
}

// Writes a store once per scale and returns its path.
QString heavyStore(int scale)
{
    const QString path = tempDir().filePath(QStringLiteral("heavy-%1.ini").arg(scale));
    if (QFile::exists(path))
        return path;
    NotebookTexts t;
    const qsizetype bodySize = 512 * 1024 * scale;
    for (int i = 0; i < 3; ++i) {
        t.SlotBody[i] = body(bodySize, i * 1000);
        t.SlotTitle[i] = QStringLiteral("Re: スレッド %1").arg(i);
        t.Info[i] = QStringLiteral("info %1").arg(i);
    }
    const int shortTexts = store::MaxShortTexts * scale / 2;
    for (int i = 0; i < shortTexts; ++i)
        t.shortTexts << QStringLiteral("短文その%1 (^_^)").arg(i);
    QSettings s(path, QSettings::IniFormat);
    store::write(s, t);
    s.sync();
    return path;
}

platform::StoreFactory factoryFor(const QString &path)
{
    return [path] { return platform::StoreLocation{path, {}}; };
}

void BM_LoadSettings(benchmark::State &state)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        store::Loaded loaded = store::load(platform::StoreLocation{path, {}});
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(BM_LoadSettings)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The window's whole start: LoadSettings, filling the boxes and the short-text list, showing
// slot 1, then showing the window (offscreen).
void BM_ConstructAndShow(benchmark::State &state)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        auto w = std::make_unique<Tesserin>(factoryFor(path));
        w->show();
        QApplication::processEvents();
        state.PauseTiming();
        w.reset(); // tearing down is not part of the start
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ConstructAndShow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The close handling's write to a new file: every key, and the sync to disk.
void BM_WriteStore(benchmark::State &state)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    const NotebookTexts t = store::load(platform::StoreLocation{path, {}}).texts;
    const QString out = tempDir().filePath(QStringLiteral("out-%1.ini").arg(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(out);
        state.ResumeTiming();
        store::save(platform::StoreLocation{out, {}}, t);
    }
}
BENCHMARK(BM_WriteStore)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The floor of the close-time write: the bytes the store's write leaves in the file, written
// again with QSaveFile alone.
void BM_WriteSameBytes(benchmark::State &state)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    const QString saved = tempDir().filePath(QStringLiteral("saved-%1.ini").arg(state.range(0)));
    QFile::remove(saved);
    store::save(platform::StoreLocation{saved, {}},
                store::load(platform::StoreLocation{path, {}}).texts);
    QFile file(saved);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (bytes.isEmpty()) {
        state.SkipWithError("the store was not written");
        return;
    }
    const QString out = tempDir().filePath(QStringLiteral("bytes-%1.ini").arg(state.range(0)));
    for (auto _ : state) {
        QSaveFile save(out);
        if (!save.open(QIODevice::WriteOnly) || save.write(bytes) != bytes.size() || !save.commit())
            state.SkipWithError("QSaveFile failed");
    }
}
BENCHMARK(BM_WriteSameBytes)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The real close: Form_QueryUnload collecting every box and writing the store.
void BM_CloseWindow(benchmark::State &state)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    const QString out = tempDir().filePath(QStringLiteral("close-%1.ini").arg(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(out);
        QFile::copy(path, out);
        auto w = std::make_unique<Tesserin>(factoryFor(out));
        w->show();
        QApplication::processEvents();
        state.ResumeTiming();
        w->close();
        state.PauseTiming();
        w.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CloseWindow)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Slot switches on the window of the heavy store; with `typeFirst`, a keystroke in the shown
// body before each (outside the measured time), so the body is read back out of the box (an
// untouched body is not).
void slotSwitches(benchmark::State &state, bool typeFirst)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    Tesserin w(factoryFor(path));
    w.show();
    QApplication::processEvents();
    int next = 1;
    for (auto _ : state) {
        if (typeFirst) {
            state.PauseTiming();
            w.Doc1->insertPlainText(QStringLiteral("x"));
            state.ResumeTiming();
        }
        w.DocSelect[next]->click();
        next = (next + 1) % 3;
    }
    w.hide();
}

// One slot switch: the shown texts into the arrays, the next slot's texts into the boxes.
void BM_SlotSwitch(benchmark::State &state)
{
    slotSwitches(state, false);
}
BENCHMARK(BM_SlotSwitch)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same switch after the body was edited.
void BM_SlotSwitchEdited(benchmark::State &state)
{
    slotSwitches(state, true);
}
BENCHMARK(BM_SlotSwitchEdited)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The main window on its own copy of the heavy store, shown, the caret at the body's end: where
// a keystroke starts the typing pause that ends in a background save.
std::unique_ptr<Tesserin> typingOnCopy(const benchmark::State &state, const char *name)
{
    const QString path = heavyStore(static_cast<int>(state.range(0)));
    const QString out = tempDir().filePath(
        QStringLiteral("%1-%2.ini").arg(QLatin1String(name)).arg(state.range(0)));
    QFile::remove(out);
    QFile::copy(path, out);
    auto w = std::make_unique<Tesserin>(factoryFor(out));
    w->show();
    QApplication::processEvents();
    w->Doc1->moveCursor(QTextCursor::End);
    return w;
}

// A background save as the end of the typing pause starts it: the time the event loop is blocked
// (the snapshot of every box and the worker's start), after a keystroke in the body. The write
// itself runs on the worker and is waited for outside the measured time.
void BM_BackgroundSaveBlocks(benchmark::State &state)
{
    const auto w = typingOnCopy(state, "auto");
    for (auto _ : state) {
        w->Doc1->insertPlainText(QStringLiteral("x"));
        QElapsedTimer blocked;
        blocked.start();
        w->autosave()->saveInBackground();
        state.SetIterationTime(double(blocked.nsecsElapsed()) / 1e9);
        w->autosave()->waitForBackgroundSave();
    }
    w->hide();
}
BENCHMARK(BM_BackgroundSaveBlocks)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

// The worker's part of the same save, for comparison: finishing, escaping, writing, renaming.
void BM_BackgroundSaveWorker(benchmark::State &state)
{
    const auto w = typingOnCopy(state, "worker");
    for (auto _ : state) {
        state.PauseTiming();
        w->Doc1->insertPlainText(QStringLiteral("x"));
        state.ResumeTiming();
        w->autosave()->saveInBackground();
        w->autosave()->waitForBackgroundSave();
    }
    w->hide();
}
BENCHMARK(BM_BackgroundSaveWorker)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

} // namespace
