// SPDX-License-Identifier: MIT
#include "Support.h"

#include "notebook/Tesserin.h"
#include "notebook/store/NotebookStore.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/Twips.h"
#include "shorttext/ShortTextRules.h"
#include "shorttext/frmFace.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <limits>
#include <memory>

using support::clickRow;
using support::listItems;
using support::pressCloseBox;
using widgets::selectedRow;

namespace {

void registerText(frmFace &dlg, const QString &text)
{
    dlg.Text1->setText(text);
    QTest::mouseClick(dlg.Command1, Qt::LeftButton);
}

} // namespace

class TestShortText : public QObject
{
    Q_OBJECT
private slots:

    void rulesTrimAndCompareExactly();
    void windowIsLaidOutAsDesigned();
    void everyOpeningStartsAfresh();
    void registeringFollowsTheRules();
    void repeatedItemsStayRepeated();
    void deletingSelectsTheFirstRemainingItem();
    void userSelectionShowsTheItem();
    void enterAndEscapePressNothing();
    void longListKeepsWholeRows();
    void everyWayOfClosingWritesTheListBack_data();
    void everyWayOfClosingWritesTheListBack();
    void fullListTakesNoMoreButStillSelects();
    void systemEndAppliesTheListAndSaves();

private:
    support::TempStore m_store;
};

void TestShortText::rulesTrimAndCompareExactly()
{
    // Only U+0020 is trimmed; the ideographic space and tabs are the user's text.
    QCOMPARE(ShortTextRules::registeredForm(QStringLiteral("  abc  ")), QStringLiteral("abc"));
    QCOMPARE(ShortTextRules::registeredForm(QStringLiteral("a b")), QStringLiteral("a b"));
    QCOMPARE(ShortTextRules::registeredForm(QStringLiteral("   ")), QString());
    QCOMPARE(ShortTextRules::registeredForm(QString()), QString());
    QCOMPARE(ShortTextRules::registeredForm(QStringLiteral(" \u3000x\u3000 ")),
             QStringLiteral("\u3000x\u3000"));
    QCOMPARE(ShortTextRules::registeredForm(QStringLiteral("\tx ")), QStringLiteral("\tx"));

    const QStringList items{QStringLiteral("abc"), QStringLiteral("ABC"), QStringLiteral("ｱｲｳ"),
                            QStringLiteral("abc")};
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("abc")), 0);
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("ABC")), 1);
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("Abc")), -1);
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("ａｂｃ")), -1); // full width
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("アイウ")), -1); // full-width kana
    QCOMPARE(ShortTextRules::firstEqual(items, QStringLiteral("ｱｲｳ")), 2);
    QCOMPARE(ShortTextRules::firstEqual({}, QStringLiteral("abc")), -1);

    QVERIFY(ShortTextRules::hasRoom(0));
    QVERIFY(ShortTextRules::hasRoom(32765));
    QVERIFY(!ShortTextRules::hasRoom(32766));
    QCOMPARE(ShortTextRules::selectionAfterDelete(0), -1);
    QCOMPARE(ShortTextRules::selectionAfterDelete(1), 0);
    QCOMPARE(ShortTextRules::selectionAfterDelete(32765), 0);
}

void TestShortText::windowIsLaidOutAsDesigned()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a")});
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(dlg.windowTitle(), QStringLiteral("短文登録"));
        QCOMPARE(dlg.objectName(), QStringLiteral("frmFace"));
        QVERIFY(dlg.isModal());
        QCOMPARE(dlg.parentWidget(), nullptr);
        QCOMPARE(dlg.windowHandle()->transientParent(), w->windowHandle());
        QCOMPARE(dlg.size(), widgets::twipsSize(4680, 3195));
        // The default sizable frame.
        QCOMPARE(dlg.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QVERIFY(!(dlg.windowFlags() & Qt::MSWindowsFixedSizeDialogHint));
        const QPoint centre = dlg.frameGeometry().center();
        const QPoint mainCentre = w->frameGeometry().center();
        QVERIFY2((centre - mainCentre).manhattanLength() <= 2, "not centred over the main window");

        QCOMPARE(dlg.palette().color(QPalette::Window), widgets::colour::Maroon);
        QVERIFY(dlg.autoFillBackground());

        QCOMPARE(dlg.List1->objectName(), QStringLiteral("List1"));
        QCOMPARE(dlg.List1->geometry(), widgets::twipsRect(210, 210, 2145, 2760));
        QCOMPARE(dlg.List1->palette().color(QPalette::Base), widgets::colour::LightYellow);
        QCOMPARE(dlg.List1->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!dlg.List1->isSortingEnabled());

        QCOMPARE(dlg.Text1->objectName(), QStringLiteral("Text1"));
        QCOMPARE(dlg.Text1->geometry(), widgets::twipsRect(2565, 480, 1905, 345));
        QCOMPARE(dlg.Text1->palette().color(QPalette::Base), widgets::colour::LightYellow);
        QCOMPARE(dlg.Text1->maxLength(), std::numeric_limits<int>::max());

        const std::array<QPushButton *, 3> buttons{dlg.Command1, dlg.Command2, dlg.Command3};
        const std::array<QString, 3> captions{QStringLiteral("登録"), QStringLiteral("削除"),
                                              QStringLiteral("終了")};
        const std::array<QRect, 3> places{widgets::twipsRect(2625, 1290, 840, 495),
                                          widgets::twipsRect(3555, 1290, 840, 495),
                                          widgets::twipsRect(2925, 2400, 1215, 495)};
        for (std::size_t i = 0; i < buttons.size(); ++i) {
            QCOMPARE(buttons[i]->objectName(), QStringLiteral("Command%1").arg(i + 1));
            QCOMPARE(buttons[i]->text(), captions[i]);
            QCOMPARE(buttons[i]->geometry(), places[i]);
            QCOMPARE(buttons[i]->palette().color(QPalette::Button), widgets::colour::Apricot);
            QCOMPARE(support::faceColour(buttons[i]), widgets::colour::Apricot);
            QVERIFY(!buttons[i]->isDefault());
            QVERIFY(!buttons[i]->autoDefault());
        }

        // Tab goes List1, Text1, 登録, 削除, 終了 and round again.
        dlg.List1->setFocus();
        const std::array<QWidget *, 5> order{dlg.List1, dlg.Text1, dlg.Command1, dlg.Command2,
                                             dlg.Command3};
        for (std::size_t i = 0; i < order.size(); ++i) {
            QTRY_COMPARE(QApplication::focusWidget(), order[i]);
            QTest::keyClick(order[i], Qt::Key_Tab);
        }
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.List1));

        // Resizing moves nothing.
        dlg.resize(dlg.width() + 100, dlg.height() + 80);
        QCOMPARE(dlg.List1->geometry(), widgets::twipsRect(210, 210, 2145, 2760));
        QCOMPARE(dlg.Command3->geometry(), widgets::twipsRect(2925, 2400, 1215, 495));
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen);
}

void TestShortText::everyOpeningStartsAfresh()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a"), QStringLiteral("b")});
    auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(selectedRow(dlg.List1), -1);
        QVERIFY(dlg.Text1->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.List1));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.List1));
        registerText(dlg, QStringLiteral("c"));
        dlg.Text1->setText(QStringLiteral("left over"));
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);

    visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(selectedRow(dlg.List1), -1);
        QVERIFY(dlg.Text1->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.List1));
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    // The main window gets its body focus back, as on every return from a modal window.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->Doc1));
}

void TestShortText::registeringFollowsTheRules()
{
    auto w = support::shownMain(m_store.path());
    QCOMPARE(w->FaceIcon->count(), 0);
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(dlg.List1->count(), 0);

        registerText(dlg, QStringLiteral("abc"));
        QCOMPARE(listItems(dlg.List1), QStringList{QStringLiteral("abc")});
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("abc"));

        // Equal after trimming: nothing added; the selected item is selected again, so Text1
        // shows it without the spaces.
        registerText(dlg, QStringLiteral("  abc  "));
        QCOMPARE(dlg.List1->count(), 1);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("abc"));

        registerText(dlg, QStringLiteral("  def "));
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("abc"), QStringLiteral("def")}));
        QCOMPARE(selectedRow(dlg.List1), 1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("def"));

        registerText(dlg, QStringLiteral("abc "));
        QCOMPARE(dlg.List1->count(), 2);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("abc"));

        // Spaces only, or nothing: no change at all, Text1 keeps what was typed.
        registerText(dlg, QStringLiteral("    "));
        QCOMPARE(dlg.List1->count(), 2);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("    "));
        registerText(dlg, QString());
        QCOMPARE(dlg.List1->count(), 2);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QVERIFY(dlg.Text1->text().isEmpty());

        // Case, width and kana are not folded; the ideographic space is kept.
        const QStringList distinct{QStringLiteral("ABC"),    QStringLiteral("ａｂｃ"),
                                   QStringLiteral("ｱｲｳ"),    QStringLiteral("アイウ"),
                                   QStringLiteral("あいう"), QStringLiteral("\u3000abc\u3000")};
        for (const QString &text : distinct) {
            registerText(dlg, QStringLiteral(" ") + text + QStringLiteral(" "));
            QCOMPARE(dlg.List1->item(dlg.List1->count() - 1)->text(), text);
            QCOMPARE(selectedRow(dlg.List1), dlg.List1->count() - 1);
            QCOMPARE(dlg.Text1->text(), text);
        }
        QCOMPARE(dlg.List1->count(), 2 + distinct.size());

        // A long text goes in whole.
        const QString longText(40000, QLatin1Char('x'));
        dlg.Text1->setText(longText);
        QCOMPARE(dlg.Text1->text().size(), longText.size());
        QTest::mouseClick(dlg.Command1, Qt::LeftButton);
        QCOMPARE(dlg.List1->item(dlg.List1->count() - 1)->text(), longText);

        // Nothing reaches the main window before the window closes.
        QCOMPARE(w->FaceIcon->count(), 0);
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    const QStringList expected{QStringLiteral("abc"),           QStringLiteral("def"),
                               QStringLiteral("ABC"),           QStringLiteral("ａｂｃ"),
                               QStringLiteral("ｱｲｳ"),           QStringLiteral("アイウ"),
                               QStringLiteral("あいう"),        QStringLiteral("\u3000abc\u3000"),
                               QString(40000, QLatin1Char('x'))};
    QCOMPARE(widgets::shortTexts(w->FaceIcon), expected);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestShortText::repeatedItemsStayRepeated()
{
    const QStringList start{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("x")};
    auto w = support::shownMain(m_store.path(), start);
    QCOMPARE(widgets::shortTexts(w->FaceIcon), start);

    // Opening and closing without a change rebuilds the same list.
    auto visit = support::onModal<frmFace>([](frmFace &dlg) { dlg.Command3->click(); });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(widgets::shortTexts(w->FaceIcon), start);

    visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1), start);
        registerText(dlg, QStringLiteral("y"));
        QCOMPARE(selectedRow(dlg.List1), 1);
        registerText(dlg, QStringLiteral(" x"));
        QCOMPARE(selectedRow(dlg.List1), 0); // the first of the equal items
        QCOMPARE(dlg.Text1->text(), QStringLiteral("x"));
        QCOMPARE(listItems(dlg.List1), start);
        dlg.Command3->click();
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(widgets::shortTexts(w->FaceIcon), start);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestShortText::deletingSelectsTheFirstRemainingItem()
{
    auto w = support::shownMain(m_store.path(),
                                {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        // Nothing selected: nothing happens.
        dlg.Text1->setText(QStringLiteral("typed"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 3);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("typed"));

        clickRow(dlg.List1, 1);
        QCOMPARE(selectedRow(dlg.List1), 1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("b"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("a"));

        // Deleting the last item of the list also goes back to the first.
        clickRow(dlg.List1, 1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("c"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(listItems(dlg.List1), QStringList{QStringLiteral("a")});
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("a"));

        // The last remaining item: an empty list, no selection, Text1 as it was.
        dlg.Text1->setText(QStringLiteral("still here"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 0);
        QCOMPARE(selectedRow(dlg.List1), -1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("still here"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("still here"));
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(w->FaceIcon->count(), 0);

    // The emptied list is what the store keeps.
    w->close();
    QSettings s(m_store.path(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Data/tanbun0")).toString(), QString());
}

void TestShortText::userSelectionShowsTheItem()
{
    auto w = support::shownMain(
        m_store.path(), {QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        // With nothing selected the first Down selects the first item, not the second.
        dlg.List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(dlg.List1, Qt::Key_Down);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("one"));
        clickRow(dlg.List1, 2);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("three"));
        // Typing over it and clicking the same item again shows the item again.
        dlg.Text1->setText(QStringLiteral("edited"));
        clickRow(dlg.List1, 2);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("three"));
        // The arrow keys select as well.
        dlg.List1->setFocus();
        QTest::keyClick(dlg.List1, Qt::Key_Up);
        QCOMPARE(selectedRow(dlg.List1), 1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("two"));
        // Registering the shown text adds nothing.
        QTest::mouseClick(dlg.Command1, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 3);
        dlg.Command3->click();
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
}

void TestShortText::enterAndEscapePressNothing()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a")});
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        dlg.Text1->setFocus();
        QTest::keyClicks(dlg.Text1, QStringLiteral("new"));
        QTest::keyClick(dlg.Text1, Qt::Key_Return);
        QTest::keyClick(dlg.Text1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(listItems(dlg.List1), QStringList{QStringLiteral("a")});
        QVERIFY(dlg.isVisible());

        QTest::keyClick(dlg.Text1, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        dlg.List1->setFocus();
        QTest::keyClick(dlg.List1, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        dlg.Command1->setFocus();
        QTest::keyClick(dlg.Command1, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.List1->count(), 1);
        for (QPushButton *button : {dlg.Command1, dlg.Command2, dlg.Command3})
            QVERIFY(!button->isDefault());
        // Space, Enter and the keypad's Enter press the focused button, as everywhere.
        QTest::keyClick(dlg.Command1, Qt::Key_Return);
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("new")}));
        dlg.Text1->setText(QStringLiteral("two"));
        QTest::keyClick(dlg.Command1, Qt::Key_Space);
        dlg.Text1->setText(QStringLiteral("three"));
        QTest::keyClick(dlg.Command1, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(listItems(dlg.List1),
                 (QStringList{QStringLiteral("a"), QStringLiteral("new"), QStringLiteral("two"),
                              QStringLiteral("three")}));
        // Enter in the box after pressing a button still presses nothing: no button has
        // become the default by having had the focus.
        dlg.Text1->setText(QStringLiteral("four"));
        dlg.Text1->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dlg.Text1, Qt::Key_Return);
        QCOMPARE(dlg.List1->count(), 4);
        dlg.Command3->setFocus(Qt::TabFocusReason);
        QTest::keyClick(dlg.Command3, Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(widgets::shortTexts(w->FaceIcon),
             (QStringList{QStringLiteral("a"), QStringLiteral("new"), QStringLiteral("two"),
                          QStringLiteral("three")}));
}

void TestShortText::longListKeepsWholeRows()
{
    const QString wide = QStringLiteral("とても長い短文、リストの幅よりずっと長いもの");
    QStringList texts;
    for (int i = 0; i < 30000; ++i)
        texts << QStringLiteral("短文%1").arg(i);
    texts.insert(100, wide);
    texts << QStringLiteral("z");
    auto w = support::shownMain(m_store.path());
    widgets::setShortTexts(w->FaceIcon, texts);
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QListWidget *list = dlg.List1;
        const int needed = QFontMetrics(list->font()).horizontalAdvance(wide);
        const auto whole = [&] {
            return list->horizontalScrollBar()->maximum() > 0 &&
                   list->visualItemRect(list->item(100)).width() >= needed &&
                   list->visualItemRect(list->item(list->count() - 1)).width() >= needed;
        };
        QTRY_VERIFY(whole());
        // A short text registered at the end, a deletion, a text wider than all: whole rows.
        registerText(dlg, QStringLiteral("y"));
        QTRY_VERIFY(whole());
        QCOMPARE(list->currentRow(), list->count() - 1);
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QTRY_VERIFY(whole());
        registerText(dlg, wide + wide);
        QTRY_VERIFY(list->visualItemRect(list->item(0)).width() >=
                    QFontMetrics(list->font()).horizontalAdvance(wide + wide));

        // Home, End and the page keys on 30,000 rows.
        list->setFocus(Qt::TabFocusReason);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentRow(), list->count() - 1);
        QTest::keyClick(list, Qt::Key_PageUp);
        const int page = list->count() - 1 - list->currentRow();
        QVERIFY(page > 3 && page < 30);
        QTest::keyClick(list, Qt::Key_PageDown);
        QCOMPARE(list->currentRow(), list->count() - 1);
        QCOMPARE(dlg.Text1->text(), wide + wide);
        dlg.close();
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
}

void TestShortText::everyWayOfClosingWritesTheListBack_data()
{
    QTest::addColumn<QString>("way");
    QTest::newRow("終了") << QStringLiteral("button");
    QTest::newRow("close box") << QStringLiteral("closeBox");
    QTest::newRow("close()") << QStringLiteral("close");
    QTest::newRow("reject()") << QStringLiteral("reject");
    QTest::newRow("accept()") << QStringLiteral("accept");
    QTest::newRow("done()") << QStringLiteral("done");
}

void TestShortText::everyWayOfClosingWritesTheListBack()
{
    QFETCH(QString, way);
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a"), QStringLiteral("b")});
    w->FaceIcon->setCurrentIndex(1);
    int rebuilt = 0;
    connect(w->FaceIcon->model(), &QAbstractItemModel::rowsInserted, w.get(), [&] { ++rebuilt; });
    connect(w->FaceIcon->model(), &QAbstractItemModel::modelReset, w.get(), [&] { ++rebuilt; });

    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        clickRow(dlg.List1, 0);
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        registerText(dlg, QStringLiteral("c"));
        if (way == QLatin1String("button"))
            QTest::mouseClick(dlg.Command3, Qt::LeftButton);
        else if (way == QLatin1String("closeBox"))
            pressCloseBox(&dlg);
        else if (way == QLatin1String("close"))
            dlg.close();
        else if (way == QLatin1String("reject"))
            dlg.reject();
        else if (way == QLatin1String("accept"))
            dlg.accept();
        else
            dlg.done(7);
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(widgets::shortTexts(w->FaceIcon),
             (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
    QCOMPARE(rebuilt, 1); // handed back once, however many close paths it passed
}

void TestShortText::fullListTakesNoMoreButStillSelects()
{
    auto w = support::shownMain(m_store.path());
    QStringList full;
    for (int i = 0; i < store::MaxShortTexts; ++i)
        full.append(QStringLiteral("t%1").arg(i));
    w->FaceIcon->addItems(full);
    w->FaceIcon->setCurrentIndex(-1);

    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        QCOMPARE(dlg.List1->count(), 32766);

        registerText(dlg, QStringLiteral("t32765"));
        QCOMPARE(dlg.List1->count(), 32766);
        QCOMPARE(selectedRow(dlg.List1), 32765);

        registerText(dlg, QStringLiteral(" t5 "));
        QCOMPARE(selectedRow(dlg.List1), 5);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("t5"));

        // No room: nothing added, the selection and the typed text stay.
        registerText(dlg, QStringLiteral("new"));
        QCOMPARE(dlg.List1->count(), 32766);
        QCOMPARE(selectedRow(dlg.List1), 5);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("new"));

        // One deleted makes room for one.
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 32765);
        registerText(dlg, QStringLiteral("new"));
        QCOMPARE(dlg.List1->count(), 32766);
        QCOMPARE(selectedRow(dlg.List1), 32765);
        registerText(dlg, QStringLiteral("newer"));
        QCOMPARE(dlg.List1->count(), 32766);
        QCOMPARE(selectedRow(dlg.List1), 32765);
        dlg.Command3->click();
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QCOMPARE(w->FaceIcon->count(), 32766);
    QCOMPARE(w->FaceIcon->itemText(5), QStringLiteral("t6"));
    QCOMPARE(w->FaceIcon->itemText(32765), QStringLiteral("new"));

    // The whole list survives a restart.
    w->close();
    Tesserin again(m_store.factory());
    QCOMPARE(again.FaceIcon->count(), 32766);
    QCOMPARE(again.FaceIcon->itemText(32765), QStringLiteral("new"));
}

void TestShortText::systemEndAppliesTheListAndSaves()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("a")});
    w->Doc0->setText(QStringLiteral("title"));
    const auto visit = support::onModal<frmFace>([&](frmFace &dlg) {
        registerText(dlg, QStringLiteral("z"));
        w->systemClose();
    });
    w->FaceSet->trigger();
    QVERIFY(visit->seen && !visit->leftOpen);
    QTRY_VERIFY(!w->isVisible());

    QSettings s(m_store.path(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Data/tanbun0")).toString(), QStringLiteral("a"));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun1")).toString(), QStringLiteral("z"));
    QVERIFY(s.contains(QStringLiteral("Data/tanbun2")));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun2")).toString(), QString());
    QCOMPARE(s.value(QStringLiteral("Data/Title1")).toString(), QStringLiteral("title"));
}

QTEST_MAIN(TestShortText)
#include "test_shorttext.moc"
