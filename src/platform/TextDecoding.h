// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace platform {

// Turns a whole text file into characters when the file says how: a byte-order mark (UTF-8,
// UTF-16 LE or BE) decides first, then bytes that are valid UTF-8 throughout are UTF-8. The mark
// itself is not part of the text. Anything else gives nothing: such a file is decoded line by
// line with decodeLineByLine(). Bytes invalid in the chosen encoding become replacement characters.
std::optional<QString> decodeWholeText(const QByteArray &bytes);

// Decodes a file that is neither marked nor valid UTF-8 as a whole line by line, as files put
// together from a UTF-8 file and an old Windows one come: a line that is valid UTF-8 is UTF-8,
// anything else is code page 932. A valid UTF-8 line whose non-ASCII bytes all read as
// half-width katakana in code page 932 and that holds no character of three or more bytes is
// taken for code page 932, since every kana, kanji and full-width sign takes three bytes in
// UTF-8, while pairs of half-width katakana such as "ﾃｨ" (C3 A8) pass for UTF-8 by accident.
// CR LF, a lone CR and a lone LF each end a line; the lines come back joined by LF.
QString decodeLineByLine(QByteArrayView bytes);

// Code page 932, the Shift-JIS of Windows, read alike on every system. Its characters are those
// that ICU's windows-31j and Windows' own code page agree on: ASCII (0x5C is the backslash),
// the half-width katakana A1-DF and every assigned pair, the NEC and IBM rows and the
// user-defined rows F040-F9FC (U+E000-U+E757) among them. The two disagree on everything else,
// so a byte that starts no such character becomes U+FFFD and the next byte is read afresh: a
// TAB or a line end after a stray lead byte stays a TAB or a line end.
QString decodeCodePage932(QByteArrayView bytes);

} // namespace platform
