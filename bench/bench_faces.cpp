// SPDX-License-Identifier: MIT
#include "FaceFolder.h"
#include "LinearFaceReader.h"
#include "faces/FaceTable.h"
#include "faces/GetFace.h"
#include "platform/ProgramFolders.h"
#include "platform/TextDecoding.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

constexpr int Groups = FaceTable::MaxGroups;
constexpr int Lines = 100000;

// Every group appears once in order, then the remaining lines fall on groups at random, as a
// big collection edited over years would look. A fixed seed keeps runs comparable.
QString generatedText()
{
    QString text;
    text += QStringLiteral("!! generated for the benchmark\r\n");
    QRandomGenerator random(7);
    for (int line = 0; line < Lines; ++line) {
        const int group = line < Groups ? line : int(random.bounded(Groups));
        text += QStringLiteral("グループ%1\t(^_^)ﾉ%2\r\n").arg(group).arg(line);
    }
    return text;
}

const QByteArray &utf8Bytes()
{
    static const QByteArray bytes = generatedText().toUtf8();
    return bytes;
}

// The same text in code page 932, as an old Windows file: not UTF-8, so every line is
// decoded on its own.
const QByteArray &sjisBytes()
{
    static const QByteArray bytes = QStringEncoder("windows-31j").encode(generatedText());
    return bytes;
}

// The UTF-8 file with one Shift-JIS line appended: the line-by-line path on mostly UTF-8 lines.
const QByteArray &mixedBytes()
{
    static const QByteArray bytes =
        utf8Bytes() + QByteArray("\x8F\xCE\x8A\xE7\t(\x81\x4F\x81\x4F)\r\n");
    return bytes;
}

void readIndexed(benchmark::State &state, const QByteArray &(*bytes)())
{
    const QByteArray &file = bytes();
    for (auto _ : state) {
        const FaceTable table = FaceTable::fromBytes(file);
        benchmark::DoNotOptimize(table.GroupCount());
        if (table.GroupCount() != Groups)
            state.SkipWithError("wrong group count");
    }
    state.counters["MB"] = double(file.size()) / 1e6;
}

// The floor: the same decoding as the reader (whole, else line by line), then every line split
// off and cut at its first two TABs, with no table.
void decodeAndSplit(benchmark::State &state, const QByteArray &(*bytes)())
{
    const QByteArray &file = bytes();
    for (auto _ : state) {
        const std::optional<QString> whole = platform::decodeWholeText(file);
        const QString text = whole ? *whole : platform::decodeLineByLine(file);
        const QChar *p = text.constData();
        const qsizetype n = text.size();
        qsizetype lines = 0;
        qsizetype fields = 0;
        qsizetype start = 0;
        qsizetype tab1 = -1;
        qsizetype tab2 = -1;
        for (qsizetype i = 0; i <= n; ++i) {
            const char16_t c = i < n ? p[i].unicode() : u'\n';
            if (c == u'\t') {
                if (tab1 < 0)
                    tab1 = i;
                else if (tab2 < 0)
                    tab2 = i;
            } else if (c == u'\r' || c == u'\n') {
                if (i > start || i < n) {
                    ++lines;
                    if (tab1 >= 0)
                        fields += (tab1 - start) + ((tab2 < 0 ? i : tab2) - tab1);
                }
                if (c == u'\r' && i + 1 < n && p[i + 1] == u'\n')
                    ++i;
                start = i + 1;
                tab1 = tab2 = -1;
            }
        }
        benchmark::DoNotOptimize(lines);
        benchmark::DoNotOptimize(fields);
    }
}

void readIndexedLineByLine(benchmark::State &state)
{
    readIndexed(state, mixedBytes);
}

void readLinear(benchmark::State &state)
{
    const QByteArray &bytes = utf8Bytes();
    for (auto _ : state) {
        const QList<FaceGroup> groups = readFacesLinearly(bytes);
        benchmark::DoNotOptimize(groups.size());
        if (groups.size() != Groups)
            state.SkipWithError("wrong group count");
    }
}

// The picker reads face.txt from the program's folder, which the benchmark points elsewhere.
// Each round builds, shows, paints, closes and destroys the window, as one use of it does.
void openPicker(benchmark::State &state, const QByteArray &(*bytes)())
{
    const FaceFolder folder(bytes());
    if (!folder.isValid()) {
        state.SkipWithError("cannot write face.txt");
        return;
    }

    QPlainTextEdit target;
    for (auto _ : state) {
        GetFace picker(nullptr);
        picker.tgt = &target;
        picker.show();
        // Lets the lists lay themselves out and paint once, as the user would see them.
        QCoreApplication::processEvents();
        const auto *kind = picker.findChild<QAbstractItemView *>(QStringLiteral("kind"));
        if (!kind || !kind->model() || kind->model()->rowCount() != Groups)
            state.SkipWithError("kind not filled");
        picker.reject();
    }
}

} // namespace

BENCHMARK_CAPTURE(readIndexed, sjis, sjisBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(readIndexed, utf8, utf8Bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeAndSplit, sjis, sjisBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeAndSplit, utf8, utf8Bytes)->Unit(benchmark::kMillisecond);
BENCHMARK(readIndexedLineByLine)->Unit(benchmark::kMillisecond);
BENCHMARK(readLinear)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_CAPTURE(openPicker, sjis, sjisBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(openPicker, utf8, utf8Bytes)->Unit(benchmark::kMillisecond);
