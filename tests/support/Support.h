// SPDX-License-Identifier: MIT
#pragma once

// What every test program shares: a store of its own, the main window on it, one way to answer
// a modal window, and probes that read or drive a widget as a person would.

#include "notebook/Tesserin.h"
#include "platform/UserStore.h"

#include <QMessageBox>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QAbstractItemView;
class QPlainTextEdit;

namespace support {

platform::StoreFactory iniStore(const QString &path);
QString stored(const QString &iniPath, const QString &key);

// An INI store in a folder of its own for each test function and data row, so no test sees
// another's texts; all of them go with the object.
class TempStore
{
public:
    QString path() const { return file(QStringLiteral("store.ini")); }
    // Another file beside the store.
    QString file(const QString &name) const;
    platform::StoreFactory factory() const { return iniStore(path()); }
    QString stored(const QString &key) const { return support::stored(path(), key); }
    bool has(const QString &key) const;

private:
    QTemporaryDir m_dir;
};

// A main window on the store at iniPath, which first gets these short texts, shown and active
// as at start-up. The test may hide or close it without ending the test program.
std::unique_ptr<Tesserin> shownMain(const QString &iniPath, const QStringList &shortTexts = {});

// How an answer to a modal window went: whether the window came up, and whether the action
// left it open (it is closed then, so a failing check cannot leave the test in its loop).
struct ModalRun
{
    bool seen = false;
    bool leftOpen = false;
};

std::shared_ptr<const ModalRun> onModalWidget(const QMetaObject &type,
                                              std::function<void(QWidget &)> action);

// Runs the action on the next modal window of type W as soon as it is up (polled, so it also
// works when the window appears a few events later or over another modal one).
template <typename W> std::shared_ptr<const ModalRun> onModal(std::function<void(W &)> action)
{
    return onModalWidget(W::staticMetaObject,
                         [action](QWidget &w) { action(static_cast<W &>(w)); });
}

// What a question box showed.
struct Question
{
    QString title, text, yesText, noText;
    QMessageBox::Icon icon = QMessageBox::Information;
    bool yesIsDefault = false;
    bool seen = false;
};

// Answers the next question box, recording what it showed.
void answerNextQuestion(bool yes, Question *seen = nullptr);

// Widget probes. A short-text box's items and a list's selected row are the kit's own
// (widgets::shortTexts, widgets::selectedRow).
int rowCount(const QAbstractItemView *list);
QString rowText(const QAbstractItemView *list, int row);
QStringList listItems(const QAbstractItemView *list);
QPoint rowCentre(const QAbstractItemView *list, int row);
void clickRow(QAbstractItemView *list, int row);
// Places the box's selection: from start, length characters.
void select(QPlainTextEdit *box, int start, int length);
// The window system's close box: a spontaneous close event to the native window, which neither
// QWidget::close() nor QWindow::close() is.
void pressCloseBox(QWidget *window);
// The colour the button's face is painted in, just inside its edge, as the screen shows it.
QColor faceColour(QWidget *button);
QString clipboardText();
void putClipboard(const QString &text);

// Files.
void writeFile(const QString &path, const QByteArray &bytes);
// The permission bits, 0 when the file is missing.
unsigned modeOf(const QString &path);

} // namespace support
