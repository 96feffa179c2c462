// SPDX-License-Identifier: MIT
#include "Support.h"

#include "faces/GetFace.h"
#include "mini/frmMini.h"
#include "notebook/FinishText.h"
#include "notebook/Tesserin.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"
#include "shorttext/frmFace.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QWheelEvent>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <memory>

using support::pressCloseBox;
using support::select;

namespace {

const QString CrLf = QStringLiteral("\r\n");

QWidget *asWidget(QWidget *widget)
{
    return widget;
}

// The user opens the drop-down list, moves to the item and presses Enter.
void chooseShortText(QComboBox *box, int row)
{
    box->showPopup();
    QAbstractItemView *view = box->view();
    view->setCurrentIndex(view->model()->index(row, 0));
    QTest::keyClick(view, Qt::Key_Return);
}

} // namespace

class TestMini : public QObject
{
    Q_OBJECT
private slots:

    void miniWindowIsLaidOutAsDesigned();
    void openingCopiesTheBodyAndTheShortTexts();
    void shortTextsGoInAtTheCaret();
    void copyPutsTheBodyOnTheClipboardUnchanged();
    void emoticonButtonOpensThePickerOnDoc();
    void bigHandsTheBodyBackAndKeepsTheRest();
    void programClosesAreNotTheCloseBox();
    void closeBoxHandsTheBodyBackAndSaves();
    void systemEndSavesTheMiniText();
    void systemEndWithThePickerOpenOverTheMiniWindow();

private:
    frmMini *openMini(Tesserin &w);

    support::TempStore m_store;
};

// Presses "小さくする" and returns the mini window it opened.
frmMini *TestMini::openMini(Tesserin &w)
{
    QTest::mouseClick(w.Command4, Qt::LeftButton);
    frmMini *mini = w.mini();
    if (mini && !QTest::qWaitForWindowExposed(mini))
        qWarning("mini window not exposed");
    return mini;
}

void TestMini::miniWindowIsLaidOutAsDesigned()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a")});
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    QVERIFY(!w->isVisible());
    QVERIFY(mini->isVisible());
    QVERIFY(!mini->isModal());
    QCOMPARE(mini->parentWidget(), nullptr);
    QCOMPARE(mini->windowHandle()->transientParent(), nullptr);
    QVERIFY(mini->testAttribute(Qt::WA_DeleteOnClose));

    QCOMPARE(mini->objectName(), QStringLiteral("frmMini"));
    QCOMPARE(mini->windowTitle(), QStringLiteral("Quillora"));
    QCOMPARE(mini->windowIcon().cacheKey(), w->windowIcon().cacheKey());
    QVERIFY(!mini->windowIcon().isNull());

    // A fixed frame with a close box and neither minimize nor maximize button.
    const QSize client = widgets::twipsSize(5250, 2745);
    QCOMPARE(mini->size(), client);
    QCOMPARE(mini->minimumSize(), client);
    QCOMPARE(mini->maximumSize(), client);
    const Qt::WindowFlags flags = mini->windowFlags();
    QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(mini->windowHandle()->flags() & Qt::WindowMinMaxButtonsHint, Qt::WindowFlags());

    const QPoint screenCentre = mini->screen()->availableGeometry().center();
    QVERIFY2((mini->frameGeometry().center() - screenCentre).manhattanLength() <= 2,
             "not centred on the screen");

    QCOMPARE(mini->palette().color(QPalette::Window), widgets::colour::Teal);
    QVERIFY(mini->autoFillBackground());

    QCOMPARE(mini->Doc->objectName(), QStringLiteral("Doc"));
    QCOMPARE(mini->Doc->geometry(), widgets::twipsRect(45, 45, 5130, 2205));
    QCOMPARE(mini->Doc->size(), w->Doc1->size());
    QCOMPARE(mini->Doc->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(mini->Doc->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(mini->Doc->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QVERIFY(mini->Doc->tabChangesFocus());
    QCOMPARE(mini->Doc->palette().color(QPalette::Base), widgets::colour::LightYellow);
    QCOMPARE(mini->Doc->palette().color(QPalette::Base), w->Doc1->palette().color(QPalette::Base));

    QCOMPARE(mini->FaceIcon->objectName(), QStringLiteral("FaceIcon"));
    QCOMPARE(mini->FaceIcon->geometry(), widgets::twipsRect(210, 2355, 1725, 300));
    QVERIFY(!mini->FaceIcon->isEditable());

    const std::array<QPushButton *, 3> buttons{mini->Command3, mini->Command2, mini->Command1};
    const std::array<QString, 3> names{QStringLiteral("Command3"), QStringLiteral("Command2"),
                                       QStringLiteral("Command1")};
    const std::array<QString, 3> captions{QStringLiteral("(^o^)"), QStringLiteral("コピー"),
                                          QStringLiteral("大きく")};
    const std::array<QRect, 3> places{widgets::twipsRect(2190, 2340, 495, 345),
                                      widgets::twipsRect(3075, 2340, 930, 345),
                                      widgets::twipsRect(4080, 2340, 930, 345)};
    const std::array<QColor, 3> colours{widgets::colour::LightPink, widgets::colour::CopyYellow,
                                        widgets::colour::Apricot};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i]->objectName(), names[i]);
        QCOMPARE(buttons[i]->text(), captions[i]);
        QCOMPARE(buttons[i]->geometry(), places[i]);
        QCOMPARE(buttons[i]->palette().color(QPalette::Button), colours[i]);
        QCOMPARE(support::faceColour(buttons[i]), colours[i]);
        QVERIFY(!buttons[i]->isDefault());
        QVERIFY(!buttons[i]->autoDefault());
    }

    // The focus starts in Doc; Tab leaves it and visits the rest in order.
    QCOMPARE(mini->focusWidget(), asWidget(mini->Doc));
    QTRY_COMPARE(QApplication::focusWidget(), asWidget(mini->Doc));
    const std::array<QWidget *, 5> order{mini->Doc, mini->FaceIcon, mini->Command3, mini->Command2,
                                         mini->Command1};
    for (QWidget *widget : order) {
        QTRY_COMPARE(QApplication::focusWidget(), widget);
        QTest::keyClick(widget, Qt::Key_Tab);
    }
    QTRY_COMPARE(QApplication::focusWidget(), asWidget(mini->Doc));
    QVERIFY(widgets::bodyText(mini->Doc).isEmpty()); // Tab moved, it typed nothing

    mini->close();
    QTRY_VERIFY(mini.isNull());
}

void TestMini::openingCopiesTheBodyAndTheShortTexts()
{
    auto w = support::shownMain(m_store.path());
    // Empty body, empty list.
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    QVERIFY(widgets::bodyText(mini->Doc).isEmpty());
    QCOMPARE(mini->FaceIcon->count(), 0);
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());

    // A short text registered in the main window is in the next mini window's list.
    const QString body = QStringLiteral("  first\r\n\r\n\tsecond  \r\n\r\n");
    widgets::setBodyText(w->Doc1, body);
    const auto registered = support::onModal<frmFace>([](frmFace &dlg) {
        for (const QString &text : {QStringLiteral("x"), QStringLiteral("よろしく")}) {
            dlg.Text1->setText(text);
            dlg.Command1->click();
        }
        dlg.Command3->click();
    });
    w->FaceSet->trigger();
    QVERIFY(registered->seen && !registered->leftOpen);
    const QStringList shortTexts{QStringLiteral("x"), QStringLiteral("よろしく")};
    QCOMPARE(widgets::shortTexts(w->FaceIcon), shortTexts);

    mini = openMini(*w);
    QVERIFY(mini);
    QCOMPARE(widgets::bodyText(mini->Doc), body);
    QCOMPARE(widgets::shortTexts(mini->FaceIcon), shortTexts);
    QCOMPARE(mini->FaceIcon->currentIndex(), -1);
    QVERIFY(mini->FaceIcon->currentText().isEmpty());

    // The mini window's list never goes back.
    mini->FaceIcon->addItem(QStringLiteral("only here"));
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());
    QCOMPARE(widgets::shortTexts(w->FaceIcon), shortTexts);

    // Every opening copies afresh.
    w->FaceIcon->addItem(QStringLiteral("later"));
    w->FaceIcon->setCurrentIndex(-1);
    widgets::setBodyText(w->Doc1, QStringLiteral("changed"));
    mini = openMini(*w);
    QVERIFY(mini);
    QCOMPARE(widgets::shortTexts(mini->FaceIcon),
             shortTexts + QStringList{QStringLiteral("later")});
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("changed"));
    mini->close();
    QTRY_VERIFY(mini.isNull());
}

void TestMini::shortTextsGoInAtTheCaret()
{
    auto w = support::shownMain(
        m_store.path(), {QStringLiteral("(ry"), QStringLiteral("ｷﾀ━"), QStringLiteral("乙")});
    widgets::setBodyText(w->Doc1, QStringLiteral("hello world"));
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);

    // A selection is replaced; the caret then stands after the inserted text.
    select(mini->Doc, 6, 5);
    mini->FaceIcon->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), asWidget(mini->FaceIcon));
    chooseShortText(mini->FaceIcon, 2);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("hello 乙"));
    QCOMPARE(mini->Doc->textCursor().position(), 7);
    QCOMPARE(mini->FaceIcon->currentIndex(), -1);
    QTRY_COMPARE(QApplication::focusWidget(), asWidget(mini->FaceIcon)); // the focus stays

    // The same text twice in a row goes in twice.
    chooseShortText(mini->FaceIcon, 0);
    chooseShortText(mini->FaceIcon, 0);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("hello 乙(ry(ry"));
    QCOMPARE(mini->FaceIcon->currentIndex(), -1);

    // At the caret in the middle of a line, without a selection.
    select(mini->Doc, 5, 0);
    chooseShortText(mini->FaceIcon, 1);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("helloｷﾀ━ 乙(ry(ry"));
    QCOMPARE(mini->Doc->textCursor().position(), 8);

    // The mouse wheel over the closed box chooses nothing.
    const QString before = widgets::bodyText(mini->Doc);
    for (const int delta : {-120, 120, -120}) {
        const QPointF at(mini->FaceIcon->rect().center());
        QWheelEvent wheel(at, mini->FaceIcon->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(mini->FaceIcon, &wheel);
    }
    QCOMPARE(mini->FaceIcon->currentIndex(), -1);
    QCOMPARE(widgets::bodyText(mini->Doc), before);

    // Nothing of this reached the main window yet; "大きく" hands it over.
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("hello world"));
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());
    QCOMPARE(widgets::bodyText(w->Doc1), before);
}

void TestMini::copyPutsTheBodyOnTheClipboardUnchanged()
{
    auto w = support::shownMain(m_store.path());
    const QString body = QStringLiteral("  leading and trailing  \r\n\r\n  second line \r\n\r\n ");
    widgets::setBodyText(w->Doc1, body);
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);

    QTest::mouseClick(mini->Command2, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), body);
    QVERIFY(body != FinishText(body)); // the main window's body copy would have changed it

    // Lines typed in the box leave it with CR LF, also those broken with Shift+Enter.
    widgets::setBodyText(mini->Doc, QString());
    mini->Doc->setFocus();
    QTest::keyClicks(mini->Doc, QStringLiteral("a "));
    QTest::keyClick(mini->Doc, Qt::Key_Return);
    QTest::keyClick(mini->Doc, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(mini->Doc, QStringLiteral(" b"));
    QTest::mouseClick(mini->Command2, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("a \r\n\r\n b"));

    // An empty body empties the clipboard.
    widgets::setBodyText(mini->Doc, QString());
    QTest::mouseClick(mini->Command2, Qt::LeftButton);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString());

    // Copying changes nothing in the window.
    QVERIFY(mini->isVisible());
    mini->close();
    QTRY_VERIFY(mini.isNull());
}

void TestMini::emoticonButtonOpensThePickerOnDoc()
{
    auto w = support::shownMain(m_store.path());
    widgets::setBodyText(w->Doc1, QStringLiteral("body"));
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);

    QPlainTextEdit *target = nullptr;
    QWindow *over = nullptr;
    const auto shown = support::onModal<GetFace>([&](GetFace &picker) {
        target = picker.tgt;
        over = picker.windowHandle()->transientParent();
        picker.close();
    });
    QTest::mouseClick(mini->Command3, Qt::LeftButton);
    QVERIFY(shown->seen);
    QCOMPARE(target, mini->Doc);
    QCOMPARE(over, mini->windowHandle());
    // Closed without a choice: the body is as it was and the mini window stays.
    QVERIFY(mini);
    QVERIFY(mini->isVisible());
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("body"));
    QVERIFY(!w->isVisible());

    // A choice goes into the mini window's text at its caret, not into the hidden body.
    select(mini->Doc, 2, 0);
    support::onModal<GetFace>([](GetFace &picker) {
        auto *text = picker.findChild<QLineEdit *>(QStringLiteral("facetext"));
        auto *select = picker.findChild<QPushButton *>(QStringLiteral("SelectBtn"));
        QVERIFY(text && select);
        QTest::sendKeyEvent(QTest::Click, text, Qt::Key_unknown, QStringLiteral("(・∀・)"),
                            Qt::NoModifier);
        QTest::mouseClick(select, Qt::LeftButton);
    });
    QTest::mouseClick(mini->Command3, Qt::LeftButton);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("bo(・∀・)dy"));
    QCOMPARE(mini->Doc->textCursor().position(), 2 + 5);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("body"));
    mini->close();
    QTRY_VERIFY(mini.isNull());
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("bo(・∀・)dy"));
}

void TestMini::bigHandsTheBodyBackAndKeepsTheRest()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("s1"), QStringLiteral("s2")});
    w->Info[0]->setText(QStringLiteral("handle"));
    w->Info[2]->setText(QStringLiteral("http://example.org/"));
    w->LockText->trigger();
    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
    QCOMPARE(w->currentSlot(), short(1));
    w->Doc0->setText(QStringLiteral("title two"));
    widgets::setBodyText(w->Doc1, QStringLiteral("body two"));

    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    QVERIFY(!w->isVisible());
    QVERIFY(!m_store.has(QStringLiteral("Data/str2"))); // hiding saves nothing

    mini->Doc->moveCursor(QTextCursor::End);
    mini->Doc->setFocus();
    QTest::keyClick(mini->Doc, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(mini->Doc, QStringLiteral("more "));
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());

    QVERIFY(w->isVisible());
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("body two\r\nmore "));
    QTRY_COMPARE(QApplication::focusWidget(), asWidget(w->Doc1));
    QCOMPARE(w->currentSlot(), short(1));
    QVERIFY(w->DocSelect[1]->isChecked());
    QCOMPARE(w->Doc0->text(), QStringLiteral("title two"));
    QCOMPARE(w->Info[0]->text(), QStringLiteral("handle"));
    QCOMPARE(w->Info[2]->text(), QStringLiteral("http://example.org/"));
    QVERIFY(w->LockText->isChecked());
    QVERIFY(w->Info[0]->isReadOnly());
    QCOMPARE(widgets::shortTexts(w->FaceIcon),
             (QStringList{QStringLiteral("s1"), QStringLiteral("s2")}));
    QVERIFY(!m_store.has(QStringLiteral("Data/str2")));

    // Pressing "小さくする" again shows the body as it was left.
    mini = openMini(*w);
    QVERIFY(mini);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("body two\r\nmore "));
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());

    // The edits belong to slot "②"; slot "①" keeps its own body.
    QTest::mouseClick(w->DocSelect[0], Qt::LeftButton);
    QVERIFY(widgets::bodyText(w->Doc1).isEmpty());
    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("body two\r\nmore "));

    // Handed back to a slot left untouched since the switch: the next switch keeps the mini
    // window's text, not the one the slot was loaded with.
    mini = openMini(*w);
    QVERIFY(mini);
    QTest::keyClicks(mini->Doc, QStringLiteral("> "));
    QTest::mouseClick(mini->Command1, Qt::LeftButton);
    QTRY_VERIFY(mini.isNull());
    QTest::mouseClick(w->DocSelect[0], Qt::LeftButton);
    QCOMPARE(w->slotBody(1), QStringLiteral("> body two\r\nmore "));
    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);

    QTest::mouseClick(w->Command1, Qt::LeftButton); // おわり
    QVERIFY(!w->isVisible());
    QCOMPARE(m_store.stored(QStringLiteral("Data/str2")), QStringLiteral("> body two\r\nmore\r\n"));
    QCOMPARE(m_store.stored(QStringLiteral("Data/str1")), QString());
}

void TestMini::programClosesAreNotTheCloseBox()
{
    auto w = support::shownMain(m_store.path());
    widgets::setBodyText(w->Doc1, QStringLiteral("one"));

    // QWidget::close() from the program: the body goes back and the main window returns.
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("two"));
    QVERIFY(mini->close());
    QTRY_VERIFY(mini.isNull());
    QVERIFY(w->isVisible());
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("two"));

    // QWindow::close() is the program's close as well, not the window system's.
    mini = openMini(*w);
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("three"));
    QVERIFY(mini->windowHandle()->close());
    QTRY_VERIFY(mini.isNull());
    QVERIFY(w->isVisible());
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("three"));
    QVERIFY(!m_store.has(QStringLiteral("Data/str1")));
}

void TestMini::closeBoxHandsTheBodyBackAndSaves()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("keep")});
    w->Doc0->setText(QStringLiteral(" title "));
    QTest::mouseClick(w->DocSelect[2], Qt::LeftButton);
    w->Doc0->setText(QStringLiteral("third"));
    widgets::setBodyText(w->Doc1, QStringLiteral("x"));

    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("  edited in the mini window \r\n\r\n\r\n"));
    pressCloseBox(mini);
    QTRY_VERIFY(mini.isNull());
    QVERIFY(!w->isVisible());

    QCOMPARE(widgets::bodyText(w->Doc1),
             QStringLiteral("  edited in the mini window \r\n\r\n\r\n"));
    // Finished: the line breaks at the end go; the space before them is not at an end.
    QCOMPARE(m_store.stored(QStringLiteral("Data/str3")),
             QStringLiteral("edited in the mini window \r\n"));
    QCOMPARE(m_store.stored(QStringLiteral("Data/Title3")), QStringLiteral("third"));
    QCOMPARE(m_store.stored(QStringLiteral("Data/Title1")), QStringLiteral(" title "));
    QCOMPARE(m_store.stored(QStringLiteral("Data/tanbun0")), QStringLiteral("keep"));
    QCOMPARE(m_store.stored(QStringLiteral("Setting/Lock")), QStringLiteral("unlock"));

    // The next start finds the edited body in slot "③".
    Tesserin again(m_store.factory());
    QCOMPARE(again.slotBody(2), QStringLiteral("edited in the mini window \r\n"));
}

void TestMini::systemEndSavesTheMiniText()
{
    auto w = support::shownMain(m_store.path());
    widgets::setBodyText(w->Doc1, QStringLiteral("before"));
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("typed in the mini window"));

    w->systemClose();
    QTRY_VERIFY(mini.isNull());
    QTRY_VERIFY(m_store.has(QStringLiteral("Data/str1")));
    QVERIFY(!w->isVisible());
    QCOMPARE(m_store.stored(QStringLiteral("Data/str1")),
             QStringLiteral("typed in the mini window\r\n"));
}

void TestMini::systemEndWithThePickerOpenOverTheMiniWindow()
{
    auto w = support::shownMain(m_store.path());
    QPointer<frmMini> mini = openMini(*w);
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("mid-pick"));

    const auto picked = support::onModal<GetFace>([&](GetFace &) { w->systemClose(); });
    QTest::mouseClick(mini->Command3, Qt::LeftButton); // returns once the picker has closed
    QVERIFY(picked->seen && !picked->leftOpen);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QTRY_VERIFY(mini.isNull());
    QTRY_VERIFY(m_store.has(QStringLiteral("Data/str1")));
    QVERIFY(!w->isVisible());
    QCOMPARE(m_store.stored(QStringLiteral("Data/str1")), QStringLiteral("mid-pick\r\n"));
}

QTEST_MAIN(TestMini)
#include "test_mini.moc"
