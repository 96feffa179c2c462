// SPDX-License-Identifier: MIT
#include "Support.h"

#include "faces/GetFace.h"
#include "mini/frmMini.h"
#include "notebook/FinishText.h"
#include "notebook/store/NotebookStore.h"
#include "platform/DesktopOpen.h"
#include "platform/InstanceLock.h"
#include "platform/SystemEnd.h"
#include "platform/ini/IniWriter.h"
#include "platform/widgets/BodyText.h"
#include "platform/widgets/ShortTextBox.h"
#include "platform/widgets/Theme.h"
#include "platform/widgets/UiLanguage.h"
#include "shorttext/frmFace.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleFactory>
#include <QtTest>

#include <csignal>
#include <vector>

using support::answerNextQuestion;
using support::clipboardText;
using support::iniStore;
using support::putClipboard;

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The open pop-up menu's command whose caption is Qt's own (translated or not) for a line edit.
QAction *lineEditMenuAction(const char *qtCaption)
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    if (!menu)
        return nullptr;
    for (QAction *a : menu->actions())
        if (a->text().section(QLatin1Char('\t'), 0, 0) == QLineEdit::tr(qtCaption))
            return a;
    return nullptr;
}

// Clicks a command of the open pop-up menu with the mouse.
void clickMenuItem(QAction *action)
{
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu && action);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    QTRY_VERIFY(!QApplication::activePopupWidget());
}

// A right-click as a person makes it: the press gives an unfocused box the focus, then the
// box's own context menu opens.
void rightClick(QWidget *box)
{
    // Through the window, as the window system delivers it: the press opens the menu.
    const QPoint at = box->mapTo(box->window(), QPoint(box->width() - 8, box->height() / 2));
    QTest::mouseClick(box->window()->windowHandle(), Qt::RightButton, {}, at);
    QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()));
}

// The widget as painted at this scale, as a screen of that density shows it.
QImage rendered(QWidget *widget, qreal scale)
{
    QImage image((QSizeF(widget->size()) * scale).toSize(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

// Breeze Dark's colours, as KDE sets them.
QPalette darkPalette()
{
    QPalette dark(QColor(252, 252, 252), QColor(49, 54, 59), QColor(70, 75, 80), QColor(20, 22, 24),
                  QColor(40, 43, 47), QColor(252, 252, 252), QColor(252, 252, 252),
                  QColor(27, 30, 32), QColor(35, 38, 41));
    dark.setColor(QPalette::Highlight, QColor(61, 174, 233));
    return dark;
}

// Text stands out from its background: their greys lie far apart.
bool readable(const QPalette &p, QPalette::ColorGroup group, QPalette::ColorRole text,
              QPalette::ColorRole back)
{
    return qAbs(qGray(p.color(group, text).rgb()) - qGray(p.color(group, back).rgb())) >= 100;
}
} // namespace

class TestNotebook : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();

    void finishTextRules();
    void storeLayoutAndBounds();
    void storeRoundTripsAwkwardTexts();
    void layoutMatchesTheTables();
    void menusAndShortcuts();
    void tabOrderSkipsButtons();
    void focusShowsOnColouredButtons_data();
    void focusShowsOnColouredButtons();
    void enterPressesTheFocusedButton();
    void menuBarByKeyboard();
    void keyboardCopyGivesCrLf();
    void shortTextListDropsDownBounded_data();
    void shortTextListDropsDownBounded();
    void personalDetailsSelectWholeTextOnFocus();
    void focusComingBackKeepsTheCaret();
    void slotSwitchKeepsEveryDraft();
    void slotSwitchStoresWhatTheBoxHolds();
    void clearAsksFirstAndClearsOnlyTheBody();
    void copyCommandsPutFieldsOnClipboard();
    void bodyLineBreaksCrossTheBoxBoundary();
    void lockMakesOnlyPersonalDetailsReadOnly();
    void linksGoToTheShellUnchanged();
    void shortTextBoxInsertsAtCaret();
    void focusReturnsToBodyOnlyWhenItShould();
    void closeSavesEverything();
    void unwritableStoreIsNotASilentLoss();
    void everyControlHasAnAccessibleName();
    void readableUnderADarkPalette();
    // Last: it installs Qt's translation and the font for the rest of the program.
    void qtMenusInJapaneseAndTheProgramFont();

private:
    support::TempStore m_store;
};

void TestNotebook::cleanup()
{
    platform::setDesktopOpenRecorder({});
}

void TestNotebook::finishTextRules()
{
    // Trim once, then drop trailing CR LF pairs, then one CR LF on anything left.
    QCOMPARE(FinishText(QStringLiteral("  abc\r\n\r\n\r\n ")), QStringLiteral("abc\r\n"));
    QCOMPARE(FinishText(QStringLiteral("abc")), QStringLiteral("abc\r\n"));
    QCOMPARE(FinishText(QStringLiteral("abc\r\n\r\n\r\n")), QStringLiteral("abc\r\n"));
    QCOMPARE(FinishText(QString()), QString());
    QCOMPARE(FinishText(QStringLiteral("    ")), QString());
    QCOMPARE(FinishText(QStringLiteral("\r\n\r\n")), QString());
    QCOMPARE(FinishText(QStringLiteral("  \r\n\r\n ")), QString());
    // Spaces before the removed line breaks stay: trimming happened first.
    QCOMPARE(FinishText(QStringLiteral("abc  \r\n\r\n")), QStringLiteral("abc  \r\n"));
    // A lone LF or CR at the end is no line break.
    QCOMPARE(FinishText(QStringLiteral("abc\n")), QStringLiteral("abc\n\r\n"));
    QCOMPARE(FinishText(QStringLiteral("abc\r")), QStringLiteral("abc\r\r\n"));
    QCOMPARE(FinishText(QStringLiteral("abc\n\r\n")), QStringLiteral("abc\n\r\n"));
    // Leading line breaks, tabs and inner text stay; only U+0020 is a space.
    QCOMPARE(FinishText(QStringLiteral("\r\n\tabc")), QStringLiteral("\r\n\tabc\r\n"));
    QCOMPARE(FinishText(QStringLiteral("\u3000本文\u3000")),
             QStringLiteral("\u3000本文\u3000\r\n"));
    QCOMPARE(FinishText(QStringLiteral("\tx\t")), QStringLiteral("\tx\t\r\n"));
    QCOMPARE(FinishText(QStringLiteral("\r")), QStringLiteral("\r\r\n"));
    // Idempotent.
    for (const QString &t : {QStringLiteral(" a \r\n\r\n"), QStringLiteral("x\n"),
                             QStringLiteral("\r\n\r\nz"), QStringLiteral("  ")})
        QCOMPARE(FinishText(FinishText(t)), FinishText(t));
}

void TestNotebook::storeLayoutAndBounds()
{
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        NotebookTexts t;
        t.SlotBody = {QStringLiteral("  abc\r\n\r\n\r\n "), QString(), QStringLiteral("x")};
        t.SlotTitle = {QStringLiteral(" t1 "), QStringLiteral("t2"), QStringLiteral("t3")};
        t.Info = {QStringLiteral(" h "), QStringLiteral("m"), QStringLiteral("u")};
        t.shortTexts = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        t.locked = true;
        // Leftovers of an earlier, longer list.
        s.setValue(QStringLiteral("Data/tanbun4"), QStringLiteral("old4"));
        s.setValue(QStringLiteral("Data/tanbun5"), QStringLiteral("old5"));
        store::write(s, t);
    }
    QSettings s(m_store.path(), QSettings::IniFormat);
    QCOMPARE(s.value(QStringLiteral("Data/str1")).toString(), QStringLiteral("abc\r\n"));
    QCOMPARE(s.value(QStringLiteral("Data/str2")).toString(), QString());
    QCOMPARE(s.value(QStringLiteral("Data/str3")).toString(), QStringLiteral("x\r\n"));
    QCOMPARE(s.value(QStringLiteral("Data/Title1")).toString(), QStringLiteral(" t1 "));
    QCOMPARE(s.value(QStringLiteral("Data/info0")).toString(), QStringLiteral(" h "));
    QCOMPARE(s.value(QStringLiteral("Data/info2")).toString(), QStringLiteral("u"));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun2")).toString(), QStringLiteral("c"));
    QVERIFY(s.contains(QStringLiteral("Data/tanbun3")));
    QCOMPARE(s.value(QStringLiteral("Data/tanbun3")).toString(), QString());
    QCOMPARE(s.value(QStringLiteral("Data/tanbun4")).toString(), QStringLiteral("old4"));
    QCOMPARE(s.value(QStringLiteral("Setting/Lock")).toString(), QStringLiteral("lock"));

    NotebookTexts back = store::read(s);
    QCOMPARE(back.shortTexts, QStringList({"a", "b", "c"})); // stops at the empty tanbun3
    QVERIFY(back.locked);

    // A gap ends the list; keys after it are never read.
    s.setValue(QStringLiteral("Data/tanbun1"), QString());
    QCOMPARE(store::read(s).shortTexts, QStringList({"a"}));

    // Only the exact value "lock" locks.
    for (const QString &v :
         {QStringLiteral("Lock"), QStringLiteral(" lock"), QStringLiteral("lock "),
          QStringLiteral("LOCK"), QStringLiteral("unlock"), QString()}) {
        s.setValue(QStringLiteral("Setting/Lock"), v);
        QVERIFY2(!store::read(s).locked, qPrintable(v));
    }
    s.remove(QStringLiteral("Setting"));
    QVERIFY(!store::read(s).locked);

    // The list's bound holds whatever the store has.
    for (int i = 0; i < 32800; ++i)
        s.setValue(QStringLiteral("Data/") + store::shortTextKey(i), QStringLiteral("s%1").arg(i));
    const QStringList many = store::read(s).shortTexts;
    QCOMPARE(many.size(), 32766);
    QCOMPARE(many.last(), QStringLiteral("s32765"));

    QCOMPARE(store::shortTextKey(12), QStringLiteral("tanbun12"));
    QCOMPARE(store::Fields[0].key, u"str1");
    QCOMPARE(store::Fields[5].key, u"Title3");
    QCOMPARE(store::Fields[6].key, u"info0");
}

void TestNotebook::storeRoundTripsAwkwardTexts()
{
    const QStringList awkward{QStringLiteral("line1\r\nline2\r\n"),
                              QStringLiteral("\ttab\t"),
                              QStringLiteral("  both  "),
                              QStringLiteral("@at"),
                              QStringLiteral("a=b"),
                              QStringLiteral("semi;colon"),
                              QStringLiteral("com, ma"),
                              QStringLiteral("日本語のテキスト（＾ｏ＾）"),
                              QStringLiteral("\u3000全角"),
                              QStringLiteral("\"quoted\""),
                              QStringLiteral("back\\slash"),
                              QStringLiteral("😀 emoji"),
                              QStringLiteral("true"),
                              QStringLiteral("1")};
    NotebookTexts t;
    t.SlotTitle = {awkward[1], awkward[3], awkward[7]};
    t.Info = {awkward[4], awkward[5], awkward[6]};
    t.SlotBody = {FinishText(awkward[0]), FinishText(awkward[7]), FinishText(awkward[11])};
    t.shortTexts = awkward;

    // Through Qt's own writer (the registry's path) and through the program's one-pass writer.
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        store::write(s, t);
    }
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        const NotebookTexts back = store::read(s);
        QCOMPARE(back.SlotTitle, t.SlotTitle);
        QCOMPARE(back.Info, t.Info);
        QCOMPARE(back.SlotBody, t.SlotBody);
        QCOMPARE(back.shortTexts, t.shortTexts);
    }

    const QString big = QString(1024 * 1024 / 8, QChar(u'字')).repeated(8);
    t.SlotBody[2] = FinishText(big + CrLf + QStringLiteral("\t\"") + big);
    const QString other = m_store.file(QStringLiteral("awkward-one-pass.ini"));
    {
        QSettings s(other, QSettings::IniFormat);
        QVERIFY(store::save(s, t));
    }
    QSettings s(other, QSettings::IniFormat);
    const NotebookTexts back = store::read(s);
    QCOMPARE(back.SlotTitle, t.SlotTitle);
    QCOMPARE(back.Info, t.Info);
    QCOMPARE(back.SlotBody, t.SlotBody);
    QCOMPARE(back.shortTexts, t.shortTexts);
}

void TestNotebook::layoutMatchesTheTables()
{
    auto w = support::shownMain(m_store.path());
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillora"));
    QWidget *client = w->centralWidget();
    QCOMPARE(client->size(), QSize(522, 344));
    QCOMPARE(client->palette().color(QPalette::Window), QColor(0, 128, 128));
    // Enlarged, the window is teal around the controls; smaller, the controls stay put.
    const QRect bodyPlace = w->Doc1->geometry();
    w->resize(w->size() + QSize(200, 150));
    QTRY_COMPARE(client->size(), QSize(722, 494));
    const QImage shot = w->grab().toImage();
    QCOMPARE(shot.pixelColor(shot.width() - 3, shot.height() - 3), QColor(0, 128, 128));
    QCOMPARE(w->Doc1->geometry(), bodyPlace);
    w->resize(300, 200);
    QTRY_COMPARE(client->width(), 300);
    QCOMPARE(w->Doc1->geometry(), bodyPlace);
    QVERIFY(!w->windowIcon().isNull());
    QVERIFY(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    QVERIFY(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(w->maximumSize().width() > 522); // an ordinary sizable frame

    QCOMPARE(w->Info[0]->geometry(), QRect(105, 12, 342, 19));
    QCOMPARE(w->Info[1]->geometry(), QRect(105, 39, 342, 19));
    QCOMPARE(w->Info[2]->geometry(), QRect(105, 65, 342, 19));
    QCOMPARE(w->Doc0->geometry(), QRect(105, 92, 342, 19));
    QCOMPARE(w->Doc1->geometry(), QRect(105, 120, 342, 147));
    QCOMPARE(w->Label1[0]->geometry(), QRect(18, 14, 81, 20));
    QCOMPARE(w->Label1[1]->geometry(), QRect(18, 41, 81, 20));
    QCOMPARE(w->Label1[2]->geometry(), QRect(18, 68, 81, 20));
    QCOMPARE(w->Label1[3]->geometry(), QRect(17, 95, 81, 20));
    QCOMPARE(w->Label1[4]->geometry(), QRect(17, 127, 81, 20));
    QCOMPARE(w->Command3[0]->geometry(), QRect(456, 12, 53, 19));
    QCOMPARE(w->Command3[2]->geometry(), QRect(456, 65, 53, 19));
    QCOMPARE(w->Command3[3]->geometry(), QRect(455, 92, 53, 19));
    QCOMPARE(w->Command3[4]->geometry(), QRect(455, 170, 53, 36));
    QCOMPARE(w->Command2->geometry(), QRect(455, 238, 53, 25));
    QCOMPARE(w->FaceIcon->geometry(), QRect(107, 275, 115, 20));
    QCOMPARE(w->facebtn->geometry(), QRect(225, 275, 33, 23));
    QCOMPARE(w->DocSelect[0]->geometry(), QRect(266, 278, 55, 20));
    QCOMPARE(w->DocSelect[1]->geometry(), QRect(329, 278, 55, 20));
    QCOMPARE(w->DocSelect[2]->geometry(), QRect(394, 278, 55, 20));
    QCOMPARE(w->SiteLink->geometry(), QRect(65, 307, 94, 31));
    QCOMPARE(w->Command1->geometry(), QRect(221, 308, 81, 31));
    QCOMPARE(w->Command4->geometry(), QRect(377, 308, 81, 31));

    const QStringList labels{"ハンドル：", "メールアドレス：", "URL(Open)：", "タイトル：",
                             "本文："};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(w->Label1[i]->text(), labels[i]);
        const QColor expected = i == 2 ? QColor(255, 192, 255) : QColor(255, 255, 192);
        QCOMPARE(w->Label1[i]->palette().color(QPalette::WindowText), expected);
        QVERIFY(!w->Label1[i]->autoFillBackground());
        // Every caption fits its label in the program's font.
        QVERIFY2(QFontMetrics(w->Label1[i]->font()).horizontalAdvance(labels[i]) <= 81,
                 qPrintable(labels[i]));
        QCOMPARE(w->Command3[i]->text(), QStringLiteral("コピー"));
        QCOMPARE(w->Command3[i]->palette().color(QPalette::Button), QColor(255, 255, 128));
    }
    QCOMPARE(w->Doc1->palette().color(QPalette::Base), QColor(255, 255, 192));
    QCOMPARE(w->Doc1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(w->Doc1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w->Doc1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(w->Command2->text(), QStringLiteral("クリア"));
    QCOMPARE(w->Command2->palette().color(QPalette::Button), QColor(192, 255, 192));
    QCOMPARE(w->facebtn->text(), QStringLiteral("(^o^)"));
    QCOMPARE(w->facebtn->palette().color(QPalette::Button), QColor(255, 192, 255));
    const QStringList slotCaptions{"①", "②", "③"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(w->DocSelect[i]->text(), slotCaptions[i]);
        QVERIFY(w->DocSelect[i]->isCheckable());
        QCOMPARE(w->DocSelect[i]->palette().color(QPalette::Button), QColor(192, 255, 192));
    }
    QCOMPARE(w->SiteLink->text(), QStringLiteral("Brookfen"));
    QCOMPARE(w->Command1->text(), QStringLiteral("おわり"));
    QCOMPARE(w->Command4->text(), QStringLiteral("小さくする"));
    for (QPushButton *b : {w->SiteLink, w->Command1, w->Command4})
        QCOMPARE(b->palette().color(QPalette::Button), QColor(255, 224, 192));
    // The face really is painted in the colour, and the chosen slot's is darker, sunken.
    QCOMPARE(support::faceColour(w->Command1), QColor(255, 224, 192));
    QVERIFY(w->DocSelect[0]->isChecked());
    QCOMPARE(support::faceColour(w->DocSelect[0]), QColor(QColor(192, 255, 192).darker(115).rgb()));
    QCOMPARE(support::faceColour(w->DocSelect[1]), QColor(192, 255, 192));

    // No length limit in any box.
    const QString longText(40000, QLatin1Char('x'));
    for (QLineEdit *box : {w->Info[0], w->Info[1], w->Info[2], w->Doc0}) {
        box->setText(longText);
        QCOMPARE(box->text().size(), longText.size());
    }

    // The layout is fixed: a bigger window moves nothing.
    w->resize(900, 700);
    QCOMPARE(w->Doc1->geometry(), QRect(105, 120, 342, 147));
}

void TestNotebook::menusAndShortcuts()
{
    Tesserin w(iniStore(m_store.path()));
    const QList<QAction *> top = w.menuBar()->actions();
    QCOMPARE(top.size(), 3);
    QCOMPARE(top[0]->text(), QStringLiteral("機能"));
    QCOMPARE(top[1]->text(), QStringLiteral("コピー"));
    QCOMPARE(top[2], w.facedlg);
    QCOMPARE(w.facedlg->text(), QStringLiteral("顔文字一覧"));
    QVERIFY(!w.facedlg->menu());
    QCOMPARE(w.Function->actions(), QList<QAction *>({w.LockText, w.FaceSet}));
    QCOMPARE(w.LockText->text(), QStringLiteral("本文以外ロック"));
    QVERIFY(w.LockText->isCheckable());
    QVERIFY(!w.LockText->isChecked());
    QCOMPARE(w.FaceSet->text(), QStringLiteral("短文登録..."));
    const QStringList copies{"ハンドルコピー", "アドレスコピー", "URLコピー", "タイトルコピー",
                             "本文コピー"};
    const QStringList keys{"F5", "F6", "F7", "F8", "F9"};
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(w.CopyData[i]->text(), copies[i]);
        QCOMPARE(w.CopyData[i]->shortcut().toString(), keys[i]);
        QVERIFY(w.CopyData[i]->isEnabled() && w.CopyData[i]->isVisible());
    }
}

void TestNotebook::tabOrderSkipsButtons()
{
    auto w = support::shownMain(m_store.path());
    widgets::setBodyText(w->Doc1, QStringLiteral("body"));
    w->Info[0]->setFocus();
    const QList<QWidget *> expected{w->Info[1], w->Info[2],  w->Doc0,     w->Doc1,   w->FaceIcon,
                                    w->facebtn, w->SiteLink, w->Command4, w->Info[0]};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("body")); // Tab typed nothing
    for (QPushButton *b : {w->Command3[0], w->Command3[4], w->Command2, w->Command1,
                           w->DocSelect[0], w->DocSelect[2]})
        QVERIFY(!(b->focusPolicy() & Qt::TabFocus));
}

void TestNotebook::focusShowsOnColouredButtons_data()
{
    QTest::addColumn<bool>("dark");
    QTest::addColumn<qreal>("scale");
    for (const bool dark : {false, true})
        for (const qreal scale : {1.0, 1.5, 2.0})
            QTest::addRow("%s x%.1f", dark ? "dark" : "light", scale) << dark << scale;
}

void TestNotebook::focusShowsOnColouredButtons()
{
    QFETCH(bool, dark);
    QFETCH(qreal, scale);
    const QPalette normal = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(normal); });
    if (dark)
        QApplication::setPalette(darkPalette());
    auto w = support::shownMain(m_store.path());
    const std::array<QPushButton *, 3> buttons{w->facebtn, w->SiteLink, w->Command4};
    std::vector<QImage> unfocused;
    for (QPushButton *b : buttons)
        unfocused.push_back(rendered(b, scale));

    // By Tab, as a person moves: Fusion shows the frame only after a move by keyboard.
    w->FaceIcon->setFocus(Qt::TabFocusReason);
    const int edge = qCeil(2 * scale);
    for (size_t i = 0; i < buttons.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), buttons[i]);
        const QImage focused = rendered(buttons[i], scale);
        QCOMPARE(focused.size(), unfocused[i].size());
        // The frame lies inside the raised edge, which stays as it was.
        int inside = 0, onEdge = 0;
        for (int y = 0; y < focused.height(); ++y)
            for (int x = 0; x < focused.width(); ++x) {
                if (focused.pixel(x, y) == unfocused[i].pixel(x, y))
                    continue;
                const bool band = x < edge || y < edge || x >= focused.width() - edge ||
                                  y >= focused.height() - edge;
                ++(band ? onEdge : inside);
            }
        QCOMPARE(onEdge, 0);
        // At least a line along each long side.
        QVERIFY2(inside >= focused.width(), qPrintable(QString::number(inside)));
    }

    // Raised: light above and left, dark below and right; the checked slot is sunken.
    const auto grey = [&](QPushButton *b, int x, int y) {
        return qGray(rendered(b, scale).pixel(x, y));
    };
    for (QPushButton *b : {w->Command1, w->DocSelect[1]}) {
        const QImage image = rendered(b, scale);
        const int face = qGray(image.pixel(image.width() / 2, edge));
        QVERIFY(qGray(image.pixel(0, 0)) > face);
        QVERIFY(qGray(image.pixel(image.width() - 1, image.height() - 1)) < face);
    }
    QVERIFY(w->DocSelect[0]->isChecked());
    const QImage sunken = rendered(w->DocSelect[0], scale);
    QVERIFY(grey(w->DocSelect[0], 0, 0) < qGray(sunken.pixel(sunken.width() / 2, edge)));
}

void TestNotebook::enterPressesTheFocusedButton()
{
    QStringList opened;
    platform::setDesktopOpenRecorder([&](const QString &t) { opened << t; });
    auto w = support::shownMain(m_store.path());
    const std::array<std::pair<Qt::Key, Qt::KeyboardModifiers>, 2> enters{
        {{Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}}};

    // In a box Enter presses nothing: no button is the default.
    for (QWidget *box : std::initializer_list<QWidget *>{w->Info[0], w->Doc0, w->FaceIcon}) {
        box->setFocus(Qt::TabFocusReason);
        for (const auto &[key, mods] : enters)
            QTest::keyClick(box, key, mods);
    }
    QVERIFY(opened.isEmpty());
    QVERIFY(!w->mini() && w->isVisible());

    for (const auto &[key, mods] : enters) {
        const auto picker = support::onModal<GetFace>([](GetFace &m) { m.close(); });
        w->facebtn->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->facebtn, key, mods);
        QVERIFY(picker->seen && !picker->leftOpen);
        w->SiteLink->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w->SiteLink, key, mods);
    }
    QCOMPARE(opened.size(), 2);
    QVERIFY(opened.last().startsWith(QStringLiteral("http")));

    // The mini window: Enter in its body breaks the line, on コピー copies, on 大きく returns.
    w->Command4->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->Command4, Qt::Key_Return);
    QVERIFY(w->mini() && !w->isVisible());
    frmMini *mini = w->mini();
    QTest::keyClicks(mini->Doc, QStringLiteral("a"));
    QTest::keyClick(mini->Doc, Qt::Key_Return);
    QCOMPARE(widgets::bodyText(mini->Doc), QStringLiteral("a") + CrLf);
    putClipboard(QString());
    mini->Command2->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mini->Command2, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clipboardText(), QStringLiteral("a") + CrLf);
    for (QPushButton *b : {mini->Command1, mini->Command2, mini->Command3})
        QVERIFY(!b->isDefault() && !b->autoDefault());
    mini->Command1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mini->Command1, Qt::Key_Return);
    QTRY_VERIFY(!w->mini());
    QVERIFY(w->isVisible());
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("a") + CrLf);
}

void TestNotebook::menuBarByKeyboard()
{
    auto w = support::shownMain(m_store.path());
    QMenuBar *bar = w->menuBar();
    w->Doc1->setFocus(Qt::TabFocusReason);
    // The pointer away from where the menus open: an item under it would be highlighted.
    QTest::mouseMove(w->Doc1);

    // F10 opens 機能; the arrows move on, Enter runs the command, Escape leaves.
    QTest::keyClick(w->Doc1, Qt::Key_F10);
    QTRY_COMPARE(QApplication::activePopupWidget(), w->Function);
    QTest::keyClick(w->Function, Qt::Key_Down);
    QCOMPARE(w->Function->activeAction(), w->LockText);
    QTest::keyClick(w->Function, Qt::Key_Right);
    QTRY_COMPARE(QApplication::activePopupWidget(), w->CopyMenu);
    QTest::keyClick(w->CopyMenu, Qt::Key_Left);
    QTRY_COMPARE(QApplication::activePopupWidget(), w->Function);
    QCOMPARE(w->Function->activeAction(), w->LockText);
    QTest::keyClick(w->Function, Qt::Key_Return);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QVERIFY(w->LockText->isChecked());
    QVERIFY(w->Info[0]->isReadOnly());
    QTest::keyClick(w->Doc1, Qt::Key_F10);
    QTRY_COMPARE(QApplication::activePopupWidget(), w->Function);
    QTest::keyClick(w->Function, Qt::Key_Escape);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!QApplication::activePopupWidget());
    QTRY_VERIFY(!bar->hasFocus());
    QCOMPARE(w->menuBar()->actions().at(0)->text(), QStringLiteral("機能")); // no mnemonic

    // A lone Alt puts the menu bar in keyboard mode: its first title shows it.
    const QRect first = bar->actionGeometry(w->Function->menuAction());
    const QImage before = bar->grab(first).toImage();
    QTest::keyClick(w->Doc1, Qt::Key_Alt);
    QTRY_VERIFY(bar->hasFocus());
    QVERIFY(bar->grab(first).toImage() != before);
    QTest::keyClick(bar, Qt::Key_Escape);
    QTRY_VERIFY(!bar->hasFocus());
    QCOMPARE(bar->grab(first).toImage(), before);
}

void TestNotebook::keyboardCopyGivesCrLf()
{
    auto w = support::shownMain(m_store.path());
    const QString text = QStringLiteral("a\u00a0b\r\nc d\r\n\r\ne");
    widgets::setBodyText(w->Doc1, text);
    widgets::insertIntoBody(w->Doc1, QStringLiteral("\u2028f")); // a pasted separator, first
    w->Doc1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->Doc1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w->Doc1, Qt::Key_C, Qt::ControlModifier);
    const QString whole = CrLf + QStringLiteral("f") + text;
    QCOMPARE(clipboardText(), whole);
    QTest::keyClick(w->Doc1, Qt::Key_F9);
    QCOMPARE(clipboardText(), FinishText(whole));
    // Part of a line and across lines, by cut.
    support::select(w->Doc1, 3, 5);
    QTest::keyClick(w->Doc1, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("\u00a0b\r\nc "));

    QTest::mouseClick(w->Command4, Qt::LeftButton);
    frmMini *mini = w->mini();
    QVERIFY(mini);
    widgets::setBodyText(mini->Doc, QStringLiteral("x\r\n\u00a0\r\ny"));
    QTest::keyClick(mini->Doc, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(mini->Doc, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(clipboardText(), QStringLiteral("x\r\n\u00a0\r\ny"));
    mini->close();
}

void TestNotebook::shortTextListDropsDownBounded_data()
{
    QTest::addColumn<QString>("style");
    for (const QString &key : QStyleFactory::keys())
        QTest::newRow(qPrintable(key)) << key;
}

void TestNotebook::shortTextListDropsDownBounded()
{
    QFETCH(QString, style);
    QStyle *const before = QApplication::style();
    const QString beforeName = before->name();
    QApplication::setStyle(style);
    const auto restore = qScopeGuard([&] { QApplication::setStyle(beforeName); });

    QStringList texts;
    for (int i = 0; i < 30000; ++i)
        texts << QStringLiteral("短文%1").arg(i);
    auto w = support::shownMain(m_store.path());
    widgets::setShortTexts(w->FaceIcon, texts);
    QVERIFY(w->FaceIcon->maxVisibleItems() >= 10 && w->FaceIcon->maxVisibleItems() <= 20);
    w->FaceIcon->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->FaceIcon, Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView *view = w->FaceIcon->view();
    QTRY_VERIFY(view->isVisible());
    QWidget *popup = view->window();
    const int row = view->sizeHintForRow(0);
    QVERIFY(row > 0);
    QVERIFY2(popup->height() <= 21 * row, qPrintable(QString::number(popup->height())));
    QVERIFY(popup->height() >= 10 * row);
    QVERIFY(view->verticalScrollBar()->isVisible());
    // Under the box, not over it.
    QVERIFY(popup->geometry().top() >=
            w->FaceIcon->mapToGlobal(QPoint(0, w->FaceIcon->height())).y() - 1);
    // Choosing works as before: End, Enter.
    QTest::keyClick(view, Qt::Key_End);
    QTest::keyClick(view, Qt::Key_Return);
    QTRY_VERIFY(!view->isVisible());
    QVERIFY(widgets::bodyText(w->Doc1).endsWith(QStringLiteral("短文29999")));
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestNotebook::personalDetailsSelectWholeTextOnFocus()
{
    auto w = support::shownMain(m_store.path());
    w->Info[0]->setText(QStringLiteral("handle"));
    w->Info[1]->setText(QStringLiteral("mail@example.org"));
    w->Doc0->setText(QStringLiteral("title"));
    widgets::setBodyText(w->Doc1, QStringLiteral("body text"));

    // By Tab.
    w->Info[0]->setFocus();
    QTest::keyClick(w->Info[0], Qt::Key_Tab);
    QTRY_COMPARE(w->Info[1]->selectedText(), QStringLiteral("mail@example.org"));
    // By a click in the middle of the text: the selection survives the press.
    QTest::mouseClick(w->Doc0, Qt::LeftButton, {}, QPoint(10, 9));
    QTRY_COMPARE(w->Doc0->selectedText(), QStringLiteral("title"));
    QTest::keyClicks(w->Doc0, QStringLiteral("new"));
    QCOMPARE(w->Doc0->text(), QStringLiteral("new"));
    QTest::mouseClick(w->Info[0], Qt::LeftButton, {}, QPoint(30, 9));
    QTRY_COMPARE(w->Info[0]->selectedText(), QStringLiteral("handle"));
    // Read-only boxes select too.
    w->LockText->trigger();
    QTest::mouseClick(w->Info[1], Qt::LeftButton, {}, QPoint(30, 9));
    QTRY_COMPARE(w->Info[1]->selectedText(), QStringLiteral("mail@example.org"));
    // The body selects nothing.
    QTest::mouseClick(w->Doc1->viewport(), Qt::LeftButton, {}, QPoint(20, 8));
    QTest::qWait(20);
    QCOMPARE(w->Doc1->textCursor().hasSelection(), false);
}

void TestNotebook::focusComingBackKeepsTheCaret()
{
    auto w = support::shownMain(m_store.path());
    putClipboard(QStringLiteral("XYZ"));

    // The context menu of the box that has the focus pastes at the caret.
    w->Doc0->setText(QStringLiteral("hello"));
    w->Doc0->setFocus(); // the program moving the focus selects
    QTRY_COMPARE(w->Doc0->selectedText(), QStringLiteral("hello"));
    QCoreApplication::processEvents(); // the selection a click would need is made again
    w->Doc0->end(false);
    rightClick(w->Doc0);
    clickMenuItem(lineEditMenuAction("&Paste"));
    QCOMPARE(w->Doc0->text(), QStringLiteral("helloXYZ"));
    // A right-click on a box without the focus is a move: the paste replaces its text.
    w->Info[1]->setText(QStringLiteral("old"));
    rightClick(w->Info[1]);
    QCOMPARE(QApplication::focusWidget(), w->Info[1]);
    clickMenuItem(lineEditMenuAction("&Paste"));
    QCOMPARE(w->Info[1]->text(), QStringLiteral("XYZ"));

    // A menu of the menu bar leaves the caret where it was.
    w->Doc0->setText(QStringLiteral("hello"));
    w->Doc0->setFocus();
    QTRY_COMPARE(w->Doc0->selectedText(), QStringLiteral("hello"));
    QCoreApplication::processEvents(); // the selection a click would need is made again
    w->Doc0->setCursorPosition(2);
    QTest::mouseClick(w->menuBar(), Qt::LeftButton, {},
                      w->menuBar()->actionGeometry(w->CopyMenu->menuAction()).center());
    QTRY_COMPARE(QApplication::activePopupWidget(), w->CopyMenu);
    clickMenuItem(w->CopyData[3]);
    QCOMPARE(clipboardText(), QStringLiteral("hello"));
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("X"));
    QCOMPARE(w->Doc0->text(), QStringLiteral("heXllo"));

    // So does another window coming to the front and going again.
    w->Info[0]->setText(QStringLiteral("name"));
    w->Info[0]->setFocus();
    QTRY_COMPARE(w->Info[0]->selectedText(), QStringLiteral("name"));
    QCoreApplication::processEvents(); // the selection a click would need is made again
    w->Info[0]->end(false);
    {
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
    }
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::qWait(10);
    QCOMPARE(QApplication::focusWidget(), w->Info[0]);
    QTest::keyClicks(w->Info[0], QStringLiteral("Z"));
    QCOMPARE(w->Info[0]->text(), QStringLiteral("nameZ"));
}

void TestNotebook::slotSwitchKeepsEveryDraft()
{
    auto w = support::shownMain(m_store.path());
    w->Info[0]->setText(QStringLiteral("me"));
    w->Doc0->setText(QStringLiteral("title one"));
    QTest::keyClicks(w->Doc1, QStringLiteral("body one"));

    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
    QCOMPARE(w->currentSlot(), short(1));
    QVERIFY(w->DocSelect[1]->isChecked() && !w->DocSelect[0]->isChecked());
    QCOMPARE(w->Doc0->text(), QString());
    QCOMPARE(widgets::bodyText(w->Doc1), QString());
    QCOMPARE(w->slotTitle(0), QStringLiteral("title one"));
    w->Doc0->setText(QStringLiteral("title two"));
    widgets::setBodyText(w->Doc1, QStringLiteral("two\r\nlines"));

    QTest::mouseClick(w->DocSelect[0], Qt::LeftButton);
    QCOMPARE(w->Doc0->text(), QStringLiteral("title one"));
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("body one"));
    QCOMPARE(w->Info[0]->text(), QStringLiteral("me")); // belongs to no slot

    // The shown slot again: stored and loaded back unchanged.
    QTest::keyClicks(w->Doc1, QStringLiteral("!"));
    QTest::mouseClick(w->DocSelect[0], Qt::LeftButton);
    QVERIFY(w->DocSelect[0]->isChecked());
    QCOMPARE(w->slotBody(0), widgets::bodyText(w->Doc1));
    QCOMPARE(w->Doc0->text(), QStringLiteral("title one"));

    // From the keyboard: Ctrl+2 is the click on ②, and the caret stays in the body.
    w->Doc1->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w->Doc1, Qt::Key_2, Qt::ControlModifier);
    QVERIFY(w->DocSelect[1]->isChecked() && w->Doc1->hasFocus());
    QCOMPARE(w->Doc0->text(), QStringLiteral("title two"));
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("two\r\nlines"));
    QTest::mouseClick(w->DocSelect[2], Qt::LeftButton);
    QCOMPARE(w->Doc0->text(), QString());
    w->close();

    // Typed in the shown slot without switching: saved into that slot's keys.
    QCOMPARE(m_store.stored("Data/Title2"), QStringLiteral("title two"));
    QCOMPARE(m_store.stored("Data/str2"), QStringLiteral("two\r\nlines\r\n"));
    QCOMPARE(m_store.stored("Data/str1"),
             QStringLiteral("!body one\r\n")); // caret was at the start
}

// A switch reads the body back out of the box only after an edit; untouched, the slot's string
// stands for it, so that string must be exactly what the box would give back.
void TestNotebook::slotSwitchStoresWhatTheBoxHolds()
{
    QPlainTextEdit box;
    const std::array<char16_t, 10> alphabet{u'a',   u'\r',  u'\n',  0x2028, 0x2029,
                                            0xFDD0, 0xFDD1, 0x00A0, u' ',   u'日'};
    QRandomGenerator random(13);
    for (int n = 0; n < 400; ++n) {
        QString text;
        for (int k = random.bounded(10); k > 0; --k)
            text += QChar(alphabet[random.bounded(int(alphabet.size()))]);
        widgets::setBodyText(&box, text);
        QCOMPARE(widgets::asBodyText(text), widgets::bodyText(&box));
    }

    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Data/str1"), QStringLiteral("one\rlone\nends\u2028"));
        s.setValue(QStringLiteral("Data/str2"), QStringLiteral("two\r\n"));
    }
    auto w = support::shownMain(m_store.path());
    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
    QCOMPARE(w->slotBody(0), QStringLiteral("one\r\nlone\r\nends\r\n"));

    // Each way the shown body can change, followed by a switch away and back.
    const std::vector<std::pair<const char *, std::function<void()>>> edits{
        {"Delete", [&] { QTest::keyClick(w->Doc1, Qt::Key_Delete); }},
        {"typed, then undone",
         [&] {
             QTest::keyClicks(w->Doc1, QStringLiteral("x"));
             w->Doc1->undo();
         }},
        {"cleared",
         [&] {
             support::answerNextQuestion(true);
             QTest::mouseClick(w->Command2, Qt::LeftButton);
         }},
    };
    for (const auto &[what, edit] : edits) {
        w->Doc1->setFocus();
        edit();
        const QString shown = widgets::bodyText(w->Doc1);
        QTest::mouseClick(w->DocSelect[2], Qt::LeftButton);
        QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
        QVERIFY2(widgets::bodyText(w->Doc1) == shown, what);
        QCOMPARE(w->slotBody(1), shown);
        // A switch leaves nothing to undo, as loading a text into the box always did.
        QVERIFY(!w->Doc1->document()->isUndoAvailable());
        QCOMPARE(w->Doc1->textCursor().position(), 0);
    }
    w->close();
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("one\r\nlone\r\nends\r\n"));
}

void TestNotebook::clearAsksFirstAndClearsOnlyTheBody()
{
    auto w = support::shownMain(m_store.path());
    w->Doc0->setText(QStringLiteral("keep title"));
    w->Info[0]->setText(QStringLiteral("keep handle"));
    widgets::setBodyText(w->Doc1, QStringLiteral("slot one"));
    QTest::mouseClick(w->DocSelect[1], Qt::LeftButton);
    widgets::setBodyText(w->Doc1, QStringLiteral("slot two"));

    support::Question q;
    answerNextQuestion(false, &q);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QVERIFY(q.seen);
    QCOMPARE(q.title, QStringLiteral("Tesserin"));
    QCOMPARE(q.text, QStringLiteral("ほんとにクリアしていいの？"));
    QCOMPARE(q.icon, QMessageBox::NoIcon);
    QCOMPARE(q.yesText, QStringLiteral("はい"));
    QCOMPARE(q.noText, QStringLiteral("いいえ"));
    QVERIFY(q.yesIsDefault);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("slot two"));

    answerNextQuestion(true);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QCOMPARE(widgets::bodyText(w->Doc1), QString());
    QCOMPARE(w->Info[0]->text(), QStringLiteral("keep handle"));
    QTest::mouseClick(w->DocSelect[0], Qt::LeftButton);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("slot one"));
    QCOMPARE(w->Doc0->text(), QStringLiteral("keep title"));

    // Escape on the question means No.
    support::onModal<QMessageBox>([](QMessageBox &m) { QTest::keyClick(&m, Qt::Key_Escape); });
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("slot one"));
}

void TestNotebook::copyCommandsPutFieldsOnClipboard()
{
    auto w = support::shownMain(m_store.path());
    w->Info[0]->setText(QStringLiteral(" handle "));
    w->Info[1]->setText(QStringLiteral("mail@example.org"));
    w->Info[2]->setText(QStringLiteral("http://example.org/ "));
    w->Doc0->setText(QStringLiteral("  Re: 件名  "));
    widgets::setBodyText(w->Doc1, QStringLiteral("  abc\r\n\r\n\r\n "));
    const QStringList raw{" handle ", "mail@example.org", "http://example.org/ ", "  Re: 件名  "};

    for (int i = 0; i < 4; ++i) {
        putClipboard(QStringLiteral("before"));
        QTest::mouseClick(w->Command3[i], Qt::LeftButton);
        QCOMPARE(clipboardText(), raw[i]);
        putClipboard(QStringLiteral("before"));
        QTest::keyClick(w.get(), Qt::Key(Qt::Key_F5 + i));
        QCOMPARE(clipboardText(), raw[i]);
        putClipboard(QStringLiteral("before"));
        w->CopyData[i]->trigger();
        QCOMPARE(clipboardText(), raw[i]);
    }

    support::select(w->Doc1, 3, 0);
    QTest::mouseClick(w->Command3[4], Qt::LeftButton);
    QCOMPARE(clipboardText(), QStringLiteral("abc\r\n"));
    QTest::keyClick(w->Doc1, Qt::Key_F9);
    QCOMPARE(clipboardText(), QStringLiteral("abc\r\n"));
    // The body box keeps its unfinished text, caret included.
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("  abc\r\n\r\n\r\n "));
    QCOMPARE(w->Doc1->textCursor().position(), 3);

    // An empty field empties the clipboard.
    w->Info[1]->clear();
    putClipboard(QStringLiteral("before"));
    QTest::keyClick(w.get(), Qt::Key_F6);
    QCOMPARE(clipboardText(), QString());
    widgets::setBodyText(w->Doc1, QStringLiteral("   "));
    putClipboard(QStringLiteral("before"));
    QTest::keyClick(w.get(), Qt::Key_F9);
    QCOMPARE(clipboardText(), QString());
    widgets::setBodyText(w->Doc1, QStringLiteral("\r\n\r\n  first"));
    QTest::keyClick(w.get(), Qt::Key_F9);
    QCOMPARE(clipboardText(), QStringLiteral("\r\n\r\n  first\r\n"));
}

void TestNotebook::bodyLineBreaksCrossTheBoxBoundary()
{
    auto w = support::shownMain(m_store.path());
    w->Doc1->setFocus();
    QTest::keyClicks(w->Doc1, QStringLiteral("abc"));
    QTest::keyClick(w->Doc1, Qt::Key_Return);
    QTest::keyClick(w->Doc1, Qt::Key_Return);
    QTest::keyClick(w->Doc1, Qt::Key_F9);
    QCOMPARE(clipboardText(), QStringLiteral("abc\r\n"));
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("abc\r\n\r\n"));

    // Shift+Enter breaks the line as Enter does, and a pasted line or paragraph separator
    // leaves the box as CR LF too; a no-break space stays what it is.
    widgets::setBodyText(w->Doc1, QString());
    QTest::keyClicks(w->Doc1, QStringLiteral("abc"));
    QTest::keyClick(w->Doc1, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(w->Doc1, QStringLiteral("def"));
    QTest::keyClick(w->Doc1, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(w->Doc1, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(w->Doc1, Qt::Key_F9);
    QCOMPARE(clipboardText(), QStringLiteral("abc\r\ndef\r\n"));
    putClipboard(QStringLiteral("x\u2028y\u2029z\u00a0"));
    QTest::keyClick(w->Doc1, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("abc\r\ndef\r\n\r\nx\r\ny\r\nz\u00a0"));
    // The title is a single-line box: copied and stored as it stands.
    w->Doc0->setText(QStringLiteral("t\u2028u"));
    QTest::keyClick(w->Doc1, Qt::Key_F8);
    QCOMPARE(clipboardText(), QStringLiteral("t\u2028u"));
    // A lone CR or LF from the store comes back as CR LF.
    widgets::setBodyText(w->Doc1, QStringLiteral("x\ny\rz"));
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("x\r\ny\r\nz"));
    widgets::setBodyText(w->Doc1, QStringLiteral("a\u2028b"));
    w->close();
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("a\r\nb\r\n"));
    QCOMPARE(m_store.stored("Data/Title1"), QStringLiteral("t\u2028u"));
}

void TestNotebook::lockMakesOnlyPersonalDetailsReadOnly()
{
    {
        QSettings s(m_store.path(), QSettings::IniFormat);
        s.setValue(QStringLiteral("Setting/Lock"), QStringLiteral("lock"));
    }
    {
        Tesserin w(iniStore(m_store.path()));
        QVERIFY(w.LockText->isChecked());
        for (QLineEdit *box : w.Info)
            QVERIFY(box->isReadOnly());
        QVERIFY(!w.Doc0->isReadOnly());
        QVERIFY(!w.Doc1->isReadOnly());
        w.LockText->trigger();
        QVERIFY(!w.LockText->isChecked());
        for (QLineEdit *box : w.Info)
            QVERIFY(!box->isReadOnly());
        w.LockText->trigger();
        QVERIFY(w.LockText->isChecked());
        // Locked boxes are still copied.
        w.Info[2]->setText(QStringLiteral("http://x/"));
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClick(&w, Qt::Key_F7);
        QCOMPARE(clipboardText(), QStringLiteral("http://x/"));
        // Typing into a locked box changes nothing; the title still takes text.
        QTest::keyClicks(w.Info[0], QStringLiteral("zzz"));
        QCOMPARE(w.Info[0]->text(), QString());
        QTest::keyClicks(w.Doc0, QStringLiteral("ok"));
        QCOMPARE(w.Doc0->text(), QStringLiteral("ok"));
        w.close();
    }
    QCOMPARE(m_store.stored("Setting/Lock"), QStringLiteral("lock"));
    {
        Tesserin w(iniStore(m_store.path()));
        w.LockText->trigger();
        w.close();
    }
    QCOMPARE(m_store.stored("Setting/Lock"), QStringLiteral("unlock"));
}

void TestNotebook::linksGoToTheShellUnchanged()
{
    QStringList opened;
    platform::setDesktopOpenRecorder([&](const QString &t) { opened << t; });
    auto w = support::shownMain(m_store.path());

    QTest::mouseClick(w->Label1[2], Qt::LeftButton);
    QCOMPARE(opened, QStringList({QString()})); // empty still goes out, once
    w->Info[2]->setText(QStringLiteral("  example.org/~me  "));
    QTest::mouseClick(w->Label1[2], Qt::LeftButton);
    QCOMPARE(opened.last(), QStringLiteral("  example.org/~me  "));
    for (int i : {0, 1, 3, 4})
        QTest::mouseClick(w->Label1[i], Qt::LeftButton);
    QCOMPARE(opened.size(), 2);
    QTest::mouseClick(w->SiteLink, Qt::LeftButton);
    QCOMPARE(opened.size(), 3);
    QVERIFY(opened.last().startsWith(QStringLiteral("http")));
    // A double-click on the label opens once.
    QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {},
                       w->Label1[2]->mapTo(w.get(), w->Label1[2]->rect().center()));
    QCOMPARE(opened.size(), 4);
    QCOMPARE(opened.last(), QStringLiteral("  example.org/~me  "));
    QVERIFY(!QApplication::activeModalWidget());
}

void TestNotebook::shortTextBoxInsertsAtCaret()
{
    auto w = support::shownMain(m_store.path(), {QStringLiteral("よろしく"), QStringLiteral("😀")});
    QCOMPARE(w->FaceIcon->count(), 2);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
    QVERIFY(!w->FaceIcon->isEditable());

    widgets::setBodyText(w->Doc1, QStringLiteral("abcdef"));
    support::select(w->Doc1, 2, 2);
    w->Doc0->setFocus();

    // A choice by keyboard on the focused box replaces the body's selection.
    w->FaceIcon->setFocus();
    QTest::keyClick(w->FaceIcon, Qt::Key_Down);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("abよろしくef"));
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
    QCOMPARE(QApplication::focusWidget(), w->FaceIcon);
    QCOMPARE(w->Doc1->textCursor().position(), 6);

    // The same item again inserts again.
    emit w->FaceIcon->activated(0);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("abよろしくよろしくef"));
    // A character outside the BMP goes in whole.
    emit w->FaceIcon->activated(1);
    QCOMPARE(widgets::bodyText(w->Doc1), QStringLiteral("abよろしくよろしく😀ef"));
    QCOMPARE(w->FaceIcon->currentIndex(), -1);

    // The wheel over the closed box chooses nothing.
    const QString before = widgets::bodyText(w->Doc1);
    QSignalSpy spy(w->FaceIcon, &QComboBox::activated);
    const QPoint centre = w->FaceIcon->rect().center();
    for (int delta : {-120, 120, -120}) {
        QWheelEvent wheel(centre, w->FaceIcon->mapToGlobal(centre), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w->FaceIcon, &wheel);
    }
    QCOMPARE(spy.count(), 0);
    QCOMPARE(widgets::bodyText(w->Doc1), before);
    QCOMPARE(w->FaceIcon->currentIndex(), -1);
}

void TestNotebook::focusReturnsToBodyOnlyWhenItShould()
{
    auto w = support::shownMain(m_store.path());
    QCOMPARE(QApplication::focusWidget(), w->Doc1); // first display

    // After the clearing question the focus is where the click left it.
    answerNextQuestion(false);
    QTest::mouseClick(w->Command2, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), w->Command2);

    // Return from the registration window (closed by its close box at once).
    w->Info[0]->setFocus();
    support::onModal<frmFace>([](frmFace &) {});
    w->FaceSet->trigger();
    QTRY_COMPARE(QApplication::focusWidget(), w->Doc1);

    // Return from the picker.
    w->Info[1]->setFocus();
    support::onModal<GetFace>([](GetFace &) {});
    QTest::mouseClick(w->facebtn, Qt::LeftButton);
    QTRY_COMPARE(QApplication::focusWidget(), w->Doc1);
}

void TestNotebook::closeSavesEverything()
{
    {
        auto w = support::shownMain(m_store.path());
        w->Info[0]->setText(QStringLiteral(" 名無し "));
        w->Info[1]->setText(QStringLiteral("sage"));
        w->Info[2]->setText(QStringLiteral("http://example.org/"));
        w->Doc0->setText(QStringLiteral(" タイトル "));
        widgets::setBodyText(w->Doc1, QStringLiteral("  abc\r\n\r\n\r\n "));
        w->FaceIcon->addItems({QStringLiteral("x"), QStringLiteral("y")});
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("abc\r\n"));
    QCOMPARE(m_store.stored("Data/Title1"), QStringLiteral(" タイトル "));
    QCOMPARE(m_store.stored("Data/info0"), QStringLiteral(" 名無し "));
    QCOMPARE(m_store.stored("Data/tanbun1"), QStringLiteral("y"));
    QCOMPARE(m_store.stored("Setting/Lock"), QStringLiteral("unlock"));
    Tesserin again(iniStore(m_store.path()));
    QCOMPARE(widgets::bodyText(again.Doc1), QStringLiteral("abc\r\n"));
    QCOMPARE(again.Info[2]->text(), QStringLiteral("http://example.org/"));
    QCOMPARE(again.FaceIcon->count(), 2);
    QCOMPARE(again.FaceIcon->currentIndex(), -1);
}

void TestNotebook::unwritableStoreIsNotASilentLoss()
{
    // A store whose folder cannot be created: its parent is a regular file.
    const QString blocker = m_store.file(QStringLiteral("blocker"));
    {
        QFile f(blocker);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString bad = blocker + QStringLiteral("/sub/store.ini");
    bool fixed = false;
    int opened = 0;
    auto factory = [&]() {
        ++opened;
        return platform::StoreLocation{fixed ? m_store.path() : bad, {}};
    };

    {
        Tesserin w(factory);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        widgets::setBodyText(w.Doc1, QStringLiteral("precious"));
        support::Question first;
        // First answer: try again (still failing); second: the store works now.
        support::onModal<QMessageBox>([&](QMessageBox &box) {
            first.seen = true;
            first.text = box.text();
            first.title = box.windowTitle();
            support::onModal<QMessageBox>([&](QMessageBox &again) {
                fixed = true;
                again.button(QMessageBox::Yes)->click();
            });
            box.button(QMessageBox::Yes)->click();
        });
        w.close();
        QVERIFY(first.seen);
        QCOMPARE(first.title, QStringLiteral("Tesserin"));
        QVERIFY(first.text.contains(QStringLiteral("保存")));
        QCOMPARE(opened, 4); // load, failed save, failed retry, good retry
    }
    QCOMPARE(m_store.stored("Data/str1"), QStringLiteral("precious\r\n"));

    // Declining ends the program without saving.
    fixed = false;
    {
        Tesserin w(factory);
        answerNextQuestion(false);
        w.close();
        QVERIFY(!w.isVisible());
    }
    // The system closing never waits for an answer.
    {
        Tesserin w(factory);
        w.show();
        opened = 0;
        w.systemClose();
        QTRY_VERIFY(!w.isVisible());
        QCOMPARE(opened, 1);
        QVERIFY(!QApplication::activeModalWidget());
    }
}

namespace {
// The names a screen reader gives the window's controls, failing on any control without one.
QStringList accessibleNames(QWidget *window)
{
    QStringList names;
    for (QWidget *child : window->findChildren<QWidget *>()) {
        const bool control = qobject_cast<QAbstractButton *>(child) ||
                             qobject_cast<QLineEdit *>(child) ||
                             qobject_cast<QPlainTextEdit *>(child) ||
                             qobject_cast<QComboBox *>(child) || qobject_cast<QListView *>(child);
        if (!control || child->objectName().isEmpty() ||
            child->objectName().startsWith(QLatin1String("qt_")))
            continue;
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(child);
        const QString name = a ? a->text(QAccessible::Name) : QString();
        if (name.trimmed().isEmpty())
            qWarning("no accessible name: %s", qPrintable(child->objectName()));
        names << name;
    }
    return names;
}
} // namespace

void TestNotebook::everyControlHasAnAccessibleName()
{
    auto w = support::shownMain(m_store.path());
    const QStringList mainNames = accessibleNames(w.get());
    QCOMPARE(mainNames.size(), 19);
    QVERIFY(!mainNames.contains(QString()));
    // Five "コピー" buttons, yet five different names.
    QCOMPARE(QSet<QString>(mainNames.begin(), mainNames.end()).size(), mainNames.size());
    QVERIFY(mainNames.contains(QStringLiteral("本文をコピー")));
    // The slot buttons say which slot they select, the site button where it leads.
    for (int i = 0; i < 3; ++i)
        QCOMPARE(QAccessible::queryAccessibleInterface(w->DocSelect[i])->text(QAccessible::Name),
                 QStringLiteral("スロット%1").arg(i + 1));
    QVERIFY(QAccessible::queryAccessibleInterface(w->SiteLink)
                ->text(QAccessible::Name)
                .contains(QStringLiteral("ブラウザー")));
    // "URL(Open)：" offers a press that opens the URL as a click does; the other labels none.
    QStringList opened;
    platform::setDesktopOpenRecorder([&](const QString &t) { opened << t; });
    w->Info[2]->setText(QStringLiteral("example.org"));
    QAccessibleInterface *url = QAccessible::queryAccessibleInterface(w->Label1[2]);
    QCOMPARE(url->text(QAccessible::Name), QStringLiteral("URL(Open)："));
    QCOMPARE(url->role(), QAccessible::Link);
    const QString press = QAccessibleActionInterface::pressAction();
    QVERIFY(url->actionInterface() && url->actionInterface()->actionNames().contains(press));
    url->actionInterface()->doAction(press);
    QCOMPARE(opened, QStringList{QStringLiteral("example.org")});
    QAccessibleInterface *handle = QAccessible::queryAccessibleInterface(w->Label1[0]);
    QVERIFY(!handle->actionInterface() ||
            !handle->actionInterface()->actionNames().contains(press));

    QStringList sideNames;
    support::onModal<GetFace>([&](GetFace &m) { sideNames << accessibleNames(&m); });
    QTest::mouseClick(w->facebtn, Qt::LeftButton);
    support::onModal<frmFace>([&](frmFace &m) { sideNames << accessibleNames(&m); });
    w->FaceSet->trigger();
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    QVERIFY(w->mini());
    sideNames << accessibleNames(w->mini());
    QCOMPARE(sideNames.size(), 5 + 5 + 5);
    QVERIFY(!sideNames.contains(QString()));
    w->mini()->close();
}

namespace {
// Text and selection on every forced background of the window are readable: its boxes and lists,
// its coloured buttons, its coloured labels.
void checkReadable(QWidget *window)
{
    for (QWidget *w : window->findChildren<QWidget *>()) {
        w->ensurePolished();
        const QPalette &p = w->palette();
        const QByteArray name = w->objectName().toLatin1();
        const bool button = qobject_cast<QAbstractButton *>(w);
        for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            if (button && p.isBrushSet(group, QPalette::Button))
                QVERIFY2(readable(p, group, QPalette::ButtonText, QPalette::Button), name);
            if (!button && p.isBrushSet(group, QPalette::Base)) {
                QVERIFY2(readable(p, group, QPalette::Text, QPalette::Base), name);
                QVERIFY2(readable(p, group, QPalette::HighlightedText, QPalette::Highlight), name);
            }
        }
    }
}
} // namespace

void TestNotebook::readableUnderADarkPalette()
{
    const QPalette normal = QApplication::palette();
    const auto restore = qScopeGuard([&] { QApplication::setPalette(normal); });
    QApplication::setPalette(darkPalette());

    auto w = support::shownMain(m_store.path());
    checkReadable(w.get());
    QStringList checked;
    for (QAction *opener : {w->facedlg, w->FaceSet}) {
        support::onModal<QDialog>([&](QDialog &m) {
            checkReadable(&m);
            checked << m.objectName();
        });
        opener->trigger();
    }
    QCOMPARE(checked, QStringList({QStringLiteral("GetFace"), QStringLiteral("frmFace")}));
    QTest::mouseClick(w->Command4, Qt::LeftButton);
    QVERIFY(w->mini());
    checkReadable(w->mini());
    w->mini()->close();
}

void TestNotebook::qtMenusInJapaneseAndTheProgramFont()
{
    const bool translated = widgets::useJapaneseUi(*qApp);
    // Only installed families are named, so no font is searched for in vain; with none of them
    // installed the names stay for the system's own substitution.
    const QString some = QFontDatabase::families().value(0);
    const QString missing = QStringLiteral("No Such Family");
    QCOMPARE(widgets::installedFamilies({missing, some}), QStringList{some});
    QCOMPARE(widgets::installedFamilies({missing}), QStringList{missing});
    for (const QString &family : QApplication::font().families())
        QVERIFY2(QFontDatabase::families().contains(family, Qt::CaseInsensitive),
                 qPrintable(family));
    QCOMPARE(translated, QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                                       QStringLiteral("/qtbase_ja.qm")));
    auto w = support::shownMain(m_store.path());
    rightClick(w->Info[0]);
    QAction *paste = lineEditMenuAction("&Paste");
    QVERIFY(paste);
    if (translated)
        QVERIFY2(paste->text().startsWith(QStringLiteral("貼り付け")), qPrintable(paste->text()));
    // A proportional font: "i" narrower than "W", which the fixed-width fallback never is.
    const QFontMetrics menuFont(QApplication::activePopupWidget()->font());
    QVERIFY(menuFont.horizontalAdvance(QStringLiteral("iiii")) <
            menuFont.horizontalAdvance(QStringLiteral("WWWW")));
    QApplication::activePopupWidget()->close();
}

QTEST_MAIN(TestNotebook)
#include "test_notebook.moc"
