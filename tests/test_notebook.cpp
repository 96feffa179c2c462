#include "notebook/FinishText.h"

#include <QtTest>

class TestNotebook : public QObject
{
    Q_OBJECT
private slots:
    void finishText();
};

void TestNotebook::finishText()
{
    QCOMPARE(FinishText(QStringLiteral("  abc\r\n\r\n\r\n ")), QStringLiteral("abc\r\n"));
}

QTEST_MAIN(TestNotebook)
#include "test_notebook.moc"
