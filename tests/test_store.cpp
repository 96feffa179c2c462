// The store and the instance lock under faults, and the saves made while the user types.

#include "NotebookFixture.h"

#include "mini/frmMini.h"
#include "notebook/Autosave.h"
#include "notebook/NotebookStore.h"
#include "platform/DesktopOpen.h"
#include "platform/InstanceLock.h"
#include "platform/SystemEnd.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ShortTextBox.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using fixture::iniStore;
using Outcome = platform::InstanceLock::Outcome;

namespace {

QString stored(const QString &iniPath, const QString &key)
{
    QSettings s(iniPath, QSettings::IniFormat);
    return s.value(key).toString();
}

mode_t modeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Descriptors the test program was started with and would hand on itself; not the program's.
QSet<int> inheritedDescriptors()
{
    QSet<int> fds;
    for (const QString &name : QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files))
        if (const int fd = name.toInt(); fd > 2 && (::fcntl(fd, F_GETFD) & FD_CLOEXEC) == 0)
            fds.insert(fd);
    return fds;
}

// The child of the crash test: types into a real main window and never closes it.
int crashChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    Tesserin w(iniStore(QString::fromLocal8Bit(argv[2])));
    w.show();
    QTest::keyClicks(w.Doc1, QStringLiteral("typed before the crash"));
    w.Info[0]->insert(QStringLiteral("名無し")); // Qt Test types ASCII only
    std::printf("typed\n");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void closeNeverWaitsLongForTheLock_data();
    void closeNeverWaitsLongForTheLock();
    void everyValueComesBackExactly();
    void saveReportsWhatHappened();
    void newFilesArePrivate();
    void instanceLockBelongsToTheUser();
    void childrenInheritNothing();
    void typingIsSavedAfterAPause();
    void killedProcessLeavesItsTexts();

private:
    QTemporaryDir m_dir;
    QString m_ini;
    QSet<int> m_inherited;
};

void TestStore::initTestCase()
{
    m_inherited = inheritedDescriptors();
}

void TestStore::init()
{
    QVERIFY(m_dir.isValid());
    m_ini = m_dir.filePath(QStringLiteral("%1/store.ini").arg(QTest::currentTestFunction()));
    QDir().mkpath(QFileInfo(m_ini).absolutePath());
}

void TestStore::cleanup()
{
    platform::setDesktopOpenRecorder({});
}

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
    const QString lockPath = m_ini + QStringLiteral(".lock");
    QDir(lockPath).removeRecursively();
    QFile::remove(lockPath);
    {
        QSettings s(m_ini, QSettings::IniFormat);
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
        Tesserin w(iniStore(m_ini));
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
    QCOMPARE(stored(m_ini, "Data/str1"), QStringLiteral("newer\r\n"));
    QCOMPARE(stored(m_ini, "Data/Title1"), QStringLiteral("\uFEFFtitle"));
    QCOMPARE(stored(m_ini, "Other/kept"), QStringLiteral("hand written"));
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
        QSettings s(m_ini, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    // A new start: the lone surrogate comes back as U+FFFD and the list keeps every item.
    Tesserin w(iniStore(m_ini));
    QCOMPARE(w.Doc0->text(), awkward[0]);
    QStringList expected = awkward;
    expected[8] = QString(QChar::ReplacementCharacter);
    QCOMPARE(widgets::shortTexts(w.FaceIcon), expected);
}

void TestStore::saveReportsWhatHappened()
{
    // A line without "=" leaves a format error from reading; the write still succeeds.
    writeFile(m_ini, "[Data]\nno equals sign here\nstr1=old\n");
    NotebookTexts t;
    t.SlotBody[0] = QStringLiteral("new");
    {
        QSettings s(m_ini, QSettings::IniFormat);
        s.allKeys();
        QCOMPARE(s.status(), QSettings::FormatError);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(stored(m_ini, "Data/str1"), QStringLiteral("new\r\n"));

    // A folder where the file belongs, a file where its folder belongs: nothing written.
    const QString folder = m_dir.filePath(QStringLiteral("is-a-folder.ini"));
    QVERIFY(QDir().mkpath(folder));
    writeFile(m_dir.filePath(QStringLiteral("a-file")), "x");
    for (const QString &path : {folder, m_dir.filePath(QStringLiteral("a-file/store.ini"))}) {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY2(!store::save(s, t), qPrintable(path));
    }
}

void TestStore::newFilesArePrivate()
{
    const QString path = m_dir.filePath(QStringLiteral("new/Tesserin/Tesserin.conf"));
    NotebookTexts t;
    t.Info[1] = QStringLiteral("me@example.org");
    {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(modeOf(path), mode_t(0600));
    QCOMPARE(modeOf(QFileInfo(path).absolutePath()), mode_t(0700));
    QCOMPARE(modeOf(m_dir.filePath(QStringLiteral("new"))), mode_t(0700));
    // The owner's own choice stays.
    QVERIFY(::chmod(QFile::encodeName(path).constData(), 0640) == 0);
    {
        QSettings s(path, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    QCOMPARE(modeOf(path), mode_t(0640));
}

void TestStore::instanceLockBelongsToTheUser()
{
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldCache = qgetenv("XDG_CACHE_HOME");
    const QString cache = m_dir.filePath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache));
    const QString own = cache + QStringLiteral("/Tesserin/tesserin.lock");

    const QString runtime = m_dir.filePath(QStringLiteral("run"));
    QVERIFY(QDir().mkpath(runtime));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    const QString shared = m_dir.filePath(QStringLiteral("shared"));
    QVERIFY(QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(shared).constData(), 01777) == 0);
    const QString foreign = m_dir.filePath(QStringLiteral("foreign"));
    QVERIFY(QDir().mkpath(foreign));
    // Another account's folder (the tests run as root, which may give one away).
    const bool givenAway = ::chown(QFile::encodeName(foreign).constData(), 65534, 65534) == 0;
    writeFile(m_dir.filePath(QStringLiteral("file")), "x");

    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
    QCOMPARE(platform::InstanceLock::defaultPath(), runtime + QStringLiteral("/tesserin.lock"));
    for (const QString &bad :
         {QString(), shared, givenAway ? foreign : shared, m_dir.filePath(QStringLiteral("file")),
          m_dir.filePath(QStringLiteral("missing"))}) {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(bad));
        QCOMPARE(platform::InstanceLock::defaultPath(), own);
    }
    {
        platform::InstanceLock lock;
        QCOMPARE(lock.tryLock(), Outcome::Taken);
        QCOMPARE(modeOf(QFileInfo(own).absolutePath()), mode_t(0700));
        QCOMPARE(modeOf(own), mode_t(0600));
        // Another instance of this user.
        platform::InstanceLock second;
        QCOMPARE(second.tryLock(), Outcome::HeldByOther);
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_CACHE_HOME", oldCache);

    // Whatever else is in the way is no other instance: the program starts and says why.
    const QString folder = m_dir.filePath(QStringLiteral("lock-folder"));
    QVERIFY(QDir().mkpath(folder));
    const QString garbage = m_dir.filePath(QStringLiteral("garbage.lock"));
    writeFile(garbage, "\x01\x02 garbage");
    for (const QString &path :
         {folder, garbage, m_dir.filePath(QStringLiteral("file/tesserin.lock"))}) {
        platform::InstanceLock lock(path);
        QCOMPARE(lock.tryLock(), Outcome::Failed);
        QVERIFY(lock.why().contains(path.section(QLatin1Char('/'), 0, -2)));
    }
}

void TestStore::childrenInheritNothing()
{
    // A fake xdg-open first on PATH records its process and then becomes `sleep`, keeping the
    // descriptors it was started with.
    const QString bin = m_dir.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(bin));
    const QString pidFile = m_dir.filePath(QStringLiteral("xdg-open.pid"));
    writeFile(bin + QStringLiteral("/xdg-open"),
              "#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) + "'\nexec sleep 30\n");
    QVERIFY(::chmod(QFile::encodeName(bin + QStringLiteral("/xdg-open")).constData(), 0755) == 0);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + oldPath);

    platform::SystemEnd systemEnd; // its socket pair exists from here on
    Tesserin w(iniStore(m_ini));
    w.show();
    w.Info[2]->setText(QStringLiteral("https://example.org/"));
    QTest::mouseClick(w.Label1[2], Qt::LeftButton);
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
        w.Info[2]->setText(url);
        QTest::mouseClick(w.Label1[2], Qt::LeftButton);
    }
    QCOMPARE(opened, QStringList({QStringLiteral(" -x"), QStringLiteral("a-b")}));
    w.close();
}

void TestStore::typingIsSavedAfterAPause()
{
    QFile::remove(m_ini);
    Tesserin w(iniStore(m_ini));
    w.autosave()->setDelay(50);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    // Loading and showing change nothing, so nothing is written.
    QTest::qWait(300);
    QVERIFY(!QFile::exists(m_ini));

    QTest::keyClicks(w.Doc1, QStringLiteral("abc"));
    QTRY_COMPARE(stored(m_ini, "Data/str1"), QStringLiteral("abc\r\n"));
    w.autosave()->waitForBackgroundSave();
    // Moving between slots changes no text: the file is left alone.
    const ino_t written = inodeOf(m_ini);
    w.DocSelect[1]->click();
    w.DocSelect[0]->click();
    QTest::qWait(300);
    w.autosave()->waitForBackgroundSave();
    QCOMPARE(inodeOf(m_ini), written);

    w.FaceIcon->addItem(QStringLiteral("(^_^)"));
    w.LockText->trigger();
    QTRY_COMPARE(stored(m_ini, "Setting/Lock"), QStringLiteral("lock"));
    QTRY_COMPARE(stored(m_ini, "Data/tanbun0"), QStringLiteral("(^_^)"));

    // While the mini window is open, its box is the body; Doc(1) waits for its close.
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    QVERIFY(w.mini());
    w.mini()->Doc->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.mini()->Doc, QStringLiteral("def"));
    QTRY_COMPARE(stored(m_ini, "Data/str1"), QStringLiteral("abcdef\r\n"));
    QCOMPARE(widgets::bodyText(w.Doc1), QStringLiteral("abc"));
    w.mini()->close();
    w.close();
    QCOMPARE(stored(m_ini, "Data/str1"), QStringLiteral("abcdef\r\n"));
}

void TestStore::killedProcessLeavesItsTexts()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("crash-child"), m_ini});
    QVERIFY(child.waitForStarted());
    QByteArray said;
    while (!said.contains("typed") && child.waitForReadyRead(30000))
        said += child.readAllStandardOutput();
    QVERIFY2(said.contains("typed"), said.constData());
    QTest::qWait(Autosave::Delay + 2000);
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QCOMPARE(stored(m_ini, "Data/str1"), QStringLiteral("typed before the crash\r\n"));
    QCOMPARE(stored(m_ini, "Data/info0"), QStringLiteral("名無し"));
    QCOMPARE(stored(m_ini, "Setting/Lock"), QStringLiteral("unlock"));
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], "crash-child") == 0)
        return crashChild(argc, argv);
    QApplication app(argc, argv);
    TestStore test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_store.moc"
