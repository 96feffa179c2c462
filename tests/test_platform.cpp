// SPDX-License-Identifier: MIT
// The seams to the outside world: the per-user store, the one-pass INI writer, the end of the
// session, the instance lock, the shell's opener and the program's folders.

#include "Support.h"

#include "notebook/FinishText.h"
#include "notebook/store/NotebookStore.h"
#include "platform/DesktopOpen.h"
#include "platform/InstanceLock.h"
#include "platform/InstanceLockSet.h"
#include "platform/MessageBox.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemEnd.h"
#include "platform/ini/IniReader.h"
#include "platform/ini/IniWriter.h"
#include "platform/widgets/BodyText.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <csignal>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

using Outcome = platform::InstanceLock::Outcome;
using SetOutcome = platform::InstanceLockSet::Outcome;
using support::modeOf;
using support::writeFile;

namespace {
// Descriptors the test program was started with and would hand on itself; not the program's.
QSet<int> inheritedDescriptors()
{
    QSet<int> fds;
#ifdef Q_OS_UNIX
    for (const QString &name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files))
        if (const int fd = name.toInt(); fd > 2 && (::fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0)
            fds.insert(fd);
#endif
    return fds;
}
} // namespace

class TestPlatform : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void iniReaderReadsAsQt_data();
    void iniReaderReadsAsQt();
    void onePassIniWriterReadsBackThroughQt();
    void iniWriterKeepsOtherKeys_data();
    void iniWriterKeepsOtherKeys();
    void realConstructorUsesPerUserStore();
    void systemEndSavesDrafts();
    void instanceLockAdmitsOneAndSurvivesCrash();
    void instanceLockBelongsToTheUser();
    void instanceLockSetFindsAnyCopy_data();
    void instanceLockSetFindsAnyCopy();
    void childrenInheritNothing();
    void programFoldersFollowXdg();
    void registryStoreKeepsTextsOnWindows();
    void instanceLockIsPerUserOnWindows();
    void programFoldersOnWindows();

private:
    support::TempStore m_store;
    QSet<int> m_inherited;
};

void TestPlatform::initTestCase()
{
    m_inherited = inheritedDescriptors();
}

void TestPlatform::cleanup()
{
    platform::setDesktopOpenRecorder({});
}

void TestPlatform::iniReaderReadsAsQt_data()
{
    // `declined`: a value the reader leaves to QSettings (a list, a typed value).
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("declined");
    const auto row = [](const char *name, const QByteArray &file, const char *key,
                        bool declined = false) {
        QTest::newRow(name) << file << QString::fromUtf8(key) << declined;
    };
    row("own escapes", "[Data]\nstr1=a\\r\\n\\t\\\"q\\\"\\\\\\x1\\x66\\xfeff\n", "Data/str1");
    row("quoted, spaces kept", "[Data]\nk=\" a;b,c \"  \n", "Data/k");
    row("spaces trimmed", "[Data]\nk =  a b \t \n", "Data/k");
    row("escaped space kept", "[Data]\nk=a\\t  \n", "Data/k");
    row("comment after value", "[Data]\nk=a ; note\n", "Data/k");
    row("comment lines", "; head\n[Data]\n  ;x=1\nk=v\n", "Data/k");
    row("CR LF", "[Data]\r\nk=v\r\nj=w\r\n", "Data/j");
    row("lone CR", "[Data]\rk=v\rj=w", "Data/j");
    row("continued", "[Data]\nk=one\\\r\n two\n", "Data/k");
    row("quoted line end", "[Data]\nk=\"one\ntwo\"\n", "Data/k");
    row("repeat: last wins", "[Data]\nk=1\n[Other]\nk=x\n[Data]\nk=2\n", "Data/k");
    row("BOM", "\xef\xbb\xbf[Data]\nk=v\n", "Data/k");
    row("BOM before a key", "\xef\xbb\xbfk=v\n", "k");
    row("raw BOM in a value", "[Data]\nk=\xef\xbb\xbfv\xef\xbb\xbf\n", "Data/k");
    row("General", "x=0\n[general]\nk=v\n", "k");
    row("%General", "[%General]\nk=v\n", "General/k");
    row("escaped names", "[a%20b]\n%U65E5%2F%41=v\n", "a b/日/A");
    row("raw UTF-8 name", "[D]\n\xe6\x97\xa5=\xe6\x97\xa5\n", "D/日");
    row("octal, big hex", "[D]\nk=\\101\\x1f600\\0\n", "D/k");
    row("split UTF-8", "[D]\nk=\xe3\x81\\n\x82\n", "D/k");
    row("invalid UTF-8", "[D]\nk=\xff\xe3\x81\n", "D/k");
    row("@@", "[D]\nk=@@x\n", "D/k");
    row("@ but no type", "[D]\nk=@x\n", "D/k");
    row("@ and parentheses", "[D]\nk=@x()\n", "D/k", true);
    row("list", "[D]\nk=a, b\n", "D/k", true);
    row("typed", "[D]\nk=@ByteArray(x)\n", "D/k", true);
    row("quoted list item", "[D]\nk=\"a\", b\n", "D/k", true);
    for (const char *value : {"plain", " spaced ", "a,b;c=d", "\\", "@at", "\"", "\ufeffx"}) {
        // As QSettings writes them.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("qt.ini"));
        QSettings(path, QSettings::IniFormat).setValue(QStringLiteral("Data/k"), value);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        row(qPrintable(QStringLiteral("by Qt: ") + QString::fromUtf8(value)), file.readAll(),
            "Data/k");
    }
}

void TestPlatform::iniReaderReadsAsQt()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(bool, declined);
    const QString path = m_store.file(QStringLiteral("read.ini"));
    writeFile(path, file);
    const QSettings qt(path, QSettings::IniFormat);
    QVERIFY2(qt.contains(key), "the row itself is wrong");
    QByteArrayView value;
    bool found = false;
    QVERIFY(platform::scanIni(file, [&](const platform::IniEntry &entry) {
        if (entry.key == key) {
            value = entry.value;
            found = true;
        }
    }));
    QVERIFY(found);
    const std::optional<QString> read = platform::iniUnescapedString(value);
    QCOMPARE(!read, declined);
    if (read)
        QCOMPARE(*read, qt.value(key).toString());
}

void TestPlatform::onePassIniWriterReadsBackThroughQt()
{
    // Whatever the one-pass writer puts in the file, QSettings must read back exactly. U+FEFF
    // and the control characters take hex escapes, so hex digits and spaces around them matter.
    const QList<QChar> alphabet{
        u'a',  u'Z',  u'0',      u'9',      u' ',    u';',      u',',      u'=',      u'"',
        u'\\', u'@',  u'#',      u'[',      u']',    u'%',      u'/',      u'\t',     u'\r',
        u'\n', u'\'', u'x',      u'日',     u'ｱ',    u'\u3000', u'\u00a0', u'\u2028', u'\u007f',
        u'é',  u'F',  u'\ufeff', u'\ufeff', u'\x01', u'\x1f',   u'\0',     u'\xd800', u'\xdc00'};
    const auto readBack = [](QString v) {
        // UTF-8 cannot carry a lone surrogate: it comes back as U+FFFD.
        for (qsizetype i = 0; i < v.size(); ++i) {
            if (v[i].isHighSurrogate() && i + 1 < v.size() && v[i + 1].isLowSurrogate())
                ++i;
            else if (v[i].isSurrogate())
                v[i] = QChar::ReplacementCharacter;
        }
        return v;
    };
    QRandomGenerator rng(20261208);
    for (int round = 0; round < 60; ++round) {
        const QString path = m_store.file(QStringLiteral("onepass-%1.ini").arg(round));
        {
            // Keys the program does not write, a stale tail of the short-text list, and values
            // only Qt spells (a list, an unusual key name).
            QSettings before(path, QSettings::IniFormat);
            before.setValue(QStringLiteral("Data/tanbun900"), QStringLiteral("stale, old"));
            before.setValue(QStringLiteral("Other/note"), QStringLiteral(" hand written "));
            before.setValue(QStringLiteral("toplevel"), QStringLiteral("@x"));
            before.setValue(QStringLiteral("Data/list"), QStringList{"a", "b"});
            before.setValue(QStringLiteral("Data/odd key"), QStringLiteral("\ufeffodd"));
        }
        QList<std::pair<QString, QString>> values;
        for (int k = 0; k < 40; ++k) {
            QString v;
            const int len = int(rng.bounded(12));
            for (int i = 0; i < len; ++i)
                v += alphabet[int(rng.bounded(alphabet.size()))];
            if (rng.bounded(8) == 0)
                v += QStringLiteral("😀");
            values.append({QStringLiteral("Data/k%1").arg(k), v});
        }
        values.append({QStringLiteral("Setting/Lock"), QStringLiteral("lock")});
        QVERIFY(platform::writeIniStrings(path, values).written());
        QSettings after(path, QSettings::IniFormat);
        for (const auto &[key, value] : values)
            QCOMPARE(after.value(key).toString(), readBack(value));
        QCOMPARE(after.value(QStringLiteral("Data/tanbun900")).toString(),
                 QStringLiteral("stale, old"));
        QCOMPARE(after.value(QStringLiteral("Other/note")).toString(),
                 QStringLiteral(" hand written "));
        QCOMPARE(after.value(QStringLiteral("toplevel")).toString(), QStringLiteral("@x"));
        QCOMPARE(after.value(QStringLiteral("Data/list")).toStringList(), QStringList({"a", "b"}));
        QCOMPARE(after.allKeys().size(), values.size() + 5);
    }
}

void TestPlatform::iniWriterKeepsOtherKeys_data()
{
    // `copied`: the keys the program does not own keep their lines byte for byte (a comment
    // after a value goes).
    QTest::addColumn<QByteArray>("old");
    QTest::addColumn<bool>("copied");
    QTest::newRow("plain, repeated section") << QByteArray("[Data]\nstr1=old\nx=a\\\\b, \"q;\"\n"
                                                           "[Other]\nnote=\" hand \"\nl=a, b\n"
                                                           "[Data]\nstr2=old\n")
                                             << true;
    QTest::newRow("missing file") << QByteArray() << true;
    QTest::newRow(";") << QByteArray("[Data]\n; note\nstr1=old\nx=1\n") << true;
    QTest::newRow("#") << QByteArray("[Data]\n#x=1\nstr1=old\n") << true;
    QTest::newRow("continued") << QByteArray("[Data]\nx=one\\\n two\nstr1=old\n") << true;
    QTest::newRow("escaped CR at the end") << QByteArray("[Data]\nx=one\\\r\rstr1=old\n") << false;
    QTest::newRow("open quote") << QByteArray("[Data]\nx=\"one\nstr1=old\"\nstr2=old\n") << false;
    QTest::newRow("open quote at the end") << QByteArray("[Data]\nstr1=old\nx=\"one") << false;
    QTest::newRow("lone CR") << QByteArray("[Data]\nx=1\rstr1=old\n") << false;
    QTest::newRow("duplicate") << QByteArray("[Data]\nx=1\nx=2\nstr1=old\n") << true;
    QTest::newRow("General") << QByteArray("top=1\n[General]\ng=2\n[Data]\nstr1=old\n") << true;
    QTest::newRow("program's key in General")
        << QByteArray("[General]\nData\\str1=old\ng=2\n") << true;
    QTest::newRow("section under Data")
        << QByteArray("[Data%2Fsub]\nx=1\n[Data]\nstr1=old\n") << false;
    QTest::newRow("odd escape in a name") << QByteArray("[Data]\n%+1=x\n") << false;
}

void TestPlatform::iniWriterKeepsOtherKeys()
{
    QFETCH(QByteArray, old);
    QFETCH(bool, copied);
    const QString path = m_store.file(QStringLiteral("keep-%1.ini").arg(QTest::currentDataTag()));
    if (!old.isNull())
        writeFile(path, old);
    const QList<std::pair<QString, QString>> ours{{QStringLiteral("Data/str1"), "new \"1\""},
                                                  {QStringLiteral("Data/str2"), "new;2"}};
    QVariantMap others;
    {
        QSettings settings(path, QSettings::IniFormat);
        for (const QString &key : settings.allKeys())
            others.insert(key, settings.value(key));
        for (const auto &[key, value] : ours)
            others.remove(key);
        QVERIFY(platform::writeIniStrings(path, ours).written());
    }
    QSettings after(path, QSettings::IniFormat);
    QVariantMap expected = others;
    for (const auto &[key, value] : ours)
        expected.insert(key, value);
    QVariantMap read;
    for (const QString &key : after.allKeys())
        read.insert(key, after.value(key));
    QCOMPARE(read, expected);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    // Each of the program's keys once, and found where QSettings looks for it.
    int count = 0;
    QVERIFY(platform::scanIni(written, [&](const platform::IniEntry &entry) {
        count += entry.key.startsWith(QLatin1String("Data/str"));
    }));
    QCOMPARE(count, 2);
    const QString fresh = m_store.file(QStringLiteral("fresh.ini"));
    writeFile(fresh, written);
    QSettings lookedUp(fresh, QSettings::IniFormat);
    for (const auto &[key, value] : ours)
        QCOMPARE(lookedUp.value(key).toString(), value);
    const QList<QByteArray> lines = QByteArray(written).split('\n');
    if (copied) {
        for (const QByteArray &line : old.split('\n'))
            if (!line.isEmpty() && !line.startsWith('[') && !line.startsWith(';') &&
                !line.contains("str1=") && !line.contains("str2="))
                QVERIFY2(lines.contains(line), line.constData());
    }
}

void TestPlatform::realConstructorUsesPerUserStore()
{
#ifndef Q_OS_UNIX
    QSKIP("the real store on Windows is the user's own registry key, which a test leaves alone; "
          "registryStoreKeepsTextsOnWindows writes a key of its own");
#else
    QTemporaryDir config;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // The file found without QSettings is the one QSettings uses.
    QCOMPARE(platform::openUserStore().iniPath,
             QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tesserin"),
                       QStringLiteral("Tesserin"))
                 .fileName());
    {
        Tesserin w;
        QVERIFY(w.Info[0]->text().isEmpty());
        QCOMPARE(w.FaceIcon->count(), 0);
        QVERIFY(!w.LockText->isChecked());
        QCOMPARE(w.currentSlot(), short(0));
        QVERIFY(w.DocSelect[0]->isChecked());
        w.Info[0]->setText(QStringLiteral("名無しさん"));
        w.Doc0->setText(QStringLiteral("Re: テスト"));
        widgets::setBodyText(w.Doc1, QStringLiteral("本文です"));
        w.close();
    }
    const QString file = config.filePath(QStringLiteral("Tesserin/Tesserin.conf"));
    QVERIFY2(QFile::exists(file), qPrintable(file));
    QCOMPARE(support::stored(file, QStringLiteral("Data/str1")), QStringLiteral("本文です\r\n"));
    {
        Tesserin again;
        QCOMPARE(again.Info[0]->text(), QStringLiteral("名無しさん"));
        QCOMPARE(again.Doc0->text(), QStringLiteral("Re: テスト"));
        QCOMPARE(widgets::bodyText(again.Doc1), QStringLiteral("本文です\r\n"));
        again.close();
    }
    qputenv("XDG_CONFIG_HOME", old);
#endif
}

void TestPlatform::systemEndSavesDrafts()
{
    platform::SystemEnd systemEnd;
    const auto endedMain = [&](const QString &body, const std::function<void(Tesserin &)> &end) {
        auto w = support::shownMain(m_store.path());
        QObject::connect(&systemEnd, &platform::SystemEnd::endRequested, w.get(),
                         &Tesserin::systemClose);
        widgets::setBodyText(w->Doc1, body);
        end(*w);
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(widgets::bodyText(w->Doc1), body);
        QCOMPARE(m_store.stored(QStringLiteral("Data/str1")), body + QStringLiteral("\r\n"));
    };
#ifdef Q_OS_UNIX // Windows ends a session by messages, tried under Wine by e2e/windows.sh
    endedMain(QStringLiteral("draft before SIGTERM"), [](Tesserin &) { ::raise(SIGTERM); });

    // SIGHUP while the clearing question is open: the program answers No itself, then saves.
    endedMain(QStringLiteral("keep me"), [](Tesserin &w) {
        const auto run = support::onModal<QMessageBox>([](QMessageBox &box) {
            QPointer<QMessageBox> question = &box;
            ::raise(SIGHUP);
            QVERIFY(QTest::qWaitFor([&] { return !question || !question->isVisible(); }));
        });
        QTest::mouseClick(w.Command2, Qt::LeftButton);
        QVERIFY(run->seen && !run->leftOpen);
    });
#endif

    // Logout.
    endedMain(QStringLiteral("logout"), [&](Tesserin &) { emit systemEnd.endRequested(); });
}

void TestPlatform::instanceLockAdmitsOneAndSurvivesCrash()
{
    const QString path = m_store.file(QStringLiteral("instance.lock"));
    {
        platform::InstanceLock first(path);
        QCOMPARE(first.tryLock(), Outcome::Taken);
        platform::InstanceLock second(path);
        QCOMPARE(second.tryLock(), Outcome::HeldByOther);
    }
    // Released at the end of the run.
    platform::InstanceLock third(path);
    QCOMPARE(third.tryLock(), Outcome::Taken);

    // A lock left by a process that no longer exists is taken over.
    const QString stale = m_store.file(QStringLiteral("stale.lock"));
    {
        QFile f(stale);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray::number(0x7ffffff0) + "\ntesserin\n" +
                QSysInfo::machineHostName().toUtf8() + "\n");
    }
    platform::InstanceLock afterCrash(stale);
    QCOMPARE(afterCrash.tryLock(), Outcome::Taken);
}

void TestPlatform::instanceLockBelongsToTheUser()
{
#ifndef Q_OS_UNIX
    QSKIP("XDG_RUNTIME_DIR and POSIX owners; see instanceLockIsPerUserOnWindows");
#else
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const QString cache = m_store.file(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    const QString own = cache + QStringLiteral("/Tesserin/tesserin.lock");

    const QString runtime = m_store.file(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    const QString shared = m_store.file(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    const QString foreign = m_store.file(QStringLiteral("foreign"));
    QVERIFY(QDir().mkpath(foreign));
    // Another account's folder (the tests run as root, which may give one away).
    const bool givenAway = ::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0;
    writeFile(m_store.file(QStringLiteral("file")), "x");

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QCOMPARE(platform::InstanceLock::defaultPath(), runtime + QStringLiteral("/tesserin.lock"));
    // The second lock sits beside the store, under a name of its own.
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    const QString config = m_store.file(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    QCOMPARE(platform::InstanceLockSet::defaultPaths(),
             QStringList({runtime + QStringLiteral("/tesserin.lock"),
                          config + QStringLiteral("/Tesserin/tesserin.instance.lock")}));
    qputenv("XDG_CONFIG_HOME", oldConfig);
    for (const QString &bad :
         {QString(), shared, givenAway ? foreign : shared, m_store.file(QStringLiteral("file")),
          m_store.file(QStringLiteral("missing"))}) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(bad));
        QCOMPARE(platform::InstanceLock::defaultPath(), own);
    }
    {
        platform::InstanceLock lock;
        QCOMPARE(lock.tryLock(), Outcome::Taken);
        QCOMPARE(modeOf(QFileInfo(own).absolutePath()), 0700u);
        QCOMPARE(modeOf(own), 0600u);
        // Another instance of this user.
        platform::InstanceLock second;
        QCOMPARE(second.tryLock(), Outcome::HeldByOther);
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_CACHE_HOME", oldCache);

    // Whatever else is in the way is no other instance: the program starts and says why.
    const QString folder = m_store.file(QStringLiteral("lock-folder"));
    QVERIFY(QDir().mkpath(folder));
    const QString garbage = m_store.file(QStringLiteral("garbage.lock"));
    writeFile(garbage, "\x01\x02 garbage");
    for (const QString &path :
         {folder, garbage, m_store.file(QStringLiteral("file/tesserin.lock"))}) {
        platform::InstanceLock lock(path);
        QCOMPARE(lock.tryLock(), Outcome::Failed);
        QVERIFY(lock.why().contains(path.section(QLatin1Char('/'), 0, -2)));
    }
#endif
}

void TestPlatform::instanceLockSetFindsAnyCopy_data()
{
    // Lock paths of two copies, relative to the row's folder, where "file" is a regular file
    // and the folders listed in "inTheWay" stand where a lock file belongs.
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QStringList>("inTheWay");
    QTest::addColumn<bool>("deadHolder"); // the store's lock left by a process that is gone
    QTest::addColumn<int>("failed");      // locks the first copy cannot take
    QTest::addColumn<SetOutcome>("firstOutcome");
    QTest::addColumn<SetOutcome>("secondOutcome");

    const QString store = QStringLiteral("config/Tesserin/tesserin.instance.lock");
    const QString noStore = QStringLiteral("file/Tesserin/tesserin.instance.lock");
    const QString runA = QStringLiteral("runA/tesserin.lock");
    const QString runB = QStringLiteral("cache/Tesserin/tesserin.lock");
    QTest::newRow("runtime folders differ, store folder new")
        << QStringList{runA, store} << QStringList{runB, store} << QStringList{} << false << 0
        << SetOutcome::Taken << SetOutcome::HeldByOther;
    QTest::newRow("runtime lock is a folder")
        << QStringList{runA, store} << QStringList{runA, store} << QStringList{runA} << false << 1
        << SetOutcome::Taken << SetOutcome::HeldByOther;
    QTest::newRow("store folder cannot be made")
        << QStringList{runA, noStore} << QStringList{runA, noStore} << QStringList{} << false << 1
        << SetOutcome::Taken << SetOutcome::HeldByOther;
    QTest::newRow("no lock at all")
        << QStringList{runA, noStore} << QStringList{runA, noStore} << QStringList{runA} << false
        << 2 << SetOutcome::Unchecked << SetOutcome::Unchecked;
    QTest::newRow("dead holder's store lock")
        << QStringList{runA, store} << QStringList{runB, store} << QStringList{} << true << 0
        << SetOutcome::Taken << SetOutcome::HeldByOther;
}

void TestPlatform::instanceLockSetFindsAnyCopy()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QStringList, inTheWay);
    QFETCH(bool, deadHolder);
    QFETCH(int, failed);
    QFETCH(SetOutcome, firstOutcome);
    QFETCH(SetOutcome, secondOutcome);

    const QString row = m_store.file(QString::fromLatin1(QTest::currentDataTag()));
    const auto inRow = [&row](QStringList paths) {
        for (QString &path : paths)
            path = row + QLatin1Char('/') + path;
        return paths;
    };
    QVERIFY(QDir().mkpath(row));
    writeFile(row + QStringLiteral("/file"), "x");
    for (const QString &folder : inRow(inTheWay))
        QVERIFY(QDir().mkpath(folder));
    if (deadHolder) {
        QVERIFY(QDir().mkpath(QFileInfo(inRow(first).last()).absolutePath()));
        writeFile(inRow(first).last(), QByteArray::number(0x7ffffff0) + "\ntesserin\n" +
                                           QSysInfo::machineHostName().toUtf8() + "\n");
    }

    auto one = std::make_unique<platform::InstanceLockSet>(inRow(first));
    QCOMPARE(one->tryLock(), firstOutcome);
    platform::InstanceLockSet two(inRow(second));
    QCOMPARE(two.tryLock(), secondOutcome);
    // Every lock that could not be taken is named, in the log and in the message.
    QCOMPARE(one->why().size(), failed);
    QCOMPARE(one->reasons().size(), failed);
#ifdef Q_OS_UNIX // Windows folders take the profile's ACL, not a mode
    if (!deadHolder && QFileInfo(row + QStringLiteral("/config")).exists())
        QCOMPARE(modeOf(row + QStringLiteral("/config/Tesserin")), 0700u);
#endif

    if (firstOutcome == SetOutcome::Unchecked) {
        const QString message = one->uncheckedMessage();
        QVERIFY(message.contains(QStringLiteral("Quillora")));
        QVERIFY(message.contains(row + QStringLiteral("/runA/tesserin.lock がフォルダーです")));
        QVERIFY(message.contains(row + QStringLiteral("/file/Tesserin を作れません")));
        // The notice the program shows with it.
        QString shown, button;
        const auto run = support::onModal<QMessageBox>([&](QMessageBox &box) {
            shown = box.text();
            button = box.buttons().size() == 1 ? box.buttons().first()->text() : QString();
            box.buttons().first()->click();
        });
        platform::tell(nullptr, message);
        QVERIFY(run->seen && !run->leftOpen);
        QCOMPARE(shown, message);
        QCOMPARE(button, QStringLiteral("OK"));
        return;
    }
    // The refused copy let go of the locks it had taken before it was refused (one still held
    // in this process would count as a live copy): once the first copy ends, the next starts.
    one.reset();
    QCOMPARE(platform::InstanceLockSet(inRow(second)).tryLock(), SetOutcome::Taken);
}

void TestPlatform::childrenInheritNothing()
{
#ifndef Q_OS_UNIX
    QSKIP("file descriptors, /proc and xdg-open are POSIX; ShellExecute starts the browser");
#else
    // A fake xdg-open first on PATH records its process and then becomes `sleep`, keeping the
    // descriptors it was started with.
    const QString bin = m_store.file(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString pidFile = m_store.file(QStringLiteral("xdg-open.pid"));
    writeFile(bin + QStringLiteral("/xdg-open"),
              "#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 30\n");
    QVERIFY(::chmod(QFile::encodeName(bin + QStringLiteral("/xdg-open")).constData(), 0755) == 0);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + oldPath);

    platform::SystemEnd systemEnd; // its socket pair exists from here on
    auto w = support::shownMain(m_store.path());
    w->Info[2]->setText(QStringLiteral("https://example.org/"));
    QTest::mouseClick(w->Label1[2], Qt::LeftButton);
    qputenv("PATH", oldPath);

    QTRY_VERIFY_WITH_TIMEOUT(QFile(pidFile).size() > 0, 10000);
    QFile f(pidFile);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString proc = QStringLiteral("/proc/%1").arg(f.readAll().trimmed().toInt());
    const auto comm = [&] {
        QFile c(proc + QStringLiteral("/comm"));
        return c.open(QIODevice::ReadOnly) ? c.readAll().trimmed() : QByteArray();
    };
    QTRY_COMPARE_WITH_TIMEOUT(comm(), QByteArray("sleep"), 10000);
    QSet<int> fds;
    for (const QString &name : QDir(proc + QStringLiteral("/fd")).entryList(QDir::Files))
        fds.insert(name.toInt());
    ::kill(QFileInfo(proc).fileName().toInt(), SIGKILL);
    fds -= m_inherited;
    QCOMPARE(fds, QSet<int>({0, 1, 2}));

    // A text that xdg-open would take for an option never reaches it.
    QStringList opened;
    platform::setDesktopOpenRecorder([&](const QString &t) { opened << t; });
    for (const QString &url : {QStringLiteral("--manual"), QStringLiteral("-x"),
                               QStringLiteral(" -x"), QStringLiteral("a-b")}) {
        w->Info[2]->setText(url);
        QTest::mouseClick(w->Label1[2], Qt::LeftButton);
    }
    QCOMPARE(opened, QStringList({QStringLiteral(" -x"), QStringLiteral("a-b")}));
    w->close();
#endif
}

void TestPlatform::programFoldersFollowXdg()
{
#ifndef Q_OS_UNIX
    QSKIP("XDG folders; see programFoldersOnWindows");
#else
    // XDG_DATA_HOME moves the user's folder; the program's is where it runs from.
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    const QString xdg = m_store.file(QStringLiteral("xdg"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(xdg));
    const platform::ProgramFolders real = platform::programFolders();
    qputenv("XDG_DATA_HOME", dataHome);
    QCOMPARE(real.userData, xdg + QStringLiteral("/Tesserin"));
    QCOMPARE(real.program, QCoreApplication::applicationDirPath());
#endif
}

// The store's layout in the registry, on a key of the test's own: the user's
// HKCU\Software\Tesserin is never touched.
void TestPlatform::registryStoreKeepsTextsOnWindows()
{
#ifndef Q_OS_WIN
    QSKIP("the registry is Windows'");
#else
    const QString own = QStringLiteral("TesserinTest%1").arg(QCoreApplication::applicationPid());
    const QString key =
        QStringLiteral("HKEY_CURRENT_USER\\Software\\") + own + QStringLiteral("\\Tesserin");
    NotebookTexts texts;
    texts.SlotBody = {QStringLiteral("本文\r\n二行目\r\n"), QString(), QStringLiteral("=;\"\\")};
    texts.SlotTitle = {QStringLiteral("Re: テスト"), QStringLiteral("title two"), QString()};
    texts.Info = {QStringLiteral("名無しさん"), QStringLiteral("sage"),
                  QStringLiteral("https://example.org/")};
    texts.locked = true;
    texts.shortTexts = {QStringLiteral("(^_^)"), QString(), QStringLiteral("ｷﾀ━")};
    {
        QSettings s(key, QSettings::NativeFormat);
        QVERIFY(store::save(s, texts));
    }
    NotebookTexts back;
    {
        QSettings s(key, QSettings::NativeFormat);
        back = store::read(s);
        QCOMPARE(s.value(QStringLiteral("Data/str1")).toString(), texts.SlotBody[0]);
    }
    QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software"), QSettings::NativeFormat).remove(own);
    // Bodies are stored finished, as the copy buttons give them.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(back.SlotBody[i], FinishText(texts.SlotBody[i]));
    QCOMPARE(back.SlotTitle, texts.SlotTitle);
    QCOMPARE(back.Info, texts.Info);
    QCOMPARE(back.locked, true);
    QCOMPARE(back.shortTexts.first(), texts.shortTexts.first());
    QVERIFY(!QSettings(key, QSettings::NativeFormat).contains(QStringLiteral("Data/str1")));
#endif
}

// The lock lives in the user's own local application data, so a second copy of the same user
// is refused while another user's runs.
void TestPlatform::instanceLockIsPerUserOnWindows()
{
#ifndef Q_OS_WIN
    QSKIP("Windows' folders; see instanceLockBelongsToTheUser");
#else
    QStandardPaths::setTestModeEnabled(true); // a folder of the test's own
    const QString path = platform::InstanceLock::defaultPath();
    QCOMPARE(path, QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                       QStringLiteral("/Tesserin/tesserin.lock"));
    const QString local = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    QVERIFY2(!local.isEmpty() && path.startsWith(local + QLatin1Char('/'), Qt::CaseInsensitive),
             qPrintable(path + QStringLiteral(" not in ") + local));
    {
        platform::InstanceLock first;
        QCOMPARE(first.tryLock(), Outcome::Taken);
        platform::InstanceLock second;
        QCOMPARE(second.tryLock(), Outcome::HeldByOther);
    }
    platform::InstanceLock again;
    QCOMPARE(again.tryLock(), Outcome::Taken);
    QStandardPaths::setTestModeEnabled(false);
#endif
}

// The user's own face.txt is looked for in %LOCALAPPDATA%\Tesserin, as the README says.
void TestPlatform::programFoldersOnWindows()
{
#ifndef Q_OS_WIN
    QSKIP("Windows' folders; see programFoldersFollowXdg");
#else
    const platform::ProgramFolders real = platform::programFolders();
    const QString local = QDir::fromNativeSeparators(qEnvironmentVariable("LOCALAPPDATA"));
    QVERIFY(!local.isEmpty());
    QCOMPARE(real.userData.toLower(), (local + QStringLiteral("/Tesserin")).toLower());
    QCOMPARE(real.program, QCoreApplication::applicationDirPath());
#endif
}

QTEST_MAIN(TestPlatform)
#include "test_platform.moc"
