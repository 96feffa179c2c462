#include "platform/TextDecoding.h"

#include <QStringDecoder>

namespace platform {

namespace {
QString decodeAs(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    // The mark has been cut off already; a second one would be a real character.
    QStringDecoder decoder(encoding, QStringConverter::Flag::ConvertInitialBom);
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
} // namespace

QString decodeText(const QByteArray &bytes)
{
    const QByteArrayView all(bytes);
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}))
        return decodeAs(QStringConverter::Utf8, all.sliced(3));
    if (startsWith(bytes, {0xFF, 0xFE}))
        return decodeAs(QStringConverter::Utf16LE, all.sliced(2));
    if (startsWith(bytes, {0xFE, 0xFF}))
        return decodeAs(QStringConverter::Utf16BE, all.sliced(2));

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString asUtf8 = utf8.decode(all);
    if (!utf8.hasError())
        return asUtf8;

    // Code page 932: 0x5C stays a backslash and 0x8160 is U+FF5E, unlike strict Shift_JIS maps.
    QStringDecoder cp932("windows-31j");
    if (!cp932.isValid())
        return asUtf8; // a Qt without ICU: better replacement characters than nothing
    return cp932.decode(all);
}

} // namespace platform
