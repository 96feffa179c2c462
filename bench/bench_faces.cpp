// SPDX-License-Identifier: MIT
#include "LinearFaceReader.h"
#include "faces/FaceTable.h"
#include "faces/GetFace.h"
#include "platform/ProgramFolders.h"
#include "platform/TextDecoding.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Groups = FaceTable::MaxGroups;
constexpr int Lines = 100000;

// Every group appears once in order, then the remaining lines fall on groups at random, as a
// big collection edited over years would look. A fixed seed keeps runs comparable.
QByteArray generatedFile()
{
    QString text;
    text += QStringLiteral("!! generated for the benchmark\r\n");
    QRandomGenerator random(7);
    for (int line = 0; line < Lines; ++line) {
        const int group = line < Groups ? line : int(random.bounded(Groups));
        text += QStringLiteral("グループ%1\t(^_^)ﾉ%2\r\n").arg(group).arg(line);
    }
    return text.toUtf8();
}

const QByteArray &fileBytes()
{
    static const QByteArray bytes = generatedFile();
    return bytes;
}

// The same file with one Shift-JIS line appended, so every line is decoded on its own.
const QByteArray &mixedBytes()
{
    static const QByteArray bytes =
        fileBytes() + QByteArray("\x8F\xCE\x8A\xE7\t(\x81\x4F\x81\x4F)\r\n");
    return bytes;
}

void readIndexed(benchmark::State &state)
{
    const QByteArray &bytes = fileBytes();
    for (auto _ : state) {
        const FaceTable table = FaceTable::fromBytes(bytes);
        benchmark::DoNotOptimize(table.GroupCount());
        if (table.GroupCount() != Groups)
            state.SkipWithError("wrong group count");
    }
}

void readIndexedLineByLine(benchmark::State &state)
{
    const QByteArray &bytes = mixedBytes();
    for (auto _ : state) {
        const FaceTable table = FaceTable::fromBytes(bytes);
        benchmark::DoNotOptimize(table.GroupCount());
        if (table.GroupCount() != Groups)
            state.SkipWithError("wrong group count");
    }
}

// The decoding alone, whole and line by line, to see what deciding every line costs.
void decodeWhole(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::decodeWholeText(fileBytes()));
}

void decodeLines(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(platform::decodeLineByLine(mixedBytes()));
}

void readLinear(benchmark::State &state)
{
    const QByteArray &bytes = fileBytes();
    for (auto _ : state) {
        const QList<FaceGroup> groups = readFacesLinearly(bytes);
        benchmark::DoNotOptimize(groups.size());
        if (groups.size() != Groups)
            state.SkipWithError("wrong group count");
    }
}

// The picker reads face.txt from the program's folder, which the benchmark points elsewhere.
void openPicker(benchmark::State &state)
{
    QTemporaryDir dir;
    platform::setProgramFolders(
        platform::ProgramFolders{dir.path(), dir.filePath(QStringLiteral("nobody"))});
    QFile file(dir.filePath(QStringLiteral("face.txt")));
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write face.txt");
        return;
    }
    file.write(fileBytes());
    file.close();

    QPlainTextEdit target;
    for (auto _ : state) {
        GetFace picker(nullptr);
        picker.tgt = &target;
        picker.show();
        // Lets the lists lay themselves out and paint once, as the user would see them.
        QCoreApplication::processEvents();
        const auto *kind = picker.findChild<QListWidget *>(QStringLiteral("kind"));
        if (!kind || kind->count() != Groups)
            state.SkipWithError("kind not filled");
        picker.reject();
    }

    platform::setProgramFolders(std::nullopt);
}

} // namespace

BENCHMARK(readIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK(readIndexedLineByLine)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeWhole)->Unit(benchmark::kMillisecond);
BENCHMARK(decodeLines)->Unit(benchmark::kMillisecond);
BENCHMARK(readLinear)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(openPicker)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // Real widgets without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
