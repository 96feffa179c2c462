// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QPlainTextEdit;

namespace widgets {

// The program's texts separate lines with CR LF; Qt's editors keep paragraphs. These
// functions are the one place where text enters and leaves a multi-line box.

// The box's text with every paragraph break and every line separator U+2028 (a paste can bring
// one) as CR LF. Read raw, so a no-break space comes out as it went in.
QString bodyText(const QPlainTextEdit *box);

// A raw text of a box (paragraphs U+2029, lines U+2028) with each of those as CR LF; the text
// bodyText() gives for the whole box and the clipboard gets for a selection.
QString crLfFromRaw(const QString &raw);

// The text as bodyText() gives it back after setBodyText(): CR LF, a lone CR, a lone LF,
// U+2028, U+2029 and the frame marks U+FDD0 and U+FDD1 each become one CR LF. A text that has no
// other line end than CR LF comes back shared, not copied.
QString asBodyText(const QString &text);

// Replaces the whole text, as the box's setPlainText() does: no undo or redo left, the caret at
// the start. CR LF, a lone CR and a lone LF each become one line break.
void setBodyText(QPlainTextEdit *box, const QString &text);

// Puts the text in place of the box's selection (at the caret when nothing is selected), as if
// typed there; the caret ends up right after it. The box need not have the focus.
void insertIntoBody(QPlainTextEdit *box, const QString &text);

} // namespace widgets
