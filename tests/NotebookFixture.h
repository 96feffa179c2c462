#pragma once

// Helpers shared by the window tests: a main window on a temporary store, and a way to answer
// the modal window that the next step opens.

#include "notebook/Tesserin.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace fixture {

inline platform::StoreFactory iniStore(const QString &path)
{
    return [path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); };
}

// A main window on the store at iniPath, which first gets these short texts, shown as at
// start-up.
inline std::unique_ptr<Tesserin> shownMain(const QString &iniPath,
                                           const QStringList &shortTexts = {})
{
    {
        QSettings s(iniPath, QSettings::IniFormat);
        for (int i = 0; i < shortTexts.size(); ++i)
            s.setValue(QStringLiteral("Data/tanbun%1").arg(i), shortTexts.at(i));
        s.sync();
    }
    auto w = std::make_unique<Tesserin>(iniStore(iniPath));
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("main window not exposed");
    return w;
}

// Runs the action on the modal window as soon as one is up (polled, so it also works when the
// window appears a few events later).
inline void onModal(std::function<void(QWidget *)> action)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
        }
    });
    timer->start();
}

// Answers the next question box; records what it showed.
struct Question
{
    QString title, text, yesText, noText;
    QMessageBox::Icon icon = QMessageBox::Information;
    bool yesIsDefault = false;
    bool seen = false;
};

inline void answerNextQuestion(bool yes, Question *seen = nullptr)
{
    onModal([yes, seen](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        if (!box)
            return;
        if (seen) {
            seen->seen = true;
            seen->title = box->windowTitle();
            seen->text = box->text();
            seen->icon = box->icon();
            seen->yesText = box->button(QMessageBox::Yes)->text();
            seen->noText = box->button(QMessageBox::No)->text();
            seen->yesIsDefault = box->defaultButton() == box->button(QMessageBox::Yes);
        }
        box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
}

} // namespace fixture
