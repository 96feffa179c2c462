// SPDX-License-Identifier: MIT
#include "platform/TextDecoding.h"

#include <QStringDecoder>

#include <algorithm>

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
    // Code page 932: 0x5C stays a backslash and 0x8160 is U+FF5E, unlike strict Shift_JIS maps.
    QStringDecoder cp932("windows-31j", QStringConverter::Flag::Stateless);
    QStringDecoder &other = cp932.isValid() ? cp932 : utf8; // a Qt without ICU

    // One buffer for the whole text instead of a string per line.
    QString text;
    qsizetype used = 0;
    const auto take = [&](QByteArrayView line) {
        const Utf8Kind kind = classify(line);
        QStringDecoder &decoder =
            (kind == Utf8Kind::Ascii || kind == Utf8Kind::Utf8) ? utf8 : other;
        const qsizetype room = decoder.requiredSpace(line.size()) + 1;
        if (text.size() - used < room)
            text.resize(std::max(used + room, bytes.size() + used / 2 + room));
        // A lead byte at a line's end must not take the next line's first byte as its trail;
        // Qt's converter through ICU keeps such a byte even when told to be stateless.
        decoder.resetState();
        QChar *const begin = text.data() + used;
        QChar *out = decoder.appendToBuffer(begin, line);
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

} // namespace platform
