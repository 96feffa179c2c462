// SPDX-License-Identifier: MIT
#include "platform/TextDecoding.h"

#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <array>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {
QString decodeAs(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    // The mark has been cut off already; a second one would be a real character. Stateless:
    // a sequence cut short at the end is an error, not a state kept for more input.
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom |
                                         QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

bool startsWith(const QByteArray &bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (const unsigned char b : mark) {
        if (static_cast<unsigned char>(bytes.at(i++)) != b)
            return false;
    }
    return true;
}

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isTrailByte(unsigned char b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The character of every two-byte sequence of code page 932, 0 where there is none; indexed by
// (lead - 0x80) * 256 + trail.
using PairTable = std::array<char16_t, 0x80 * 0x100>;

#ifdef Q_OS_WIN
// Windows' own code page, asked once per pair. MB_ERR_INVALID_CHARS makes an unassigned pair
// fail; without it Windows answers U+30FB, which is also the real character 0x8145.
void fillPairs(PairTable &pairs)
{
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(lead))
            continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(trail))
                continue;
            const char pair[2] = {char(lead), char(trail)};
            wchar_t out[2];
            if (MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, pair, 2, out, 2) == 1)
                pairs[(lead - 0x80) * 0x100 + trail] = char16_t(out[0]);
        }
    }
}
#else
// ICU's windows-31j, one call per lead byte: each pair stands on a line of its own, so an
// unassigned one, which ICU reads as U+FFFD or U+001A, cannot take its neighbour along.
void fillPairs(PairTable &pairs)
{
    QStringDecoder cp932("windows-31j", QStringConverter::Flag::Stateless);
    if (!cp932.isValid())
        return; // a Qt without ICU: every pair reads as U+FFFD and its second byte
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLeadByte(lead))
            continue;
        QByteArray row;
        QList<unsigned> trails;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (!isTrailByte(trail))
                continue;
            row.append(char(lead)).append(char(trail)).append('\n');
            trails.append(trail);
        }
        cp932.resetState();
        const QString text = cp932.decode(row);
        const QList<QStringView> parts = QStringView(text).split(u'\n');
        for (qsizetype i = 0; i < trails.size() && i < parts.size(); ++i) {
            const QStringView c = parts.at(i);
            if (c.size() == 1 && c.at(0) != QChar::ReplacementCharacter && c.at(0) != u'\x1A')
                pairs[(lead - 0x80) * 0x100 + trails.at(i)] = c.at(0).unicode();
        }
    }
}
#endif

const PairTable &pairTable()
{
    static const PairTable pairs = [] {
        PairTable table{};
        fillPairs(table);
        return table;
    }();
    return pairs;
}

// Writes the characters of code page 932 bytes to out, at most one per byte, and returns the
// end of what it wrote.
QChar *appendCodePage932(QChar *out, QByteArrayView bytes)
{
    const PairTable &pairs = pairTable();
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *out++ = QChar(b);
        } else if (b >= 0xA1 && b <= 0xDF) {
            *out++ = QChar(char16_t(0xFF61 + (b - 0xA1)));
        } else if (const char16_t c =
                       isLeadByte(b) && i + 1 < n ? pairs[(b - 0x80) * 0x100 + p[i + 1]] : 0) {
            *out++ = QChar(c);
            ++i;
        } else {
            *out++ = QChar::ReplacementCharacter;
        }
    }
    return out;
}

enum class Utf8Kind { Ascii, Invalid, HalfWidthLookalike, Utf8 };

bool isTrail(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// One pass over the bytes: valid UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF), and if so whether it could be code page 932 half-width katakana in disguise.
Utf8Kind classify(QByteArrayView bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype n = bytes.size();
    bool nonAscii = false;
    bool onlyLookalikes = true;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        if (b >= 0xC2 && b <= 0xDF) {
            if (i + 1 >= n || !isTrail(p[i + 1]))
                return Utf8Kind::Invalid;
            // Code page 932 reads C2-DF and A1-BF alike as half-width katakana.
            if (p[i + 1] < 0xA1)
                onlyLookalikes = false;
            i += 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            if (i + 2 >= n || !isTrail(p[i + 1]) || !isTrail(p[i + 2]))
                return Utf8Kind::Invalid;
            if ((b == 0xE0 && p[i + 1] < 0xA0) || (b == 0xED && p[i + 1] > 0x9F))
                return Utf8Kind::Invalid;
            onlyLookalikes = false;
            i += 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            if (i + 3 >= n || !isTrail(p[i + 1]) || !isTrail(p[i + 2]) || !isTrail(p[i + 3]))
                return Utf8Kind::Invalid;
            if ((b == 0xF0 && p[i + 1] < 0x90) || (b == 0xF4 && p[i + 1] > 0x8F))
                return Utf8Kind::Invalid;
            onlyLookalikes = false;
            i += 4;
        } else {
            return Utf8Kind::Invalid;
        }
    }
    if (!nonAscii)
        return Utf8Kind::Ascii;
    return onlyLookalikes ? Utf8Kind::HalfWidthLookalike : Utf8Kind::Utf8;
}
} // namespace

std::optional<QString> decodeWholeText(const QByteArray &bytes)
{
    const QByteArrayView all(bytes);
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return decodeAs(QStringConverter::Utf8, all.sliced(3));
    if (startsWith(bytes, {0xFF, 0xFE}))
        return decodeAs(QStringConverter::Utf16LE, all.sliced(2));
    if (startsWith(bytes, {0xFE, 0xFF}))
        return decodeAs(QStringConverter::Utf16BE, all.sliced(2));
    // An old Windows file shows itself in its first lines as a rule, so those are tried first
    // rather than megabytes decoded for nothing. The cut follows an LF, which is never part of
    // a longer UTF-8 sequence.
    constexpr qsizetype FirstPart = 64 * 1024;
    const qsizetype lineEnd = all.size() > FirstPart ? bytes.indexOf('\n', FirstPart) : -1;
    const qsizetype cut = lineEnd < 0 ? all.size() : lineEnd + 1;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text(utf8.requiredSpace(all.size()), Qt::Uninitialized);
    QChar *out = utf8.appendToBuffer(text.data(), all.first(cut));
    if (utf8.hasError())
        return std::nullopt;
    out = utf8.appendToBuffer(out, all.sliced(cut));
    if (utf8.hasError())
        return std::nullopt;
    text.truncate(out - text.constData());
    return text;
}

QString decodeLineByLine(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);

    // One buffer for the whole text instead of a string per line.
    QString text;
    qsizetype used = 0;
    const auto take = [&](QByteArrayView line) {
        const Utf8Kind kind = classify(line);
        const bool isUtf8 = kind == Utf8Kind::Ascii || kind == Utf8Kind::Utf8;
        // Code page 932 gives at most one character per byte.
        const qsizetype room = (isUtf8 ? utf8.requiredSpace(line.size()) : line.size()) + 1;
        if (text.size() - used < room)
            text.resize(std::max(used + room, bytes.size() + used / 2 + room));
        QChar *const begin = text.data() + used;
        QChar *out = isUtf8 ? utf8.appendToBuffer(begin, line) : appendCodePage932(begin, line);
        *out++ = QLatin1Char('\n');
        used += out - begin;
    };
    qsizetype start = 0;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char c = bytes.at(i);
        if (c != '\r' && c != '\n')
            continue;
        take(bytes.sliced(start, i - start));
        if (c == '\r' && i + 1 < n && bytes.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        take(bytes.sliced(start));
    text.truncate(used);
    return text;
}

QString decodeCodePage932(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    text.truncate(appendCodePage932(text.data(), bytes) - text.constData());
    return text;
}

} // namespace platform
