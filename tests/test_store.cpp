// SPDX-License-Identifier: MIT
// The store and its lock under faults, and the saves made while the user types.

#include "Support.h"

#include "mini/frmMini.h"
#include "notebook/Autosave.h"
#include "notebook/NotebookStore.h"
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

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using support::modeOf;
using support::writeFile;

namespace {

ino_t inodeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

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

} // namespace

class TestStore : public QObject
{
    Q_OBJECT
private slots:

    void closeNeverWaitsLongForTheLock_data();
    void closeNeverWaitsLongForTheLock();
    void everyValueComesBackExactly();
    void saveReportsWhatHappened();
    void newFilesArePrivate();
    void typingIsSavedAfterAPause();
    void killedProcessLeavesItsTexts();

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
    const ino_t written = inodeOf(m_store.path());
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
    ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("typed before the crash\r\n"));
    QCOMPARE(m_store.stored("Data/info0"), QStringLiteral("名無し"));
    QCOMPARE(m_store.stored("Setting/Lock"), QStringLiteral("unlock"));
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
