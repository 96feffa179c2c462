// SPDX-License-Identifier: MIT
#include "platform/widgets/BodyText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace widgets {

namespace {
const QString CrLf = QStringLiteral("\r\n");

// QTextCursor::insertText() treats LF as a paragraph break but keeps a CR as a character, so
// fold every line end to LF first.
QString toEditorLines(const QString &text)
{
    if (!text.contains(QLatin1Char('\r')))
        return text;
    QString t = text;
    t.replace(CrLf, QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}
} // namespace

QString bodyText(const QPlainTextEdit *box)
{
    QString raw = box->document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, CrLf);
    raw.replace(QChar::LineSeparator, CrLf);
    return raw;
}

void setBodyText(QPlainTextEdit *box, const QString &text)
{
    box->setPlainText(toEditorLines(text));
}

void insertIntoBody(QPlainTextEdit *box, const QString &text)
{
    QTextCursor cursor = box->textCursor();
    cursor.insertText(toEditorLines(text));
    box->setTextCursor(cursor);
}

} // namespace widgets
