// SPDX-License-Identifier: MIT
// The store and its lock under faults, and the saves made while the user types.

#include "Support.h"

#include "mini/frmMini.h"
#include "notebook/FinishText.h"
#include "notebook/store/Autosave.h"
#include "notebook/store/NotebookStore.h"
#include "platform/ini/IniWriter.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ShortTextBox.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <QMessageBox>

#include <csignal>
#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

using support::modeOf;
using support::writeFile;

namespace {

#ifdef Q_OS_UNIX
ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}
#else
// Windows' file index is what an inode is elsewhere; stat()'s st_ino is always 0 there.
quint64 inodeOf(const QString &path)
{
    const HANDLE file =
        CreateFileW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(path).utf16()), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return known ? (quint64(info.nFileIndexHigh) << 32 | info.nFileIndexLow) : 0;
}
#endif

// The child of the crash test: types into a real main window and never closes it.
int crashChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    Tesserin w(support::iniStore(QString::fromLocal8Bit(argv[2])));
    w.show();
    QTest::keyClicks(w.Doc1, QStringLiteral("typed before the crash"));
    w.Info[0]->insert(QStringLiteral("名無し")); // Qt Test types ASCII only
    std::printf("typed\n");
    std::fflush(stdout);
    return QApplication::exec();
}

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#ifdef Q_OS_UNIX
// The account the unreadable-store child runs as when the tests run as root, who reads every
// file.
constexpr uid_t Nobody = 65534;

// Any write past `bytes` into a file fails, as on a full disk, while the object lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_old = {};
    void (*m_handler)(int) = nullptr;
};

// A start on a store the account cannot read: prints the notice, types, closes.
int unreadableChild(int argc, char **argv)
{
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(Nobody) != 0 || ::setuid(Nobody) != 0))
        return 3;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QString notice;
    const auto told = support::onModal<QMessageBox>([&](QMessageBox &box) {
        notice = box.text();
        box.accept();
    });
    Tesserin w(support::iniStore(QString::fromLocal8Bit(argv[2])));
    w.show();
    if (!QTest::qWaitFor([&] { return told->seen; }, 20000))
        return 4;
    w.Doc1->insertPlainText(QStringLiteral("typed while unreadable"));
    w.close();
    std::printf("%s\n", notice.toUtf8().constData());
    return 0;
}

#endif

// Holds the store's lock file as QSettings does, adds a key of its own, lets go.
int lockHolderChild(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString path = QString::fromLocal8Bit(argv[2]);
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.lock())
        return 3;
    std::printf("locked\n");
    std::fflush(stdout);
    QThread::msleep(1500);
    QFile file(path);
    if (!file.open(QIODevice::Append) || file.write("\n[Other]\nadded=by the other\n") < 0)
        return 4;
    file.close();
    return 0;
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
private slots:

    void closeNeverWaitsLongForTheLock_data();
    void closeNeverWaitsLongForTheLock();
    void everyValueComesBackExactly();
    void startReadsAsQSettingsDid_data();
    void startReadsAsQSettingsDid();
    void writesKeepOtherKeysAndLongerLists();
    void saveReportsWhatHappened();
    void newFilesArePrivate();
    void typingIsSavedAfterAPause();
    void killedProcessLeavesItsTexts();
    void fullDiskLeavesTheStoreWhole();
    void unreadableStoreIsNeverWrittenOver_data();
    void unreadableStoreIsNeverWrittenOver();
    void steadyTypingIsSavedWithinTheBound();
    void otherWritersKeepTheirChanges();
    void byteOrderMarkStaysAtTheStart();
    void readOnlyFileIsAFailedWriteOnWindows();

private:
    support::TempStore m_store;
};

void TestStore::closeNeverWaitsLongForTheLock_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("free") << "";
    QTest::newRow("folder") << "folder";
    QTest::newRow("live holder") << "live";
    QTest::newRow("garbage") << "garbage";
}

void TestStore::closeNeverWaitsLongForTheLock()
{
    QFETCH(QString, lock);
    const QString lockPath = m_store.path() + QStringLiteral(".lock");
    QDir(lockPath).removeRecursively();
    QFile::remove(lockPath);
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Other/kept"), QStringLiteral("hand written"));
    }
    QLockFile holder(lockPath);
    if (lock == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(lockPath + QStringLiteral("/inside")));
    else if (lock == QLatin1String("live"))
        QVERIFY(holder.tryLock(0));
    else if (lock == QLatin1String("garbage"))
        writeFile(lockPath, QByteArray("\xff\xfe not a lock\n\n\n", 17));

    QElapsedTimer clock;
    {
        Tesserin w(m_store.factory());
        w.show();
        // A background save of an older text is waiting for the lock as the close begins: it
        // must give way, and never land after the close's write.
        widgets::setBodyText(w.Doc1, QStringLiteral("older"));
        w.autosave()->saveInBackground();
        w.Doc0->setText(QStringLiteral("\uFEFFtitle"));
        widgets::setBodyText(w.Doc1, QStringLiteral("newer"));
        clock.start();
        w.close();
        QVERIFY(!w.isVisible());
    }
    // Generous: it fails only on a hang, not on a slow machine.
    QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("newer\r\n"));
    QCOMPARE(m_store.stored("Data/Title1"), QStringLiteral("\uFEFFtitle"));
    QCOMPARE(m_store.stored("Other/kept"), QStringLiteral("hand written"));
}

void TestStore::everyValueComesBackExactly()
{
    // Qt's reader drops a raw U+FEFF that starts a value, after any escapes or spaces.
    const QStringList awkward{QStringLiteral("\uFEFF"),
                              QStringLiteral("\uFEFFfirst"),
                              QStringLiteral("\t\uFEFFafter tab"),
                              QStringLiteral("  \uFEFF after spaces"),
                              QStringLiteral("\\\uFEFF"),
                              QStringLiteral("mid\uFEFFdle\uFEFF"),
                              QStringLiteral("\uFEFFabc123"), // hex digits after the escape
                              QString(QChar(1)) + QStringLiteral("f00d"),
                              QString(QChar(0xd800)),
                              QStringLiteral("last")};
    NotebookTexts t;
    t.SlotTitle[0] = awkward[0];
    t.shortTexts = awkward;
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    // A new start: the lone surrogate comes back as U+FFFD and the list keeps every item.
    Tesserin w(m_store.factory());
    QCOMPARE(w.Doc0->text(), awkward[0]);
    QStringList expected = awkward;
    expected[8] = QString(QChar::ReplacementCharacter);
    QCOMPARE(widgets::shortTexts(w.FaceIcon), expected);
}

void TestStore::startReadsAsQSettingsDid_data()
{
    // `kept`: the other keys' lines are kept from this reading for the writes.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("kept");
    QTest::newRow("missing") << QByteArray() << true;
    QTest::newRow("hand edits")
        << QByteArray("\xef\xbb\xbf; notes\r\n[Data]\r\nstr1=one\\r\\n\\\r\n two\r\n"
                      "%54itle1 = \" spaced, \" ; why\r\n[Other]\r\nx=1, 2\r\n[Data]\r\n"
                      "str1=again\r\ntanbun0=a\r\ntanbun1=@@b\r\ntanbun3=after the gap\r\n"
                      "[Setting]\r\nLock=lock\r\n")
        << true;
    QTest::newRow("empty text ends the list")
        << QByteArray("[Data]\ntanbun0=a\ntanbun1=\ntanbun2=c\ninfo0=\"open") << true;
    QTest::newRow("backslash at the end") << QByteArray("[Data]\ninfo1=x\nstale=y\\") << false;
    QTest::newRow("list") << QByteArray("[Data]\nstr1=a, b\ntanbun0=x\n") << false;
    QTest::newRow("typed") << QByteArray("[Data]\nTitle1=@ByteArray(t)\n") << false;
    QTest::newRow("in General") << QByteArray("[General]\nData\\str1=x\n") << false;
    QTest::newRow("section under Data")
        << QByteArray("[Data]\nstr1=x\ntanbun0=y\n[Data%2Fa]\nz=1\n") << false;
    QTest::newRow("odd escape in a name") << QByteArray("[Data]\n%+1=x\nstr1=y\n") << false;
    NotebookTexts t;
    t.SlotBody[1] = QStringLiteral("本文\r\n\t\"x\", y; z\\");
    t.Info[2] = QStringLiteral("@at");
    t.shortTexts = QStringList{QStringLiteral(" a "), QStringLiteral("\uFEFF")};
    t.locked = true;
    const QString path = m_store.file(QStringLiteral("own.ini"));
    QVERIFY(store::save(platform::StoreLocation{path, {}}, t));
    QFile own(path);
    QVERIFY(own.open(QIODevice::ReadOnly));
    QTest::newRow("written by the program") << own.readAll() << true;
}

void TestStore::startReadsAsQSettingsDid()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, kept);
    if (!file.isNull())
        writeFile(m_store.path(), file);
    // What the program read before, from a copy: QSettings keeps what it read of a file, and
    // which keys it finds can depend on what it looked up before.
    const QString copy = m_store.file(QStringLiteral("copy.ini"));
    QFile::copy(m_store.path(), copy);
    QSettings qt(copy, QSettings::IniFormat);
    const NotebookTexts expected = store::read(qt);
    const store::Loaded loaded = store::load(platform::StoreLocation{m_store.path(), {}});
    QCOMPARE(loaded.texts.SlotBody, expected.SlotBody);
    QCOMPARE(loaded.texts.SlotTitle, expected.SlotTitle);
    QCOMPARE(loaded.texts.Info, expected.Info);
    QCOMPARE(loaded.texts.locked, expected.locked);
    QCOMPARE(loaded.texts.shortTexts, expected.shortTexts);
    QCOMPARE(loaded.kept.file.isCurrentFor(m_store.path()), kept);
    // A file that is there makes no difference to the store's own file (the per-user store
    // falls back to system-wide files while one exists).
    writeFile(m_store.file(QStringLiteral("fallback.conf")), "[Data]\nstr2=from elsewhere\n");
    const store::Loaded withFallback = store::load(
        platform::StoreLocation{m_store.path(), {m_store.file(QStringLiteral("fallback.conf"))}});
    QVERIFY(!withFallback.kept.file.isCurrentFor(m_store.path()));
}

void TestStore::writesKeepOtherKeysAndLongerLists()
{
    writeFile(m_store.path(), "[Data]\ntanbun0=a\ntanbun1=b\ntanbun2=c\n\n[Other]\nk=v ; note\n");
    const platform::StoreLocation where{m_store.path(), {}};
    store::Loaded loaded = store::load(where);
    QCOMPARE(loaded.texts.shortTexts, QStringList({"a", "b", "c"}));
    const auto saveList = [&](const QStringList &list) {
        NotebookTexts t;
        t.shortTexts = list;
        return store::saveEntries(where, store::entries(t), {}, &loaded.kept).written();
    };
    const auto storedList = [&] {
        QStringList all;
        for (int n = 0; n < 6; ++n)
            all << m_store.stored(QStringLiteral("Data/tanbun%1").arg(n));
        return all;
    };
    // Shorter lists leave the longer ones' tails, from the reading and from each write.
    QVERIFY(saveList({"A", "B"}));
    QCOMPARE(storedList(), QStringList({"A", "B", "", "", "", ""}));
    QVERIFY(saveList({"1"}));
    QCOMPARE(storedList(), QStringList({"1", "", "", "", "", ""}));
    QVERIFY(m_store.has(QStringLiteral("Data/tanbun2")));
    QCOMPARE(m_store.stored("Other/k"), QStringLiteral("v"));
    QVERIFY(saveList({}));
    QCOMPARE(storedList(), QStringList({"", "", "", "", "", ""}));
    QCOMPARE(QSettings(m_store.path(), QSettings::IniFormat).allKeys().size(), 3 * 3 + 4 + 1);

    // Another program's edit is read again before the next write.
    {
        QSettings other(m_store.path(), QSettings::IniFormat);
        other.setValue(QStringLiteral("Other/added"), QStringLiteral("by hand"));
        other.setValue(QStringLiteral("Data/tanbun3"), QStringLiteral("stale"));
    }
    QVERIFY(saveList({"x", "y"}));
    QCOMPARE(m_store.stored("Other/added"), QStringLiteral("by hand"));
    QCOMPARE(m_store.stored("Other/k"), QStringLiteral("v"));
    QCOMPARE(storedList(), QStringList({"x", "y", "", "stale", "", ""}));
    QVERIFY(saveList({}));
    QCOMPARE(storedList(), QStringList({"", "y", "", "stale", "", ""}));
}

void TestStore::saveReportsWhatHappened()
{
    // A line without "=" leaves a format error from reading; the write still succeeds.
    writeFile(m_store.path(), "[Data]\nno equals sign here\nstr1=old\n");
    NotebookTexts t;
    t.SlotBody[0] = QStringLiteral("new");
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        s.allKeys();
        QCOMPARE(s.status(), QSettings::FormatError);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("new\r\n"));

    // A folder where the file belongs, a file where its folder belongs: nothing written.
    const QString folder = m_store.file(QStringLiteral("is-a-folder.ini"));
    QVERIFY(QDir().mkpath(folder));
    writeFile(m_store.file(QStringLiteral("a-file")), "x");
    for (const QString &path : {folder, m_store.file(QStringLiteral("a-file/store.ini"))}) {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY2(!store::save(s, t), qPrintable(path));
    }
}

void TestStore::newFilesArePrivate()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX modes; on Windows the store is the registry and files inherit the ACL of the "
          "user's own profile folder");
#else
    const QString path = m_store.file(QStringLiteral("new/Tesserin/Tesserin.conf"));
    NotebookTexts t;
    t.Info[1] = QStringLiteral("me@example.org");
    {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(modeOf(path), 0600u);
    QCOMPARE(modeOf(QFileInfo(path).absolutePath()), 0700u);
    QCOMPARE(modeOf(m_store.file(QStringLiteral("new"))), 0700u);
    // The owner's own choice stays.
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(modeOf(path), 0640u);
#endif
}

void TestStore::typingIsSavedAfterAPause()
{
    QFile::remove(m_store.path());
    Tesserin w(m_store.factory());
    w.autosave()->setDelay(50);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Loading and showing change nothing, so nothing is written.
    QTest::qWait(300);
    QVERIFY(!QFile::exists(m_store.path()));

    QTest::keyClicks(w.Doc1, QStringLiteral("abc"));
    QTRY_COMPARE(m_store.stored("Data/str1"), QStringLiteral("abc\r\n"));
    w.autosave()->waitForBackgroundSave();
    // Moving between slots changes no text: the file is left alone.
    const auto written = inodeOf(m_store.path());
    w.DocSelect[1]->click();
    w.DocSelect[0]->click();
    QTest::qWait(300);
    w.autosave()->waitForBackgroundSave();
    QCOMPARE(inodeOf(m_store.path()), written);

    w.FaceIcon->addItem(QStringLiteral("(^_^)"));
    w.LockText->trigger();
    QTRY_COMPARE(m_store.stored("Setting/Lock"), QStringLiteral("lock"));
    QTRY_COMPARE(m_store.stored("Data/tanbun0"), QStringLiteral("(^_^)"));

    // While the mini window is open, its box is the body; Doc(1) waits for its close.
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QVERIFY(w.mini());
    w.mini()->Doc->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.mini()->Doc, QStringLiteral("def"));
    QTRY_COMPARE(m_store.stored("Data/str1"), QStringLiteral("abcdef\r\n"));
    QCOMPARE(widgets::bodyText(w.Doc1), QStringLiteral("abc"));
    w.mini()->close();
    w.close();
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("abcdef\r\n"));
}

void TestStore::killedProcessLeavesItsTexts()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("crash-child"), m_store.path()});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains("typed") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.contains("typed"), said.constData());
    QTest::qWait(Autosave::Delay + 2000);
#ifdef Q_OS_UNIX
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
#else
    child.kill(); // TerminateProcess: no handler of the child runs, as with SIGKILL
#endif
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("typed before the crash\r\n"));
    QCOMPARE(m_store.stored("Data/info0"), QStringLiteral("名無し"));
    QCOMPARE(m_store.stored("Setting/Lock"), QStringLiteral("unlock"));
}

void TestStore::fullDiskLeavesTheStoreWhole()
{
#ifndef Q_OS_UNIX
    QSKIP("the file size limit stands in for a full disk on POSIX systems only");
#else
    const platform::StoreLocation where{m_store.path(), {}};
    NotebookTexts old;
    old.Info[0] = QStringLiteral("名無し");
    old.SlotTitle[0] = QStringLiteral("題");
    old.SlotBody[0] = QStringLiteral("old body");
    old.shortTexts = QStringList{QStringLiteral("(^_^)")};
    QVERIFY(store::save(where, old));
    {
        QSettings other(m_store.path(), QSettings::IniFormat);
        other.setValue(QStringLiteral("Other/kept"), QStringLiteral("another program's"));
    }
    const QByteArray before = bytesOf(m_store.path());
    const QStringList filesBefore = QDir(QFileInfo(m_store.path()).path()).entryList(QDir::Files);
    NotebookTexts big = old;
    big.SlotBody[0] = QString(210000, QLatin1Char('x'));

    // Room for part of the file only: the write fails whole, with the reason.
    {
        const FileSizeLimit full(before.size() + 4096);
        const platform::WriteOutcome outcome = store::saveEntries(where, store::entries(big));
        QCOMPARE(outcome.result, platform::WriteOutcome::Result::Failed);
        QCOMPARE(outcome.fault.kind, platform::FileFault::Kind::DiskFull);
    }
    QCOMPARE(bytesOf(m_store.path()), before);
    QCOMPARE(QDir(QFileInfo(m_store.path()).path()).entryList(QDir::Files), filesBefore);

    // In the window: the caption tells it, in the mini window too, until a save works again.
    Tesserin w(m_store.factory());
    w.autosave()->setDelay(20);
    w.autosave()->setRetryDelay(100);
    w.show();
    const QString failed = QStringLiteral("Quillora - 保存できません: ディスクがいっぱいです");
    {
        const FileSizeLimit full(before.size() + 4096);
        w.Doc1->insertPlainText(big.SlotBody[0]);
        QTRY_COMPARE(w.windowTitle(), failed);
        QTest::mouseClick(w.Command4, Qt::LeftButton);
        QVERIFY(w.mini());
        QCOMPARE(w.mini()->windowTitle(), failed);
        QTest::qWait(300); // several more tries, none of them shows anything new
        QCOMPARE(bytesOf(m_store.path()), before);
    }
    QTRY_COMPARE(w.mini()->windowTitle(), QStringLiteral("Quillora"));
    QCOMPARE(w.windowTitle(), QStringLiteral("Quillora"));
    QTRY_COMPARE(m_store.stored("Data/str1"), FinishText(widgets::bodyText(w.Doc1)));
    QCOMPARE(m_store.stored("Other/kept"), QStringLiteral("another program's"));
    w.mini()->close();
    w.close();
#endif
}

void TestStore::unreadableStoreIsNeverWrittenOver_data()
{
    // `keeper`: where this run's texts are found, relative to the test's folder.
    QTest::addColumn<QString>("store");
    QTest::addColumn<QString>("keeper");
    QTest::newRow("no read permission") << "store/Tesserin.conf"
                                        << "store";
    QTest::newRow("a folder in its place") << "store/Tesserin.conf"
                                           << "store";
    QTest::newRow("folder cannot be searched") << "store/shut/Tesserin.conf"
                                               << "data/Tesserin";
}

void TestStore::unreadableStoreIsNeverWrittenOver()
{
#ifndef Q_OS_UNIX
    QSKIP("POSIX modes and accounts make the store unreadable; the registry has no such state");
#else
    QFETCH(QString, store);
    QFETCH(QString, keeper);
    QTemporaryDir top;
    QVERIFY(top.isValid());
    const QString path = top.filePath(store);
    const QByteArray texts("[Data]\nstr1=the person's draft\r\n\ninfo0=me\n[Other]\nk=v\n");
    for (const char *folder : {"store/shut", "data", "config", "run"})
        QVERIFY(QDir().mkpath(top.filePath(QString::fromLatin1(folder))));
    const QByteArray row = QTest::currentDataTag();
    if (row == "a folder in its place")
        QVERIFY(QDir().mkpath(path));
    else
        writeFile(path, texts);
    // Root reads whatever it likes: the start runs as an ordinary account then.
    if (::geteuid() == 0) {
        QProcess chown;
        chown.start(QStringLiteral("chown"),
                    {QStringLiteral("-R"), QStringLiteral("%1:%1").arg(Nobody), top.path()});
        QVERIFY(chown.waitForFinished() && chown.exitCode() == 0);
    }
    QVERIFY(::chmod(QFile::encodeName(top.path()).constData(), 0755) == 0);
    QVERIFY(::chmod(QFile::encodeName(top.filePath(QStringLiteral("run"))).constData(), 0700) == 0);
    if (row == "no read permission")
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0200) == 0);
    if (row == "folder cannot be searched")
        QVERIFY(::chmod(QFile::encodeName(top.filePath(QStringLiteral("store/shut"))).constData(),
                        0600) == 0);

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), top.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), top.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), top.filePath(QStringLiteral("run")));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("unreadable-child"), path});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
    const QString notice = QString::fromUtf8(child.readAllStandardOutput());

    // The store is as it was; the run's texts are in a file of their own, named in the notice.
    QVERIFY(::chmod(QFile::encodeName(top.filePath(QStringLiteral("store/shut"))).constData(),
                    0700) == 0);
    if (row == "a folder in its place") {
        QVERIFY(QFileInfo(path).isDir());
    } else {
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0600) == 0);
        QCOMPARE(bytesOf(path), texts);
    }
    const QStringList kept =
        QDir(top.filePath(keeper))
            .entryList({QStringLiteral("Tesserin.conf.unread-*")}, QDir::Files);
    QCOMPARE(kept.size(), 1);
    const QString keeperPath = top.filePath(keeper + QLatin1Char('/') + kept.first());
    QCOMPARE(support::stored(keeperPath, QStringLiteral("Data/str1")),
             QStringLiteral("typed while unreadable\r\n"));
    QCOMPARE(modeOf(keeperPath), 0600u);
    QVERIFY2(notice.contains(QStringLiteral("読めませんでした")) && notice.contains(path) &&
                 notice.contains(keeperPath),
             qPrintable(notice));
#endif
}

void TestStore::steadyTypingIsSavedWithinTheBound()
{
    Tesserin w(m_store.factory());
    // One key every 100 ms never leaves the 400 ms pause; the longest wait saves anyway.
    w.autosave()->setDelay(400);
    w.autosave()->setLongestWait(800);
    w.show();
    QString typed;
    int savesSeen = 0;
    QString lastSeen;
    for (int i = 0; i < 40; ++i) {
        const QChar c(u'a' + i % 26);
        QTest::keyClick(w.Doc1, c.toLatin1());
        typed += c;
        QTest::qWait(100);
        const QString now = m_store.stored("Data/str1");
        if (!now.isEmpty() && now != lastSeen) {
            ++savesSeen;
            lastSeen = now;
            QVERIFY2(typed.startsWith(now.chopped(2)), qPrintable(now));
        }
    }
    QVERIFY2(savesSeen >= 2, qPrintable(QString::number(savesSeen)));
    w.close();
}

void TestStore::otherWritersKeepTheirChanges()
{
    writeFile(m_store.path(), "[Data]\nstr1=old\r\n\n");
    Tesserin w(m_store.factory());
    w.autosave()->setRetryDelay(100);
    w.show();

    // Another writer holds the lock as QSettings does and adds a key before it lets go.
    QProcess holder;
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("lock-holder"), m_store.path()});
    QVERIFY(holder.waitForReadyRead(30000));
    widgets::setBodyText(w.Doc1, QStringLiteral("mine"));
    w.autosave()->saveInBackground();
    QVERIFY(holder.waitForFinished(30000));
    QCOMPARE(holder.exitCode(), 0);
    QTRY_COMPARE(m_store.stored("Data/str1"), QStringLiteral("mine\r\n"));
    QCOMPARE(m_store.stored("Other/added"), QStringLiteral("by the other"));

    // A lock held past the bound: nothing is written until it is free, and the window says so.
    const QByteArray before = bytesOf(m_store.path());
    {
        QLockFile stuck(m_store.path() + QStringLiteral(".lock"));
        stuck.setStaleLockTime(0);
        QVERIFY(stuck.tryLock(0));
        widgets::setBodyText(w.Doc1, QStringLiteral("later"));
        w.autosave()->saveInBackground();
        QTRY_COMPARE_WITH_TIMEOUT(
            w.windowTitle(),
            QStringLiteral(
                "Quillora - 保存できません: ほかのプログラムが設定ファイルを使っています"),
            3 * Autosave::Bound);
        QCOMPARE(bytesOf(m_store.path()), before);
    }
    QTRY_COMPARE_WITH_TIMEOUT(w.windowTitle(), QStringLiteral("Quillora"), 3 * Autosave::Bound);
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("later\r\n"));
    QCOMPARE(m_store.stored("Other/added"), QStringLiteral("by the other"));
    w.close();
}

void TestStore::byteOrderMarkStaysAtTheStart()
{
    const QByteArray bom("\xef\xbb\xbf");
    for (const QByteArray &file : {bom + "top=1\r\n[Data]\r\nstr1=old\r\n",
                                   bom + "[Other]\r\nk=v\r\n[Data]\r\nstr1=old\r\n"}) {
        writeFile(m_store.path(), file);
        const QString copy = m_store.file(QStringLiteral("copy.ini"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_store.path(), copy));
        const QSettings before(copy, QSettings::IniFormat);
        store::Loaded loaded = store::load(platform::StoreLocation{m_store.path(), {}});
        loaded.texts.SlotBody[0] = QStringLiteral("new");
        QVERIFY(store::save(platform::StoreLocation{m_store.path(), {}}, loaded.texts));
        const QByteArray written = bytesOf(m_store.path());
        QVERIFY2(written.lastIndexOf(bom) <= 0, written.constData());
        const QSettings after(m_store.path(), QSettings::IniFormat);
        for (const QString &key : before.allKeys()) {
            if (key != QLatin1String("Data/str1"))
                QCOMPARE(after.value(key), before.value(key));
        }
        QCOMPARE(after.value(QStringLiteral("Data/str1")).toString(), QStringLiteral("new\r\n"));
    }
}

// Windows will not replace a file marked read-only: the save says so and the old text stays.
void TestStore::readOnlyFileIsAFailedWriteOnWindows()
{
#ifndef Q_OS_WIN
    QSKIP("Windows' read-only attribute; elsewhere failed writes come from modes and limits");
#else
    writeFile(m_store.path(), "[Data]\nstr1=old\n");
    QVERIFY(QFile::setPermissions(m_store.path(), QFileDevice::ReadOwner | QFileDevice::ReadUser));
    NotebookTexts t;
    t.SlotBody[0] = QStringLiteral("new");
    const bool saved = store::save(platform::StoreLocation{m_store.path(), {}}, t);
    QVERIFY(
        QFile::setPermissions(m_store.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QVERIFY(!saved);
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("old"));
#endif
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "crash-child") == 0)
        return crashChild(argc, argv);
#ifdef Q_OS_UNIX
    if (argc == 3 && qstrcmp(argv[1], "unreadable-child") == 0)
        return unreadableChild(argc, argv);
#endif
    if (argc == 3 && qstrcmp(argv[1], "lock-holder") == 0)
        return lockHolderChild(argc, argv);
    QApplication app(argc, argv);
    TestStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_store.moc"
