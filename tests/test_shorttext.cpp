#include "NotebookFixture.h"
#include "notebook/NotebookStore.h"
#include "notebook/Tesserin.h"
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
#include <QSettings>
#include <QSpontaneKeyEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>
#include <limits>
#include <memory>

namespace {

QStringList comboItems(const QComboBox *box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QStringList listItems(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

int selectedRow(const QListWidget *list)
{
    const QList<QListWidgetItem *> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

// What the window system does when the user presses the close box: a spontaneous close event
// to the widget's native window. QWidget::close() and QWindow::close() both count as the
// program's own close, and QCoreApplication::sendEvent() would clear the spontaneous flag.
void pressCloseBox(QWidget *window)
{
    QCloseEvent event;
    QSpontaneKeyEvent::setSpontaneous(&event);
    QCoreApplication::instance()->notify(window->windowHandle(), &event);
}

void clickItem(QListWidget *list, int row)
{
    const QRect place = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

void registerText(frmFace &dlg, const QString &text)
{
    dlg.Text1->setText(text);
    QTest::mouseClick(dlg.Command1, Qt::LeftButton);
}

// How a run of the registration window ended.
struct Visit
{
    bool opened = false;
    bool closedByAction = false;
};

// Opens the registration window from the main window's menu, runs the action on it and
// returns once it has closed. A window that the action leaves open is closed by "終了" so that
// a failing check cannot leave the test waiting in the window's loop.
Visit visitRegistration(Tesserin &w, const std::function<void(frmFace &)> &action)
{
    Visit visit;
    QTimer::singleShot(0, &w, [&] {
        auto *dlg = qobject_cast<frmFace *>(QApplication::activeModalWidget());
        if (!dlg) {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *other = qobject_cast<frmFace *>(top); other && other->isVisible())
                    other->close();
            return;
        }
        visit.opened = true;
        action(*dlg);
        visit.closedByAction = !dlg->isVisible();
        if (dlg->isVisible())
            dlg->Command3->click();
    });
    w.FaceSet->trigger();
    return visit;
}

} // namespace

class TestShortText : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void rulesTrimAndCompareExactly();
    void windowIsLaidOutAsDesigned();
    void everyOpeningStartsAfresh();
    void registeringFollowsTheRules();
    void repeatedItemsStayRepeated();
    void deletingSelectsTheFirstRemainingItem();
    void userSelectionShowsTheItem();
    void enterAndEscapePressNothing();
    void everyWayOfClosingWritesTheListBack_data();
    void everyWayOfClosingWritesTheListBack();
    void fullListTakesNoMoreButStillSelects();
    void systemEndAppliesTheListAndSaves();

private:
    std::unique_ptr<Tesserin> makeMain(const QStringList &shortTexts = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_ini;
};

void TestShortText::initTestCase()
{
    // The hidden or closed main window must not end the test program.
    QApplication::setQuitOnLastWindowClosed(false);
}

void TestShortText::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_ini = m_dir->filePath(QStringLiteral("store.ini"));
}

std::unique_ptr<Tesserin> TestShortText::makeMain(const QStringList &shortTexts)
{
    return fixture::shownMain(m_ini, shortTexts);
}

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
    auto w = makeMain({QStringLiteral("a")});
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
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
            QVERIFY(buttons[i]->styleSheet().contains(widgets::colour::Apricot.name()));
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
    QVERIFY(visit.opened);
}

void TestShortText::everyOpeningStartsAfresh()
{
    auto w = makeMain({QStringLiteral("a"), QStringLiteral("b")});
    Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(selectedRow(dlg.List1), -1);
        QVERIFY(dlg.Text1->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.List1));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.List1));
        registerText(dlg, QStringLiteral("c"));
        dlg.Text1->setText(QStringLiteral("left over"));
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    QVERIFY(visit.opened);
    QVERIFY(visit.closedByAction);

    visit = visitRegistration(*w, [&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1),
                 (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
        QCOMPARE(selectedRow(dlg.List1), -1);
        QVERIFY(dlg.Text1->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), static_cast<QWidget *>(dlg.List1));
        QTest::mouseClick(dlg.Command3, Qt::LeftButton);
    });
    QVERIFY(visit.opened);
    QVERIFY(visit.closedByAction);
    // The main window gets its body focus back, as on every return from a modal window.
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(w->Doc1));
}

void TestShortText::registeringFollowsTheRules()
{
    auto w = makeMain();
    QCOMPARE(w->FaceIcon->count(), 0);
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
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
    QVERIFY(visit.opened);
    QVERIFY(visit.closedByAction);
    const QStringList expected{QStringLiteral("abc"),           QStringLiteral("def"),
                               QStringLiteral("ABC"),           QStringLiteral("ａｂｃ"),
                               QStringLiteral("ｱｲｳ"),           QStringLiteral("アイウ"),
                               QStringLiteral("あいう"),        QStringLiteral("\u3000abc\u3000"),
                               QString(40000, QLatin1Char('x'))};
    QCOMPARE(comboItems(w->FaceIcon), expected);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestShortText::repeatedItemsStayRepeated()
{
    const QStringList start{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("x")};
    auto w = makeMain(start);
    QCOMPARE(comboItems(w->FaceIcon), start);

    // Opening and closing without a change rebuilds the same list.
    Visit visit = visitRegistration(*w, [](frmFace &dlg) { dlg.Command3->click(); });
    QVERIFY(visit.closedByAction);
    QCOMPARE(comboItems(w->FaceIcon), start);

    visit = visitRegistration(*w, [&](frmFace &dlg) {
        QCOMPARE(listItems(dlg.List1), start);
        registerText(dlg, QStringLiteral("y"));
        QCOMPARE(selectedRow(dlg.List1), 1);
        registerText(dlg, QStringLiteral(" x"));
        QCOMPARE(selectedRow(dlg.List1), 0); // the first of the equal items
        QCOMPARE(dlg.Text1->text(), QStringLiteral("x"));
        QCOMPARE(listItems(dlg.List1), start);
        dlg.Command3->click();
    });
    QVERIFY(visit.closedByAction);
    QCOMPARE(comboItems(w->FaceIcon), start);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestShortText::deletingSelectsTheFirstRemainingItem()
{
    auto w = makeMain({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
        // Nothing selected: nothing happens.
        dlg.Text1->setText(QStringLiteral("typed"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(dlg.List1->count(), 3);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("typed"));

        clickItem(dlg.List1, 1);
        QCOMPARE(selectedRow(dlg.List1), 1);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("b"));
        QTest::mouseClick(dlg.Command2, Qt::LeftButton);
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("a"));

        // Deleting the last item of the list also goes back to the first.
        clickItem(dlg.List1, 1);
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
    QVERIFY(visit.closedByAction);
    QCOMPARE(w->FaceIcon->count(), 0);

    // The emptied list is what the store keeps.
    w->close();
    QSettings s(m_ini, QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Data/tanbun0")).toString(), QString());
}

void TestShortText::userSelectionShowsTheItem()
{
    auto w = makeMain({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
        // With nothing selected the first Down selects the first item, not the second.
        dlg.List1->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(dlg.List1, Qt::Key_Down);
        QCOMPARE(selectedRow(dlg.List1), 0);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("one"));
        clickItem(dlg.List1, 2);
        QCOMPARE(dlg.Text1->text(), QStringLiteral("three"));
        // Typing over it and clicking the same item again shows the item again.
        dlg.Text1->setText(QStringLiteral("edited"));
        clickItem(dlg.List1, 2);
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
    QVERIFY(visit.closedByAction);
}

void TestShortText::enterAndEscapePressNothing()
{
    auto w = makeMain({QStringLiteral("a")});
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
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
        QTest::keyClick(dlg.Command1, Qt::Key_Return);
        QTest::keyClick(dlg.Command1, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.List1->count(), 1);
        for (QPushButton *button : {dlg.Command1, dlg.Command2, dlg.Command3})
            QVERIFY(!button->isDefault());
        // Space presses the focused button, as everywhere.
        QTest::keyClick(dlg.Command1, Qt::Key_Space);
        QCOMPARE(listItems(dlg.List1), (QStringList{QStringLiteral("a"), QStringLiteral("new")}));
    });
    QVERIFY(visit.opened);
    QVERIFY(!visit.closedByAction);
    QCOMPARE(comboItems(w->FaceIcon), (QStringList{QStringLiteral("a"), QStringLiteral("new")}));
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
    auto w = makeMain({QStringLiteral("a"), QStringLiteral("b")});
    w->FaceIcon->setCurrentIndex(1);
    int rebuilt = 0;
    connect(w->FaceIcon->model(), &QAbstractItemModel::rowsInserted, w.get(), [&] { ++rebuilt; });

    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
        clickItem(dlg.List1, 0);
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
    QVERIFY(visit.opened);
    QVERIFY(visit.closedByAction);
    QCOMPARE(comboItems(w->FaceIcon), (QStringList{QStringLiteral("b"), QStringLiteral("c")}));
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
    QCOMPARE(rebuilt, 1); // handed back once, however many close paths it passed
}

void TestShortText::fullListTakesNoMoreButStillSelects()
{
    auto w = makeMain();
    QStringList full;
    for (int i = 0; i < store::MaxShortTexts; ++i)
        full.append(QStringLiteral("t%1").arg(i));
    w->FaceIcon->addItems(full);
    w->FaceIcon->setCurrentIndex(-1);

    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
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
    QVERIFY(visit.closedByAction);
    QCOMPARE(w->FaceIcon->count(), 32766);
    QCOMPARE(w->FaceIcon->itemText(5), QStringLiteral("t6"));
    QCOMPARE(w->FaceIcon->itemText(32765), QStringLiteral("new"));

    // The whole list survives a restart.
    w->close();
    const QString path = m_ini;
    Tesserin again([path] { return std::make_unique<QSettings>(path, QSettings::IniFormat); });
    QCOMPARE(again.FaceIcon->count(), 32766);
    QCOMPARE(again.FaceIcon->itemText(32765), QStringLiteral("new"));
}

void TestShortText::systemEndAppliesTheListAndSaves()
{
    auto w = makeMain({QStringLiteral("a")});
    w->Doc0->setText(QStringLiteral("title"));
    const Visit visit = visitRegistration(*w, [&](frmFace &dlg) {
        registerText(dlg, QStringLiteral("z"));
        w->systemClose();
    });
    QVERIFY(visit.opened);
    QVERIFY(visit.closedByAction);
    QTRY_VERIFY(!w->isVisible());

    QSettings s(m_ini, QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Data/tanbun0")).toString(), QStringLiteral("a"));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun1")).toString(), QStringLiteral("z"));
    QVERIFY(s.contains(QStringLiteral("Data/tanbun2")));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun2")).toString(), QString());
    QCOMPARE(s.value(QStringLiteral("Data/Title1")).toString(), QStringLiteral("title"));
}

QTEST_MAIN(TestShortText)
#include "test_shorttext.moc"
