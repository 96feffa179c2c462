// SPDX-License-Identifier: MIT
#include "LinearFaceReader.h"
#include "Support.h"

#include "faces/FaceTable.h"
#include "faces/GetFace.h"
#include "notebook/Tesserin.h"
#include "platform/ProgramFolders.h"
#include "platform/TextDecoding.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/Twips.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRawFont>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <limits>

using support::clickRow;
using support::listItems;
using support::rowCentre;
using support::rowCount;
using support::rowText;
using support::select;
using support::writeFile;

namespace {

// "name⇥face⇥face..." per group, so a failing comparison shows the whole table.
QStringList render(const FaceTable &table)
{
    QStringList out;
    for (const FaceGroup &group : table.FaceGroups())
        out.append(QStringList{group.GroupName, group.Faces.join(QLatin1Char('\t'))}.join(
            QLatin1Char('\t')));
    return out;
}

QStringList read(const QByteArray &bytes)
{
    return render(FaceTable::fromBytes(bytes));
}

QStringList readText(const QString &text)
{
    return read(text.toUtf8());
}

// The test's own program and user folders, in place of the build folder and the home.
QString facePath()
{
    return platform::programFolders().program + QStringLiteral("/face.txt");
}

QString userFacePath()
{
    return platform::programFolders().userData + QStringLiteral("/face.txt");
}

void writeFaceFile(const QByteArray &bytes)
{
    writeFile(facePath(), bytes);
}

template <typename T> T *child(QWidget *window, const char *name)
{
    return window->findChild<T *>(QLatin1String(name));
}

// Opens the picker as every caller does (set tgt, show modally) and answers it. A picker that
// never came up counts as left open.
struct PickerRun
{
    bool leftOpen = false;
    int result = -1;
};

PickerRun runPicker(QWidget *opener, QPlainTextEdit *target,
                    const std::function<void(GetFace *)> &act)
{
    GetFace picker(opener);
    picker.tgt = target;
    const auto answer = support::onModal<GetFace>([act](GetFace &w) { act(&w); });
    const int result = picker.exec();
    return {answer->leftOpen || !answer->seen, result};
}

// The picker's controls, found by their names.
struct PickerParts
{
    explicit PickerParts(QWidget *w)
        : facetext(child<QLineEdit>(w, "facetext")), kind(child<QListView>(w, "kind")),
          face(child<QListView>(w, "face")), select(child<QPushButton>(w, "SelectBtn")),
          close(child<QPushButton>(w, "CloseBtn"))
    {
    }
    QLineEdit *facetext;
    QListView *kind, *face;
    QPushButton *select, *close;
};

// Clicks the group and the emoticon at these rows, then the named button.
void pick(GetFace *w, int group, int row, const char *button)
{
    clickRow(child<QListView>(w, "kind"), group);
    clickRow(child<QListView>(w, "face"), row);
    QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
}

const QByteArray SampleFile = QStringLiteral("!! テスト用\n"
                                             "笑顔\t(^_^)\n"
                                             "泣き\t(T_T)\n"
                                             "笑顔\t(^o^)\n"
                                             "空\t\n"
                                             "泣き\t(;_;)\n"
                                             "絵文字\t😀(^o^)🎉\n")
                                  .toUtf8();

} // namespace

class TestFaces : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void exampleAndFieldRules();
    void commentsAndTrimming();
    void lineEnds();
    void mixedFilesAndEncodings_data();
    void mixedFilesAndEncodings();
    void codePage932ReadsAlikeEverywhere_data();
    void codePage932ReadsAlikeEverywhere();
    void groupLimit();
    void indexedEqualsLinear();
    void tableGrowsPieceByPiece();
    void shippedCollectionSurvivesShiftJisBoards();

    void pickerOpensFresh();
    void pickerChoosesGroupsAndEmoticons();
    void pickerInsertsOverSelection();
    void enterAndEscapePressNothing();
    void closingInsertsNothing();
    void pickerWorksWithoutFile();
    void usersOwnFileWins();
    void pickerCentresOverOpener();
    void mainWindowOpensPickerOnBody();

private:
    QTemporaryDir m_folders;
};

void TestFaces::initTestCase()
{
    QVERIFY(m_folders.isValid());
    platform::setProgramFolders(platform::ProgramFolders{
        m_folders.filePath(QStringLiteral("bin")), m_folders.filePath(QStringLiteral("own"))});
    QVERIFY(QDir().mkpath(platform::programFolders().program));
    QVERIFY(QDir().mkpath(platform::programFolders().userData));
}

void TestFaces::cleanupTestCase()
{
    platform::setProgramFolders(std::nullopt);
}

void TestFaces::cleanup()
{
    for (const QString &path : {facePath(), userFacePath()}) {
        QDir().rmdir(path);
        QFile::remove(path);
    }
}

// ---- reading the file ------------------------------------------------------------------------

void TestFaces::exampleAndFieldRules()
{
    QCOMPARE(readText(QStringLiteral("!!comment\r\nA\tx\r\nA\ty\tnote\r\nB\tz\r\nA\tx")),
             (QStringList{QStringLiteral("A\tx\ty\tx"), QStringLiteral("B\tz")}));

    // Groups in order of first appearance; lines of a group need not be adjacent.
    QCOMPARE(readText(QStringLiteral("A\tx\r\nB\ty\r\nA\tz\r\n")),
             (QStringList{QStringLiteral("A\tx\tz"), QStringLiteral("B\ty")}));
    // Duplicates stay.
    QCOMPARE(readText(QStringLiteral("G\tF\r\nG\tF\r\n")), QStringList{QStringLiteral("G\tF\tF")});
    // Empty emoticon, empty group name.
    const FaceTable empties = FaceTable::fromBytes("G\t\r\n\tF\r\n");
    QCOMPARE(empties.GroupCount(), 2);
    QCOMPARE(empties.FaceGroups().at(0).GroupName, QStringLiteral("G"));
    QCOMPARE(empties.FaceGroups().at(0).Faces, QStringList{QString()});
    QCOMPARE(empties.FaceGroups().at(1).GroupName, QString());
    QCOMPARE(empties.FaceGroups().at(1).Faces, QStringList{QStringLiteral("F")});
    // Fields after the second are ignored, a trailing TAB too.
    QCOMPARE(readText(QStringLiteral("G\tF1\tF2\tF3\r\nG\tF4\t\r\n")),
             QStringList{QStringLiteral("G\tF1\tF4")});
    // A line without a TAB is no group; empty lines and lines of spaces are nothing.
    QCOMPARE(readText(QStringLiteral("(^_^)\r\n\r\n   \r\nG\tF\r\n")),
             QStringList{QStringLiteral("G\tF")});
    QVERIFY(readText(QStringLiteral("(^_^)\r\n\r\n    \r\n!!x\ty\r\n")).isEmpty());
    QVERIFY(read(QByteArray()).isEmpty());
    // Names compare code unit by code unit: case, width and spaces make other groups.
    QCOMPARE(readText(QStringLiteral("a\t1\r\nA\t2\r\nＡ\t3\r\nA \t4\r\nA\t5\r\n")),
             (QStringList{QStringLiteral("a\t1"), QStringLiteral("A\t2\t5"),
                          QStringLiteral("Ａ\t3"), QStringLiteral("A \t4")}));
    // AddFaceLine on its own.
    FaceTable table;
    table.AddFaceLine(QStringLiteral("  G\tF  "));
    table.AddFaceLine(QStringLiteral("no tab here"));
    QCOMPARE(render(table), QStringList{QStringLiteral("G\tF")});
}

void TestFaces::commentsAndTrimming()
{
    // "!!" counts only at the very start, before trimming; a single "!" is data.
    QCOMPARE(readText(QStringLiteral("!!A\tx\r\n !!B\ty\r\n!C\tz\r\n! !D\tw\r\n")),
             (QStringList{QStringLiteral("!!B\ty"), QStringLiteral("!C\tz"),
                          QStringLiteral("! !D\tw")}));
    // Spaces at the ends go; spaces next to the TAB stay.
    QCOMPARE(readText(QStringLiteral("   G\tF   \r\nH \t F\r\n")),
             (QStringList{QStringLiteral("G\tF"), QStringLiteral("H \t F")}));
    // Only U+0020 is trimmed: TABs at the ends and the ideographic space stay.
    QCOMPARE(readText(QStringLiteral("\tG\tF\r\n")), QStringList{QStringLiteral("\tG")});
    QCOMPARE(readText(QStringLiteral("  \t  F \r\n")), QStringList{QStringLiteral("\t  F")});
    QCOMPARE(readText(QStringLiteral("\u3000G\tF\u3000\r\n")),
             QStringList{QStringLiteral("\u3000G\tF\u3000")});
    // A line of ideographic spaces has no TAB and is ignored like any other.
    QVERIFY(readText(QStringLiteral("\u3000\u3000\r\n")).isEmpty());
}

void TestFaces::lineEnds()
{
    // Every line files one emoticon under g, so the emoticons show where the lines ended.
    QVERIFY(readText(QString()).isEmpty());
    QCOMPARE(readText(QStringLiteral("g\ta")), QStringList{QStringLiteral("g\ta")});
    QCOMPARE(readText(QStringLiteral("g\ta\r\n")), QStringList{QStringLiteral("g\ta")});
    // CR LF, a lone CR and a lone LF each end one line, whatever else the text holds.
    QCOMPARE(readText(QStringLiteral("g\ta\rg\tb\r\r\ng\tc\n\ng\td\r\n\rg\te\n")),
             QStringList{QStringLiteral("g\ta\tb\tc\td\te")});
}

void TestFaces::mixedFilesAndEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("groups");

    // 笑顔⇥\(^o^)/～① and ソ表⇥（＾＿＾） in code page 932, whose second bytes are 5C.
    const QByteArray sjis("\x8F\xCE\x8A\xE7\t\x5C\x28\x5E\x6F\x5E\x29\x2F\x81\x60\x87\x40\r\n"
                          "\x83\x5C\x95\x5C\t\x81\x69\x81\x4F\x81\x51\x81\x4F\x81\x6A\r\n");
    const QStringList sjisGroups{QStringLiteral("笑顔\t\\(^o^)/\uFF5E\u2460"),
                                 QStringLiteral("ソ表\t（＾＿＾）")};
    const QByteArray utf8 = QStringLiteral("!!説明\n笑顔\t(^_^)\n泣き\tx(´ω`)\n").toUtf8();
    const QByteArray bom("\xEF\xBB\xBF");

    QTest::newRow("lone LF and CR LF in one file")
        << QByteArray("A\tx\ny\r\nB\tz\n!!w\r\n!!c\rC\t!!\n")
        << QStringList{QStringLiteral("A\tx"), QStringLiteral("B\tz"), QStringLiteral("C\t!!")};
    QTest::newRow("old Mac") << QByteArray("A\tx\rA\ty\r")
                             << QStringList{QStringLiteral("A\tx\ty")};
    // "＊⇥」〉" CR LF "＊⇥〉" LF, whose code units hold the bytes 0A, 0D and 09.
    QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE"
                                             "\x0A\xFF\x09\x00\x0D\x30\x09\x30\x0D\x00\x0A\x00"
                                             "\x0A\xFF\x09\x00\x09\x30\x0A\x00",
                                             22)
                               << QStringList{QStringLiteral("＊\t」〉\t〉")};
    QTest::newRow("UTF-16 BE") << QByteArray("\xFE\xFF"
                                             "\xFF\x0A\x00\x09\x30\x0D\x30\x09\x00\x0D\x00\x0A"
                                             "\xFF\x0A\x00\x09\x30\x09",
                                             20)
                               << QStringList{QStringLiteral("＊\t」〉\t〉")};
    QTest::newRow("UTF-16 odd length") << QByteArray("\xFF\xFE"
                                                     "A\x00\t\x00x\x00\x0D",
                                                     9)
                                       << QStringList{QStringLiteral("A\tx\uFFFD")};
    QTest::newRow("code page 932") << sjis << sjisGroups;
    QTest::newRow("UTF-8") << utf8
                           << QStringList{QStringLiteral("笑顔\t(^_^)"),
                                          QStringLiteral("泣き\tx(´ω`)")};
    QTest::newRow("UTF-8 with mark, comment right after it")
        << bom + utf8 << QStringList{QStringLiteral("笑顔\t(^_^)"), QStringLiteral("泣き\tx(´ω`)")};
    // The user's case: an old Windows line appended to the shipped file.
    QTest::newRow("UTF-8 file with a Shift-JIS CR LF line")
        << utf8 + sjis.first(sjis.indexOf('\n') + 1)
        << QStringList{QStringLiteral("笑顔\t(^_^)\t\\(^o^)/\uFF5E\u2460"),
                       QStringLiteral("泣き\tx(´ω`)")};
    // ﾃｨ⇥ﾃｨ (C3 A8 09 C3 A8) is valid UTF-8 by accident; a two-byte UTF-8 sign whose second
    // byte is below A1 (ω is CF 89) cannot be half-width katakana.
    QTest::newRow("half-width katakana that passes for UTF-8")
        << sjis + QByteArray("\xC3\xA8\t\xC3\xA8\r\n") + QStringLiteral("x\t(ω)\n").toUtf8()
        << sjisGroups + QStringList{QStringLiteral("ﾃｨ\tﾃｨ"), QStringLiteral("x\t(ω)")};
    // Files joined with cat: the second mark neither names a group nor hides a comment.
    QTest::newRow("joined UTF-8 files")
        << bom + QByteArray("X\ta\n") + bom + QStringLiteral("!!二つ目\r\nX\tb\r\n").toUtf8()
        << QStringList{QStringLiteral("X\ta\tb")};
    QTest::newRow("joined mixed files")
        << sjis + bom + QStringLiteral("!!二つ目\n笑顔\tb\n").toUtf8()
        << QStringList{sjisGroups.first() + QStringLiteral("\tb"), sjisGroups.last()};
    // Far into a file that began as valid UTF-8.
    const QByteArray longUtf8 = QByteArray("A\tx\n").repeated(20000);
    QTest::newRow("Shift-JIS line after 80 kB of UTF-8")
        << longUtf8 + sjis
        << QStringList{QStringLiteral("A") + QStringLiteral("\tx").repeated(20000)} + sjisGroups;
    // A lone lead byte at a line's end must not take the next line's first byte as its trail.
    QTest::newRow("lead byte at a line end")
        << QByteArray("\x81\r\nB\ty\r\n\x81\nC\tz\r\n") + sjis
        << QStringList{QStringLiteral("B\ty"), QStringLiteral("C\tz")} + sjisGroups;
    // A stray lead byte before the TAB leaves the TAB to split the line, on Windows too.
    QTest::newRow("lead byte before the TAB")
        << QByteArray("\x8F\xCE\x82\t(^o^)\r\n\x85\x40\t\x80\xA0\r\n")
        << QStringList{QStringLiteral("笑\uFFFD\t(^o^)"), QStringLiteral("\uFFFD@\t\uFFFD\uFFFD")};
}

void TestFaces::codePage932ReadsAlikeEverywhere_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII, backslash and tilde")
        << QByteArray("a\\~\t\x7F") << QStringLiteral("a\\~\t\x7F");
    QTest::newRow("half-width katakana") << QByteArray("\xA1\xB1\xDF") << QStringLiteral("｡ｱﾟ");
    QTest::newRow("wave dash and full-width signs")
        << QByteArray("\x81\x60\x81\x5F\x81\x7C\x81\x45") << QStringLiteral("～＼－・");
    QTest::newRow("NEC row") << QByteArray("\x87\x40\x87\x90") << QStringLiteral("①≒");
    // The same kanji in the NEC-selected and in the IBM rows.
    QTest::newRow("IBM rows") << QByteArray("\xED\x40\xFA\x5C\xFA\x40\xEE\xFC\xFC\x4B")
                              << QStringLiteral("纊纊ⅰ＂黑");
    QTest::newRow("user-defined rows")
        << QByteArray("\xF0\x40\xF9\xFC") << QStringLiteral("\uE000\uE757");
    // Where ICU and Windows part ways: U+001A or U+0080, U+001A or U+F8F0, and so on.
    QTest::newRow("0x80 and 0xA0") << QByteArray("\x80x\xA0") << QStringLiteral("\uFFFDx\uFFFD");
    QTest::newRow("FD to FF") << QByteArray("\xFD\xFE\xFF") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
    QTest::newRow("lead byte before a TAB")
        << QByteArray("\x82\t\x82\r\n") << QStringLiteral("\uFFFD\t\uFFFD\r\n");
    QTest::newRow("unassigned pairs")
        << QByteArray("\x85\x40\xFC\x4C\xEB\x9F") << QStringLiteral("\uFFFD@\uFFFDL\uFFFD\uFFFD");
    QTest::newRow("lead byte before a lead byte")
        << QByteArray("\x85\x87\x40") << QStringLiteral("\uFFFD①");
    QTest::newRow("lead byte with a trail of 7F")
        << QByteArray("\x81\x7F") << QStringLiteral("\uFFFD\x7F");
    QTest::newRow("lead byte at the end") << QByteArray("x\x9F") << QStringLiteral("x\uFFFD");
    QTest::newRow("empty") << QByteArray() << QString();
}

// What ICU's windows-31j and Windows' code page 932 agree on reads the same on both systems, and
// where they differ both give U+FFFD for the one byte.
void TestFaces::codePage932ReadsAlikeEverywhere()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(platform::decodeCodePage932(bytes), text);
}

void TestFaces::mixedFilesAndEncodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, groups);
    QCOMPARE(read(bytes), groups);
}

void TestFaces::groupLimit()
{
    QString text;
    for (int i = 0; i <= FaceTable::MaxGroups; ++i)
        text += QStringLiteral("g%1\tf%1\n").arg(i);
    text += QStringLiteral("g0\tlate\ng%1\tagain\n").arg(FaceTable::MaxGroups);
    const FaceTable table = FaceTable::fromBytes(text.toUtf8());
    QCOMPARE(table.GroupCount(), 32767);
    QCOMPARE(table.FaceGroups().last().GroupName, QStringLiteral("g32766"));
    QCOMPARE(table.FaceGroups().last().Faces, QStringList{QStringLiteral("f32766")});
    QCOMPARE(table.FaceGroups().first().Faces,
             (QStringList{QStringLiteral("f0"), QStringLiteral("late")}));
    QVERIFY(!table.groupNames().contains(QStringLiteral("g32767")));
    // The linear scan leaves out the same group.
    QVERIFY(readFacesLinearly(text.toUtf8()) == table.FaceGroups());

    // Exactly 32,767 groups load whole.
    text.clear();
    for (int i = 0; i < FaceTable::MaxGroups; ++i)
        text += QStringLiteral("g%1\tf\r\n").arg(i);
    QCOMPARE(FaceTable::fromBytes(text.toUtf8()).GroupCount(), 32767);
}

void TestFaces::indexedEqualsLinear()
{
    // Random files over a small alphabet, so names repeat and every rule comes into play.
    const QString alphabet = QStringLiteral("  \t\t\r\n!!aAａあ\u3000😀x");
    QRandomGenerator random(20240603);
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int length = int(random.bounded(400));
        for (int i = 0; i < length; ++i) {
            const QChar c = alphabet.at(int(random.bounded(int(alphabet.size()))));
            text += c;
        }
        const QByteArray bytes = text.toUtf8();
        const FaceTable indexed = FaceTable::fromBytes(bytes);
        const QList<FaceGroup> linear = readFacesLinearly(bytes);
        QVERIFY2(indexed.FaceGroups() == linear, qPrintable(text.toUtf8().toHex()));
    }
    // The sample file too, which has real groups.
    QVERIFY(readFacesLinearly(SampleFile) == FaceTable::fromBytes(SampleFile).FaceGroups());
    QCOMPARE(FaceTable::fromBytes(SampleFile).GroupCount(), 4);
}

void TestFaces::tableGrowsPieceByPiece()
{
    // Enough groups to grow the name index several times, every one of them seen again later.
    QStringList lines;
    for (int i = 0; i < 600; ++i)
        lines.append(QStringLiteral("g%1\tf%2").arg(i * 7 % 211).arg(i));
    const FaceTable whole = FaceTable::fromBytes(lines.join(u'\n').toUtf8());
    QCOMPARE(whole.GroupCount(), 211);

    // Read in two pieces, then line by line: each addition moves the kept text elsewhere now and
    // then, and the names found before must still be found.
    FaceTable pieces = FaceTable::fromBytes(lines.mid(0, 150).join(u'\n').toUtf8());
    pieces.readText(QString(u'\n' + lines.mid(150, 150).join(u'\n') + u'\n'));
    for (const QString &line : lines.mid(300))
        pieces.AddFaceLine(line);
    QVERIFY(pieces == whole);
    QCOMPARE(pieces.groupName(5), QStringLiteral("g35"));
    QCOMPARE(pieces.faces(5), whole.FaceGroups().at(5).Faces);

    // A copy grows on its own.
    FaceTable copy = pieces;
    copy.AddFaceLine(QStringLiteral("g0\tlate"));
    copy.AddFaceLine(QStringLiteral("new\tx"));
    QVERIFY(pieces == whole);
    QCOMPARE(copy.GroupCount(), 212);
    QCOMPARE(copy.faces(0).last(), QStringLiteral("late"));
}

// Every emoticon of the shipped file posts unchanged to a Shift_JIS board and shows with the
// font the package depends on, so no edit can bring back "?" or empty boxes.
void TestFaces::shippedCollectionSurvivesShiftJisBoards()
{
    QFile shipped(QStringLiteral(TESSERIN_DATA_DIR "/face.txt"));
    QVERIFY(shipped.open(QIODevice::ReadOnly));
    const QByteArray bytes = shipped.readAll();
    const FaceTable table = FaceTable::fromBytes(bytes);
    QVERIFY2(table.GroupCount() >= 20, qPrintable(QString::number(table.GroupCount())));

    const QRawFont font = QRawFont::fromFont(QFont(QStringLiteral("IPAPGothic"), 12));
    QVERIFY2(font.isValid() && font.familyName() == QStringLiteral("IPAPGothic"),
             "fonts-ipafont-gothic is missing: run tools/setup.sh");
    // Every character code page 932 can write, read through the program's own decoding, which
    // works alike with ICU and on Windows.
    QSet<QChar> cp932;
    for (int first = 0; first < 0x100; ++first) {
        for (int second = -1; second < 0x100; ++second) {
            QByteArray bytes(1, char(first));
            if (second >= 0)
                bytes.append(char(second));
            const QString read = platform::decodeCodePage932(bytes);
            if (read.size() == 1 && read.at(0) != QChar::ReplacementCharacter)
                cp932.insert(read.at(0));
        }
    }
    QVERIFY(cp932.size() > 7000);
    qsizetype emoticons = 0;
    for (const FaceGroup &group : table.FaceGroups()) {
        QCOMPARE(QSet<QString>(group.Faces.begin(), group.Faces.end()).size(), group.Faces.size());
        emoticons += group.Faces.size();
        for (const QString &text : group.Faces + QStringList{group.GroupName}) {
            QVERIFY2(!text.isEmpty(), qPrintable(group.GroupName));
            for (const QChar c : text)
                QVERIFY2(cp932.contains(c), qPrintable(text));
            for (const char32_t c : text.toUcs4())
                QVERIFY2(font.supportsCharacter(c),
                         qPrintable(text + QStringLiteral(": U+%1").arg(uint(c), 4, 16)));
        }
    }
    QVERIFY2(emoticons >= 300, qPrintable(QString::number(emoticons)));

    // One Shift-JIS line with CR LF appended keeps every group and adds its own.
    const FaceTable appended = FaceTable::fromBytes(bytes + "\x83\x65\x83\x58\x83\x67\t(^o^)\r\n");
    QCOMPARE(appended.groupNames(), table.groupNames() + QStringList{QStringLiteral("テスト")});
}

// ---- the picker window ----------------------------------------------------------------------

void TestFaces::pickerOpensFresh()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    PickerRun run = runPicker(nullptr, &target, [&](GetFace *w) {
        const auto [facetext, kind, face, select, close] = PickerParts(w);
        QVERIFY(facetext && kind && face && select && close);

        QCOMPARE(w->windowTitle(), QStringLiteral("顔文字選択"));
        QVERIFY(w->isModal());
        QCOMPARE(w->size(), widgets::twipsSize(9705, 6150));
        QCOMPARE(w->minimumSize(), w->maximumSize());
        const Qt::WindowFlags flags = w->windowFlags();
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w->parentWidget());

        QCOMPARE(facetext->geometry(), widgets::twipsRect(120, 120, 7935, 495));
        QCOMPARE(select->geometry(), widgets::twipsRect(8160, 120, 1455, 495));
        QCOMPARE(kind->geometry(), widgets::twipsRect(120, 720, 3255, 4620));
        QCOMPARE(face->geometry(), widgets::twipsRect(3480, 720, 6135, 4620));
        QCOMPARE(close->geometry(), widgets::twipsRect(120, 5520, 9495, 495));
        QCOMPARE(select->text(), QStringLiteral("決定！！"));
        QCOMPARE(close->text(), QStringLiteral("閉じる"));
        QCOMPARE(facetext->palette().color(QPalette::Base), QColor(255, 255, 192));
        QCOMPARE(select->palette().color(QPalette::Button), QColor(255, 192, 192));
        QCOMPARE(facetext->font().pointSizeF(), 14.25);
        QCOMPARE(kind->font().pointSizeF(), 12.0);
        QCOMPARE(face->font().pointSizeF(), 12.0);
        QCOMPARE(kind->font().families().first(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(facetext->maxLength(), std::numeric_limits<int>::max());
        QVERIFY(!select->autoDefault() && !select->isDefault());
        QVERIFY(!close->autoDefault() && !close->isDefault());
        QCOMPARE(kind->selectionMode(), QAbstractItemView::SingleSelection);
        // The rows are the file's and cannot be edited in place.
        QCOMPARE(kind->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(face->editTriggers(), QAbstractItemView::NoEditTriggers);

        QCOMPARE(listItems(kind), (QStringList{QStringLiteral("笑顔"), QStringLiteral("泣き"),
                                               QStringLiteral("空"), QStringLiteral("絵文字")}));
        QCOMPARE(widgets::selectedRow(kind), -1);
        QCOMPARE(rowCount(face), 0);
        QVERIFY(facetext->text().isEmpty());
        QCOMPARE(w->focusWidget(), facetext);
        QVERIFY(QTest::qWaitForWindowActive(w));
        QCOMPARE(QApplication::focusWidget(), facetext);

        // Tab order: facetext, SelectBtn, kind, face, CloseBtn, and round again.
        const std::array<QWidget *, 5> order{select, kind, face, close, facetext};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // Taking the focus by Tab chose no group.
        QCOMPARE(widgets::selectedRow(kind), -1);
        QCOMPARE(rowCount(face), 0);
        close->click();
    });
    QVERIFY(!run.leftOpen);

    // The next opening reads the file again and starts afresh, also on the same window object.
    writeFaceFile("新\tnew\n");
    GetFace picker(nullptr);
    picker.tgt = &target;
    for (int opening = 0; opening < 2; ++opening) {
        const auto answer = support::onModal<GetFace>([&](GetFace &shown) {
            QCOMPARE(&shown, &picker);
            const auto [facetext, kind, face, select, close] = PickerParts(&picker);
            QCOMPARE(listItems(kind), QStringList{QStringLiteral("新")});
            QCOMPARE(widgets::selectedRow(kind), -1);
            QCOMPARE(rowCount(face), 0);
            QVERIFY(facetext->text().isEmpty());
            clickRow(kind, 0);
            clickRow(face, 0);
            QCOMPARE(facetext->text(), QStringLiteral("new"));
            picker.reject();
        });
        picker.exec();
        QVERIFY(answer->seen && !answer->leftOpen);
    }
    QVERIFY(target.toPlainText().isEmpty());
}

void TestFaces::pickerChoosesGroupsAndEmoticons()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    PickerRun run = runPicker(nullptr, &target, [&](GetFace *w) {
        const auto [facetext, kind, face, select, close] = PickerParts(w);

        // Nothing selected, row 0 current as taking the focus leaves it: the first arrow key
        // selects the first row, not the second.
        for (QListView *list : {kind, face}) {
            list->setFocus(Qt::TabFocusReason);
            list->selectionModel()->setCurrentIndex(list->model()->index(0, 0),
                                                    QItemSelectionModel::NoUpdate);
            QTest::keyClick(list, Qt::Key_Down);
            QCOMPARE(widgets::selectedRow(list), 0);
        }
        QCOMPARE(facetext->text(), QStringLiteral("(^_^)"));
        facetext->clear();

        clickRow(kind, 1);
        QCOMPARE(listItems(face), (QStringList{QStringLiteral("(T_T)"), QStringLiteral("(;_;)")}));
        QCOMPARE(widgets::selectedRow(face), -1);
        QVERIFY(facetext->text().isEmpty());

        clickRow(face, 1);
        QCOMPARE(facetext->text(), QStringLiteral("(;_;)"));
        // Another group keeps the chosen emoticon ready.
        clickRow(kind, 0);
        QCOMPARE(listItems(face), (QStringList{QStringLiteral("(^_^)"), QStringLiteral("(^o^)")}));
        QCOMPARE(facetext->text(), QStringLiteral("(;_;)"));

        // Choosing an emoticon replaces what was typed.
        facetext->clear();
        QTest::keyClicks(facetext, QStringLiteral("typed"));
        QCOMPARE(facetext->text(), QStringLiteral("typed"));
        clickRow(face, 0);
        QCOMPARE(facetext->text(), QStringLiteral("(^_^)"));
        // So does a click on the emoticon already selected.
        QTest::keyClicks(facetext, QStringLiteral("!"));
        clickRow(face, 0);
        QCOMPARE(facetext->text(), QStringLiteral("(^_^)"));

        // The keyboard chooses as the mouse does.
        kind->setFocus();
        QTest::keyClick(kind, Qt::Key_Down);
        QCOMPARE(widgets::selectedRow(kind), 1);
        QCOMPARE(listItems(face), (QStringList{QStringLiteral("(T_T)"), QStringLiteral("(;_;)")}));
        face->setFocus();
        QTest::keyClick(face, Qt::Key_Down);
        QVERIFY(widgets::selectedRow(face) >= 0);
        QCOMPARE(facetext->text(), rowText(face, widgets::selectedRow(face)));

        // An empty emoticon row empties facetext.
        clickRow(kind, 2);
        QCOMPARE(rowCount(face), 1);
        clickRow(face, 0);
        QVERIFY(facetext->text().isEmpty());

        // A double click only chooses; it inserts nothing and closes nothing.
        clickRow(kind, 0);
        QTest::mouseDClick(face->viewport(), Qt::LeftButton, {}, rowCentre(face, 1));
        QCOMPARE(facetext->text(), QStringLiteral("(^o^)"));
        QVERIFY(w->isVisible());
        QVERIFY(target.toPlainText().isEmpty());
        child<QPushButton>(w, "CloseBtn")->click();
    });
    QVERIFY(!run.leftOpen);
    QVERIFY(target.toPlainText().isEmpty());
}

void TestFaces::pickerInsertsOverSelection()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    target.setPlainText(QStringLiteral("Hello world!"));
    select(&target, 6, 5);
    PickerRun run = runPicker(nullptr, &target, [&](GetFace *w) { pick(w, 0, 1, "SelectBtn"); });
    QVERIFY(!run.leftOpen);
    QCOMPARE(run.result, int(QDialog::Accepted));
    QCOMPARE(target.toPlainText(), QStringLiteral("Hello (^o^)!"));
    QCOMPARE(target.textCursor().position(), 11);
    QVERIFY(!target.textCursor().hasSelection());

    // Emoji outside the BMP go in whole, at the caret.
    target.setPlainText(QStringLiteral("ab"));
    select(&target, 1, 0);
    run = runPicker(nullptr, &target, [&](GetFace *w) { pick(w, 3, 0, "SelectBtn"); });
    QVERIFY(!run.leftOpen);
    const QString emoji = QStringLiteral("😀(^o^)🎉");
    QCOMPARE(target.toPlainText(), QStringLiteral("a") + emoji + QStringLiteral("b"));
    QCOMPARE(target.textCursor().position(), 1 + emoji.size());

    // An empty facetext removes the selection; with only a caret nothing changes.
    select(&target, 0, 1);
    run = runPicker(nullptr, &target,
                    [&](GetFace *w) { child<QPushButton>(w, "SelectBtn")->click(); });
    QVERIFY(!run.leftOpen);
    QCOMPARE(target.toPlainText(), emoji + QStringLiteral("b"));
    select(&target, 2, 0);
    run = runPicker(nullptr, &target,
                    [&](GetFace *w) { child<QPushButton>(w, "SelectBtn")->click(); });
    QVERIFY(!run.leftOpen);
    QCOMPARE(target.toPlainText(), emoji + QStringLiteral("b"));
}

void TestFaces::enterAndEscapePressNothing()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    target.setPlainText(QStringLiteral("keep"));
    PickerRun run = runPicker(nullptr, &target, [&](GetFace *w) {
        const auto [facetext, kind, face, select, close] = PickerParts(w);
        clickRow(kind, 0);
        clickRow(face, 0);
        // In the box and the lists Enter and Escape press nothing: there is no default button.
        for (QWidget *place : std::initializer_list<QWidget *>{facetext, kind, face}) {
            place->setFocus();
            QTest::keyClick(place, Qt::Key_Return);
            QTest::keyClick(place, Qt::Key_Enter, Qt::KeypadModifier);
            QTest::keyClick(place, Qt::Key_Escape);
            QVERIFY(w->isVisible());
        }
        QCOMPARE(target.toPlainText(), QStringLiteral("keep"));
        QCOMPARE(facetext->text(), QStringLiteral("(^_^)"));
        QVERIFY(!select->isDefault() && !close->isDefault());
        // Escape on a button presses nothing either; Enter presses the button with the focus.
        facetext->setFocus(Qt::TabFocusReason);
        QTest::keyClick(facetext, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), select);
        QTest::keyClick(select, Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QTest::keyClick(select, Qt::Key_Return);
    });
    QVERIFY(!run.leftOpen);
    QCOMPARE(run.result, int(QDialog::Accepted));
    QCOMPARE(target.toPlainText(), QStringLiteral("(^_^)keep"));

    // The keypad's Enter on 閉じる closes without inserting.
    run = runPicker(nullptr, &target, [&](GetFace *w) {
        const auto [facetext, kind, face, select, close] = PickerParts(w);
        clickRow(kind, 0);
        clickRow(face, 0);
        close->setFocus(Qt::TabFocusReason);
        QTest::keyClick(close, Qt::Key_Enter, Qt::KeypadModifier);
    });
    QVERIFY(!run.leftOpen);
    QCOMPARE(run.result, int(QDialog::Rejected));
    QCOMPARE(target.toPlainText(), QStringLiteral("(^_^)keep"));
}

void TestFaces::closingInsertsNothing()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    target.setPlainText(QStringLiteral("unchanged"));
    select(&target, 0, 2);
    PickerRun run = runPicker(nullptr, &target, [&](GetFace *w) { pick(w, 0, 0, "CloseBtn"); });
    QVERIFY(!run.leftOpen);
    QCOMPARE(target.toPlainText(), QStringLiteral("unchanged"));

    // The close box.
    run = runPicker(nullptr, &target, [&](GetFace *w) {
        clickRow(child<QListView>(w, "kind"), 0);
        clickRow(child<QListView>(w, "face"), 0);
        QVERIFY(w->close());
    });
    QVERIFY(!run.leftOpen);
    QCOMPARE(target.toPlainText(), QStringLiteral("unchanged"));
}

void TestFaces::pickerWorksWithoutFile()
{
    QPlainTextEdit target;
    const auto typeAndInsert = [&](GetFace *w) {
        QCOMPARE(rowCount(child<QListView>(w, "kind")), 0);
        QCOMPARE(rowCount(child<QListView>(w, "face")), 0);
        QTest::keyClicks(child<QLineEdit>(w, "facetext"), QStringLiteral("(-_-)"));
        QTest::mouseClick(child<QPushButton>(w, "SelectBtn"), Qt::LeftButton);
    };
    QVERIFY(!QFile::exists(facePath()));
    QVERIFY(!runPicker(nullptr, &target, typeAndInsert).leftOpen);
    QCOMPARE(target.toPlainText(), QStringLiteral("(-_-)"));

    // A folder named face.txt, and a file of comments only, are no emoticons either.
    QVERIFY(QDir().mkdir(facePath()));
    QVERIFY(!runPicker(nullptr, &target, typeAndInsert).leftOpen);
    QVERIFY(QDir().rmdir(facePath()));
    writeFaceFile("!! only a comment\r\nno tab\r\n");
    QVERIFY(!runPicker(nullptr, &target, typeAndInsert).leftOpen);
    QCOMPARE(target.toPlainText(), QStringLiteral("(-_-)(-_-)(-_-)"));
}

void TestFaces::usersOwnFileWins()
{
    writeFaceFile(SampleFile);
    QPlainTextEdit target;
    QStringList groups;
    const auto groupsShown = [&] {
        runPicker(nullptr, &target,
                  [&](GetFace *w) { groups = listItems(child<QListView>(w, "kind")); });
        return groups;
    };
    QCOMPARE(groupsShown().size(), 4);
    writeFile(userFacePath(), QStringLiteral("自分\t(・∀・)\n").toUtf8());
    QCOMPARE(groupsShown(), QStringList{QStringLiteral("自分")});
    // An empty file of one's own is one's choice.
    writeFile(userFacePath(), QByteArray());
    QCOMPARE(groupsShown(), QStringList());
    // A folder of that name is no file: the shipped one serves.
    QVERIFY(QFile::remove(userFacePath()));
    QVERIFY(QDir().mkdir(userFacePath()));
    QCOMPARE(groupsShown().size(), 4);
}

void TestFaces::pickerCentresOverOpener()
{
    QWidget opener;
    opener.setGeometry(40, 60, 800, 500);
    opener.show();
    QVERIFY(QTest::qWaitForWindowExposed(&opener));
    QPlainTextEdit target;
    QPoint centre;
    QWindow *transientParent = nullptr;
    const auto placed = [&](GetFace *w) {
        centre = w->frameGeometry().center();
        transientParent = w->windowHandle()->transientParent();
    };
    runPicker(&opener, &target, placed);
    QVERIFY((centre - opener.frameGeometry().center()).manhattanLength() <= 2);
    QCOMPARE(transientParent, opener.windowHandle());

    // A hidden opener, or none: the middle of the screen.
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    opener.hide();
    runPicker(&opener, &target, placed);
    QVERIFY((centre - screenCentre).manhattanLength() <= 2);
    QCOMPARE(transientParent, nullptr);
    runPicker(nullptr, &target, [&](GetFace *w) { centre = w->frameGeometry().center(); });
    QVERIFY((centre - screenCentre).manhattanLength() <= 2);
}

void TestFaces::mainWindowOpensPickerOnBody()
{
    writeFaceFile(SampleFile);
    const support::TempStore store;
    const auto shown = support::shownMain(store.path());
    Tesserin &window = *shown;
    auto *body = window.findChild<QPlainTextEdit *>(QStringLiteral("Doc1"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("facebtn"));
    auto *command = window.findChild<QAction *>(QStringLiteral("facedlg"));
    QVERIFY(body && button && command);

    body->setPlainText(QStringLiteral("本文"));
    select(body, 2, 0);
    const auto choose = [body](int group, int row) {
        support::onModal<GetFace>([=](GetFace &w) {
            QVERIFY(w.tgt == body);
            pick(&w, group, row, "SelectBtn");
        });
    };

    // The title box had the focus; the emoticon still goes into the body.
    window.Doc0->setFocus();
    QCOMPARE(QApplication::focusWidget(), window.Doc0);
    choose(0, 1);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(body->toPlainText(), QStringLiteral("本文(^o^)"));
    QTRY_COMPARE(QApplication::focusWidget(), body);
    QCOMPARE(body->textCursor().position(), 7);
    QVERIFY(window.Doc0->text().isEmpty());

    // The menu command does the same.
    window.Info[0]->setFocus();
    choose(1, 0);
    command->trigger();
    QCOMPARE(body->toPlainText(), QStringLiteral("本文(^o^)(T_T)"));
    QTRY_COMPARE(QApplication::focusWidget(), body);

    // Closing without a choice leaves the body as it was.
    support::onModal<GetFace>([](GetFace &w) { pick(&w, 0, 0, "CloseBtn"); });
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(body->toPlainText(), QStringLiteral("本文(^o^)(T_T)"));
    QTRY_COMPARE(QApplication::focusWidget(), body);
}

QTEST_MAIN(TestFaces)
#include "test_faces.moc"
