// SPDX-License-Identifier: MIT
#include "platform/widgets/BodyText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace widgets {

namespace {
// What QTextCursor::insertText() starts a new paragraph at (CR LF counts once).
bool breaksLine(char16_t c)
{
    return c == u'\r' || c == u'\n' || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator || c == 0xFDD0 || c == 0xFDD1;
}
} // namespace

QString bodyText(const QPlainTextEdit *box)
{
    return crLfFromRaw(box->document()->toRawText());
}

QString crLfFromRaw(const QString &raw)
{
    qsizetype breaks = 0;
    for (const QChar c : raw)
        breaks += c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
    if (breaks == 0)
        return raw;
    // One pass into a buffer of the final size, not two replaces that each grow the string.
    QString text(raw.size() + breaks, Qt::Uninitialized);
    QChar *out = text.data();
    for (const QChar c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) {
            *out++ = QLatin1Char('\r');
            *out++ = QLatin1Char('\n');
        } else {
            *out++ = c;
        }
    }
    return text;
}

QString asBodyText(const QString &text)
{
    const qsizetype n = text.size();
    const char16_t *in = QStringView(text).utf16();
    qsizetype i = 0;
    for (; i < n; ++i) {
        if (in[i] > u'\r' && in[i] < QChar::LineSeparator)
            continue;
        if (in[i] == u'\r' && i + 1 < n && in[i + 1] == u'\n')
            ++i;
        else if (breaksLine(in[i]))
            break;
    }
    if (i == n)
        return text;
    QString out;
    out.reserve(n + n / 8);
    out.append(QStringView(in, i));
    for (; i < n; ++i) {
        if (!breaksLine(in[i])) {
            out.append(QChar(in[i]));
            continue;
        }
        if (in[i] == u'\r' && i + 1 < n && in[i + 1] == u'\n')
            ++i;
        out.append(u"\r\n");
    }
    return out;
}

// QTextCursor::insertText() already makes CR LF, a lone CR and a lone LF one paragraph break
// each, so the text goes in as it is. The box's own setPlainText() would also give every
// character the caret's format, a second pass over the whole document that costs about a
// seventh of loading a 1 MB body; filling the document directly skips it. The rest is what the
// box does: no undo or redo left, not modified, the caret at the start and the view on it.
void setBodyText(QPlainTextEdit *box, const QString &text)
{
    QTextDocument *doc = box->document();
    doc->setPlainText(text);
    doc->setModified(false);
    box->setTextCursor(QTextCursor(doc));
}

void insertIntoBody(QPlainTextEdit *box, const QString &text)
{
    QTextCursor cursor = box->textCursor();
    cursor.insertText(text);
    box->setTextCursor(cursor);
}

} // namespace widgets
