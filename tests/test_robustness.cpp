// SPDX-License-Identifier: MIT
// Hostile input: seeded random emoticon files checked against a small model of the file format,
// and settings files written by hand with odd contents, read by the store and the main window.
#include "LinearFaceReader.h"
#include "Support.h"

#include "faces/FaceTable.h"
#include "notebook/Tesserin.h"
#include "notebook/store/NotebookStore.h"
#include "platform/TextDecoding.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ShortTextBox.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSet>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <random>

namespace {

// ---- the emoticon file ------------------------------------------------------------------------

// The file format, modelled apart from the reader: CR LF, a lone CR and a lone LF each end a
// line; a file with a byte-order mark or valid UTF-8 throughout is decoded whole, any other file
// line by line (UTF-8 where the line is valid UTF-8 with some sign beyond half-width katakana
// look-alikes, else code page 932); a U+FEFF opening a line goes; "!!" at the very start marks a
// comment; after trimming U+0020 at both ends the group name is the text before the first TAB,
// and a line without a TAB counts for nothing.
struct ModelGroup
{
    QString name;
    qsizetype faces = 0;
};

template <typename Text> QList<Text> splitLines(const Text &text)
{
    QList<Text> lines;
    Text current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto c = text.at(i);
        if (c == '\r' || c == '\n') {
            lines.append(current);
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text.at(i + 1) == '\n')
                ++i;
        } else {
            current.append(c);
        }
    }
    if (!current.isEmpty())
        lines.append(current);
    return lines;
}

QString modelLine(const QByteArray &line)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(line);
    // Half-width katakana pairs of code page 932 give U+0080..U+07FF with a low part of 21..3F.
    const bool lookalikesOnly = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x80 || (c.unicode() < 0x800 && (c.unicode() & 0x3F) >= 0x21);
    });
    const bool nonAscii =
        std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x80; });
    if (!utf8.hasError() && !(nonAscii && lookalikesOnly))
        return text;
    // The same seam as the program: the model is about lines and fields, not about code pages.
    return platform::decodeCodePage932(line);
}

QStringList modelLines(const QByteArray &bytes)
{
    if (const auto whole = platform::decodeWholeText(bytes))
        return splitLines(*whole);
    QStringList lines;
    for (const QByteArray &line : splitLines(bytes))
        lines.append(modelLine(line));
    return lines;
}

QList<ModelGroup> modelGroups(const QByteArray &bytes)
{
    QStringList lines = modelLines(bytes);
    for (QString &line : lines) {
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
    }

    QList<ModelGroup> groups;
    QHash<QString, qsizetype> index;
    for (const QString &line : std::as_const(lines)) {
        if (line.startsWith(QLatin1String("!!")))
            continue;
        qsizetype begin = 0;
        qsizetype end = line.size();
        while (begin < end && line.at(begin) == QLatin1Char(' '))
            ++begin;
        while (end > begin && line.at(end - 1) == QLatin1Char(' '))
            --end;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'), begin);
        if (tab < 0 || tab >= end)
            continue;
        const QString name = line.mid(begin, tab - begin);
        const auto found = index.constFind(name);
        if (found != index.constEnd()) {
            ++groups[*found].faces;
        } else if (groups.size() < FaceTable::MaxGroups) {
            index.insert(name, groups.size());
            groups.append({name, 1});
        }
    }
    return groups;
}

// Every group holds an emoticon, no name comes twice, and the groups are those of the model in
// the order of their first appearance, each with the model's number of emoticons.
void checkTable(const FaceTable &table, const QByteArray &bytes, const QString &what)
{
    const QList<FaceGroup> &groups = table.FaceGroups();
    QCOMPARE(table.GroupCount(), int(groups.size()));
    QVERIFY2(table.GroupCount() <= FaceTable::MaxGroups, qPrintable(what));
    QSet<QString> seen;
    for (const FaceGroup &group : groups) {
        QVERIFY2(!group.Faces.isEmpty(), qPrintable(what + QStringLiteral(": an empty group")));
        QVERIFY2(!seen.contains(group.GroupName),
                 qPrintable(what + QStringLiteral(": a group twice: ") + group.GroupName));
        seen.insert(group.GroupName);
    }
    const QList<ModelGroup> model = modelGroups(bytes);
    QVERIFY2(
        model.size() == groups.size(),
        qPrintable(
            what +
            QStringLiteral(": %1 groups, the model has %2").arg(groups.size()).arg(model.size())));
    for (qsizetype i = 0; i < model.size(); ++i) {
        QVERIFY2(groups.at(i).GroupName == model.at(i).name,
                 qPrintable(what + QStringLiteral(": group %1 out of order").arg(i)));
        QVERIFY2(groups.at(i).Faces.size() == model.at(i).faces,
                 qPrintable(what + QStringLiteral(": group %1 has %2 emoticons, the model %3")
                                       .arg(i)
                                       .arg(groups.at(i).Faces.size())
                                       .arg(model.at(i).faces)));
    }
}

// Pieces that hostile files are made of: line ends of every kind, TABs, spaces, comment
// markers, NUL, valid and broken Shift-JIS and UTF-8, byte-order marks in the wrong place.
const QList<QByteArray> &pieces()
{
    static const QList<QByteArray> all{
        QByteArray("\r\n"),
        QByteArray("\r"),
        QByteArray("\n"),
        QByteArray("\t"),
        QByteArray("\t"),
        QByteArray(" "),
        QByteArray("  "),
        QByteArray("!!"),
        QByteArray("!"),
        QByteArray("\0", 1),
        QByteArray("A"),
        QByteArray("B"),
        QByteArray("(^o^)"),
        QByteArray("\x8f\xce\x82\xa2"),         // 笑い in Shift-JIS
        QByteArray("\xb7\xc0"),                 // half-width katakana in Shift-JIS
        QByteArray("\x81"),                     // a Shift-JIS lead byte alone
        QByteArray("\x81\x7f"),                 // a lead byte with an invalid trail byte
        QByteArray("\xfd\xfe\xff"),             // never valid in Shift-JIS
        QByteArray("\x85\x40"),                 // an unassigned pair
        QByteArray("\xa0"),                     // U+001A in ICU, U+F8F0 on Windows
        QByteArray("\xf0\x40"),                 // the first user-defined character
        QByteArray("\xe7\xac\x91\xe3\x81\x84"), // 笑い in UTF-8
        QByteArray("\xf0\x9f\x98\x80"),         // outside the BMP in UTF-8
        QByteArray("\xc0\x80"),                 // overlong UTF-8
        QByteArray("\xe3\x81"),                 // truncated UTF-8
        QByteArray("\x80"),                     // a lone continuation byte
        QByteArray("\xed\xa0\x80"),             // a UTF-8 encoded surrogate
        QByteArray("\xef\xbb\xbf"),
        QByteArray("\xff\xfe"),
        QByteArray("\xfe\xff"),
        QByteArray("\xe3\x80\x80"), // the ideographic space in UTF-8
    };
    return all;
}

QByteArray randomBytes(std::mt19937_64 &rng, int maxLength)
{
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray bytes(length(rng), '\0');
    for (char &b : bytes)
        b = char(byte(rng));
    return bytes;
}

QByteArray randomPieces(std::mt19937_64 &rng, int maxPieces)
{
    std::uniform_int_distribution<int> count(0, maxPieces);
    std::uniform_int_distribution<qsizetype> pick(0, pieces().size() - 1);
    QByteArray bytes;
    for (int n = count(rng); n > 0; --n)
        bytes += pieces().at(pick(rng));
    return bytes;
}

// ---- the settings file --------------------------------------------------------------------

// A store written byte for byte, as a hand edit or a broken disk leaves it.
class IniFile : public support::TempStore
{
public:
    explicit IniFile(const QByteArray &bytes) { support::writeFile(path(), bytes); }
    NotebookTexts read() const
    {
        QSettings s(path(), QSettings::IniFormat);
        return store::read(s);
    }
};

} // namespace

class TestRobustness : public QObject
{
    Q_OBJECT
private slots:
    void modelAgreesOnTheFormatsOwnExample();
    void randomFilesKeepTheTableInvariants();
    void randomBytesKeepTheTableInvariants();
    void utf16WithOddLengthReads();
    void twentyMegabyteSingleLineReads();
    void hostileFilesReadTheSameFromDisk();

    void unknownKeysAndSectionsAreIgnored();
    void shortTextsEndAtTheFirstGap();
    void missingSectionsReadAsEmpty();
    void corruptLinesSpoilOnlyThemselves();
    void unquotedCommaReadsAsEmptyAndQuotedCommaExactly();
    void semicolonStartsACommentUnlessQuoted();
    void onlyTheExactLockValueLocks();
    void randomSettingsFilesNeverCrash();
    void mainWindowLoadsOddFileAndWritesItBackReadable();
};

void TestRobustness::modelAgreesOnTheFormatsOwnExample()
{
    // !!comment, A⇥x, A⇥y⇥note, B⇥z, A⇥x: the group A with x, y, x, then B with z.
    const QByteArray bytes("!!comment\r\nA\tx\r\nA\ty\tnote\r\nB\tz\r\nA\tx\r\n");
    const FaceTable table = FaceTable::fromBytes(bytes);
    QCOMPARE(table.groupNames(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    QCOMPARE(table.FaceGroups().at(0).Faces,
             QStringList({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("x")}));
    checkTable(table, bytes, QStringLiteral("example"));
}

void TestRobustness::randomFilesKeepTheTableInvariants()
{
    std::mt19937_64 rng(20240605);
    for (int n = 0; n < 6000; ++n) {
        const QByteArray bytes = randomPieces(rng, 400);
        const QString what = QStringLiteral("pieces file %1").arg(n);
        const FaceTable table = FaceTable::fromBytes(bytes);
        checkTable(table, bytes, what);
        if (QTest::currentTestFailed())
            return;
        // The baseline lookup gives the same table.
        if (n % 10 == 0)
            QVERIFY2(readFacesLinearly(bytes) == table.FaceGroups(), qPrintable(what));
    }
}

void TestRobustness::randomBytesKeepTheTableInvariants()
{
    std::mt19937_64 rng(7);
    for (int n = 0; n < 4000; ++n) {
        QByteArray bytes = randomBytes(rng, 2000);
        // A fifth of them behind a byte-order mark, so the UTF-16 and UTF-8 paths get noise too.
        if (n % 5 == 1)
            bytes.prepend("\xff\xfe");
        else if (n % 5 == 2)
            bytes.prepend("\xfe\xff");
        else if (n % 5 == 3)
            bytes.prepend("\xef\xbb\xbf");
        checkTable(FaceTable::fromBytes(bytes), bytes, QStringLiteral("random file %1").arg(n));
        if (QTest::currentTestFailed())
            return;
    }
}

void TestRobustness::utf16WithOddLengthReads()
{
    // "G<TAB>F<CR><LF>H<TAB>" in UTF-16 LE, then half a code unit.
    QByteArray le("\xff\xfeG\0\t\0F\0\r\0\n\0H\0\t\0", 16);
    le += 'X';
    const FaceTable table = FaceTable::fromBytes(le);
    checkTable(table, le, QStringLiteral("odd UTF-16 LE"));
    QCOMPARE(table.groupNames().first(), QStringLiteral("G"));

    QByteArray be("\xfe\xff\0G\0\t\0F", 8);
    be += '\0';
    checkTable(FaceTable::fromBytes(be), be, QStringLiteral("odd UTF-16 BE"));
    QCOMPARE(FaceTable::fromBytes(be).groupNames(), QStringList{QStringLiteral("G")});

    const QByteArray markOnlyAndAByte("\xff\xfe\x41", 3);
    QCOMPARE(FaceTable::fromBytes(markOnlyAndAByte).GroupCount(), 0);
}

void TestRobustness::twentyMegabyteSingleLineReads()
{
    constexpr qsizetype Size = 20 * 1024 * 1024;
    // One group, one emoticon of 20 MB; no line end anywhere.
    QByteArray line("big\t");
    line += QByteArray(Size, 'x');
    FaceTable table = FaceTable::fromBytes(line);
    QCOMPARE(table.GroupCount(), 1);
    QCOMPARE(table.FaceGroups().at(0).Faces.at(0).size(), Size);

    // 20 MB of Shift-JIS double-byte characters, in a group name that has no TAB: nothing.
    QByteArray sjis;
    sjis.reserve(Size);
    while (sjis.size() < Size)
        sjis += "\x8f\xce\x82\xa2";
    table = FaceTable::fromBytes(sjis);
    QCOMPARE(table.GroupCount(), 0);

    // 20 MB of random bytes without CR or LF, a TAB near the end.
    std::mt19937_64 rng(99);
    QByteArray noise = randomBytes(rng, 0);
    noise.resize(Size);
    std::uniform_int_distribution<int> byte(0, 255);
    for (char &b : noise) {
        b = char(byte(rng));
        if (b == '\r' || b == '\n')
            b = 'n';
    }
    noise[Size - 3] = '\t';
    checkTable(FaceTable::fromBytes(noise), noise, QStringLiteral("20 MB of noise"));
}

void TestRobustness::hostileFilesReadTheSameFromDisk()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("face.txt"));
    std::mt19937_64 rng(31337);
    for (int n = 0; n < 200; ++n) {
        const QByteArray bytes = n % 2 ? randomPieces(rng, 200) : randomBytes(rng, 1000);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
        file.close();
        QVERIFY(FaceTable::fromFile(path) == FaceTable::fromBytes(bytes));
    }
    // A folder where the file should be, and no file at all, give an empty table.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QCOMPARE(FaceTable::fromFile(dir.filePath(QStringLiteral("folder"))).GroupCount(), 0);
    QCOMPARE(FaceTable::fromFile(dir.filePath(QStringLiteral("missing.txt"))).GroupCount(), 0);
}

void TestRobustness::unknownKeysAndSectionsAreIgnored()
{
    const IniFile ini("[General]\nstray=1\n"
                      "[Data]\nstr1=body\nTitle9=never read\nfoo=bar\ninfo0=handle\n"
                      "[Elsewhere]\nstr2=not this section\n"
                      "[Setting]\nLock=lock\nColour=teal\n");
    const NotebookTexts texts = ini.read();
    QCOMPARE(texts.SlotBody[0], QStringLiteral("body"));
    QCOMPARE(texts.SlotBody[1], QString());
    QCOMPARE(texts.Info[0], QStringLiteral("handle"));
    QVERIFY(texts.locked);
    QVERIFY(texts.shortTexts.isEmpty());
}

void TestRobustness::shortTextsEndAtTheFirstGap()
{
    const IniFile ini("[Data]\ntanbun0=one\ntanbun1=two\ntanbun3=after the gap\n");
    QCOMPARE(ini.read().shortTexts, QStringList({QStringLiteral("one"), QStringLiteral("two")}));

    const IniFile emptyValue("[Data]\ntanbun0=one\ntanbun1=\ntanbun2=three\n");
    QCOMPARE(emptyValue.read().shortTexts, QStringList{QStringLiteral("one")});

    const IniFile noFirst("[Data]\ntanbun1=one\n");
    QVERIFY(noFirst.read().shortTexts.isEmpty());
}

void TestRobustness::missingSectionsReadAsEmpty()
{
    const IniFile noData("[Setting]\nLock=lock\n");
    NotebookTexts texts = noData.read();
    QVERIFY(texts.locked);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(texts.SlotBody[i].isEmpty());
        QVERIFY(texts.SlotTitle[i].isEmpty());
        QVERIFY(texts.Info[i].isEmpty());
    }
    const IniFile noSetting("[Data]\nTitle2=two\n");
    texts = noSetting.read();
    QVERIFY(!texts.locked);
    QCOMPARE(texts.SlotTitle[1], QStringLiteral("two"));

    const IniFile empty("");
    QVERIFY(empty.read().shortTexts.isEmpty());
}

void TestRobustness::corruptLinesSpoilOnlyThemselves()
{
    // Lines without "=", a value without a key and binary garbage are skipped; their
    // neighbours read as written.
    NotebookTexts texts = IniFile("[Data]\nthis line has no equals sign\nstr1=first\n"
                                  "=a value without a key\n\x01\x02\xff\xfe garbage\n"
                                  "info1=mail\n")
                              .read();
    QCOMPARE(texts.SlotBody[0], QStringLiteral("first"));
    QCOMPARE(texts.Info[1], QStringLiteral("mail"));

    // A section header without its "]" still opens a section of that name: what follows it
    // belongs there until the next good header.
    texts = IniFile("[Data]\nstr1=first\n[Broken section\ninfo1=lost\n[Data]\ninfo2=url\n").read();
    QCOMPARE(texts.SlotBody[0], QStringLiteral("first"));
    QCOMPARE(texts.Info[1], QString());
    QCOMPARE(texts.Info[2], QStringLiteral("url"));

    // An unterminated quote takes in the rest of the file, line ends and all; what came before
    // it stays.
    texts = IniFile("[Data]\nstr1=first\nTitle1=\"unterminated\ninfo1=mail\n").read();
    QCOMPARE(texts.SlotBody[0], QStringLiteral("first"));
    QCOMPARE(texts.SlotTitle[0], QStringLiteral("unterminated\ninfo1=mail\n"));
    QCOMPARE(texts.Info[1], QString());

    // A NUL byte is one more character of its value.
    texts = IniFile(QByteArray("[Data]\nstr1=fi\0rst\ninfo1=mail\n", 29)).read();
    QCOMPARE(texts.SlotBody[0], QString::fromUtf16(u"fi\u0000rst", 6));
    QCOMPARE(texts.Info[1], QStringLiteral("mail"));
}

void TestRobustness::unquotedCommaReadsAsEmptyAndQuotedCommaExactly()
{
    // An INI value with a comma is a list; its text is empty. Quoting keeps it one text.
    const IniFile ini("[Data]\ninfo0=Taro, Jiro\ninfo1=\"Taro, Jiro\"\ntanbun0=a,b\n");
    const NotebookTexts texts = ini.read();
    QCOMPARE(texts.Info[0], QString());
    QCOMPARE(texts.Info[1], QStringLiteral("Taro, Jiro"));
    // The unquoted list reads as an empty short text, which ends the list.
    QVERIFY(texts.shortTexts.isEmpty());
}

void TestRobustness::semicolonStartsACommentUnlessQuoted()
{
    const IniFile ini("; a comment line\n[Data]\nTitle1=before ; after\n"
                      "Title2=\"before ; after\"\n;str1=commented out\n");
    const NotebookTexts texts = ini.read();
    QCOMPARE(texts.SlotTitle[0], QStringLiteral("before"));
    QCOMPARE(texts.SlotTitle[1], QStringLiteral("before ; after"));
    QCOMPARE(texts.SlotBody[0], QString());
}

void TestRobustness::onlyTheExactLockValueLocks()
{
    QVERIFY(!IniFile("[Setting]\nLock=LOCK\n").read().locked);
    QVERIFY(!IniFile("[Setting]\nLock=locked\n").read().locked);
    QVERIFY(!IniFile("[Setting]\nLock=lock, unlock\n").read().locked);
    QVERIFY(IniFile("[Setting]\nLock=\"lock\"\n").read().locked);
}

void TestRobustness::randomSettingsFilesNeverCrash()
{
    static const QList<QByteArray> parts{
        "[Data]\n", "[Setting]\n",  "[",         "]",
        "\n",       "\r\n",         "=",         ",",
        ";",        "\"",           "\\",        " ",
        "str1=",    "Title2=",      "info0=",    "tanbun0=",
        "tanbun1=", "tanbun2=",     "Lock=",     "lock",
        "x",        "@String(",     "@Variant(", ")",
        "\\x3042",  "\xe3\x81\x82", "\xff",      QByteArray("\0", 1)};
    std::mt19937_64 rng(4242);
    std::uniform_int_distribution<qsizetype> pick(0, parts.size() - 1);
    std::uniform_int_distribution<int> count(0, 120);
    for (int n = 0; n < 1500; ++n) {
        QByteArray bytes;
        for (int k = count(rng); k > 0; --k)
            bytes += parts.at(pick(rng));
        const NotebookTexts texts = IniFile(bytes).read();
        QVERIFY(texts.shortTexts.size() <= store::MaxShortTexts);
        for (const QString &item : texts.shortTexts)
            QVERIFY2(!item.isEmpty(), "a short text read as empty");
    }
}

void TestRobustness::mainWindowLoadsOddFileAndWritesItBackReadable()
{
    const IniFile ini("[Data]\n"
                      "str1=body line\\r\\nsecond\n"
                      "Title1=title ; comment\n"
                      "info0=Taro, Jiro\n"
                      "info2=\"https://example.org/?a=1,b=2\"\n"
                      "tanbun0=one\ntanbun1=two\ntanbun5=lost\n"
                      "garbage without equals\n"
                      "[Setting]\nLock=unlock\nextra=1\n");
    {
        Tesserin w(ini.factory());
        QCOMPARE(widgets::bodyText(w.Doc1), QStringLiteral("body line\r\nsecond"));
        QCOMPARE(w.Doc0->text(), QStringLiteral("title"));
        QCOMPARE(w.Info[0]->text(), QString());
        QCOMPARE(w.Info[2]->text(), QStringLiteral("https://example.org/?a=1,b=2"));
        QCOMPARE(widgets::shortTexts(w.FaceIcon),
                 QStringList({QStringLiteral("one"), QStringLiteral("two")}));
        QVERIFY(!w.LockText->isChecked());

        // What the user types with commas and semicolons goes back quoted by the store itself.
        w.Info[0]->setText(QStringLiteral("Taro, Jiro"));
        w.Doc0->setText(QStringLiteral("title ; with a semicolon"));
        QVERIFY(w.close());
    }
    const NotebookTexts texts = ini.read();
    QCOMPARE(texts.Info[0], QStringLiteral("Taro, Jiro"));
    QCOMPARE(texts.SlotTitle[0], QStringLiteral("title ; with a semicolon"));
    QCOMPARE(texts.SlotBody[0], QStringLiteral("body line\r\nsecond\r\n"));
    QCOMPARE(texts.shortTexts, QStringList({QStringLiteral("one"), QStringLiteral("two")}));
}

QTEST_MAIN(TestRobustness)
#include "test_robustness.moc"
