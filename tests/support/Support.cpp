// SPDX-License-Identifier: MIT
#include "Support.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QSpontaneKeyEvent>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>

namespace support {

QString TempStore::file(const QString &name) const
{
    QString folder = QString::fromLatin1(QTest::currentTestFunction());
    if (const char *row = QTest::currentDataTag())
        folder += QLatin1Char('-') + QString::fromLatin1(QUrl::toPercentEncoding(row));
    const QString path = m_dir.filePath(folder);
    if (!m_dir.isValid() || !QDir().mkpath(path))
        qWarning("no folder for the store: %s", qPrintable(path));
    return path + QLatin1Char('/') + name;
}

bool TempStore::has(const QString &key) const
{
    return QSettings(path(), QSettings::IniFormat).contains(key);
}

platform::StoreFactory iniStore(const QString &path)
{
    return [path] { return platform::StoreLocation{path, {}}; };
}

QString stored(const QString &iniPath, const QString &key)
{
    return QSettings(iniPath, QSettings::IniFormat).value(key).toString();
}

std::unique_ptr<Tesserin> shownMain(const QString &iniPath, const QStringList &shortTexts)
{
    if (!shortTexts.isEmpty()) {
        QSettings s(iniPath, QSettings::IniFormat);
        for (int i = 0; i < shortTexts.size(); ++i)
            s.setValue(QStringLiteral("Data/tanbun%1").arg(i), shortTexts.at(i));
    }
    QApplication::setQuitOnLastWindowClosed(false);
    auto w = std::make_unique<Tesserin>(iniStore(iniPath));
    w->show();
    if (!QTest::qWaitForWindowActive(w.get()))
        qWarning("main window not active");
    return w;
}

std::shared_ptr<const ModalRun> onModalWidget(const QMetaObject &type,
                                              std::function<void(QWidget &)> action)
{
    // Long enough for any window to come up; a timer left waiting would answer a later test.
    constexpr int GiveUpTicks = 2000;
    auto run = std::make_shared<ModalRun>();
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, run, &type, action, ticks = 0]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !type.cast(modal)) {
            if (++ticks == GiveUpTicks) {
                qWarning("no modal %s came up", type.className());
                // Whatever modal window is up instead would hold the test in its loop.
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                timer->stop();
                timer->deleteLater();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        run->seen = true;
        QPointer<QWidget> window = modal;
        action(*modal);
        if (window && window->isVisible()) {
            run->leftOpen = true;
            window->close();
        }
    });
    timer->start();
    return run;
}

void answerNextQuestion(bool yes, Question *seen)
{
    onModal<QMessageBox>([yes, seen](QMessageBox &box) {
        if (seen) {
            seen->seen = true;
            seen->title = box.windowTitle();
            seen->text = box.text();
            seen->icon = box.icon();
            seen->yesText = box.button(QMessageBox::Yes)->text();
            seen->noText = box.button(QMessageBox::No)->text();
            seen->yesIsDefault = box.defaultButton() == box.button(QMessageBox::Yes);
        }
        box.button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
}

int rowCount(const QAbstractItemView *list)
{
    return list->model()->rowCount();
}

QString rowText(const QAbstractItemView *list, int row)
{
    return list->model()->index(row, 0).data().toString();
}

QStringList listItems(const QAbstractItemView *list)
{
    QStringList items;
    for (int row = 0; row < rowCount(list); ++row)
        items.append(rowText(list, row));
    return items;
}

QPoint rowCentre(const QAbstractItemView *list, int row)
{
    return list->visualRect(list->model()->index(row, 0)).center();
}

void clickRow(QAbstractItemView *list, int row)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, row));
}

void select(QPlainTextEdit *box, int start, int length)
{
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
}

void pressCloseBox(QWidget *window)
{
    // QCoreApplication::sendEvent() would clear the spontaneous flag.
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(window->windowHandle(), &event);
}

QColor faceColour(QWidget *button)
{
    return button->grab().toImage().pixelColor(2, 2);
}

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void putClipboard(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

unsigned modeOf(const QString &path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

} // namespace support
