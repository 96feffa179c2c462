// SPDX-License-Identifier: MIT
#include "platform/ini/IniReader.h"

#include <QFileInfo>
#include <QStringDecoder>

#include <array>

namespace platform {

namespace {

// What Qt's line reader stops at: line ends, quotes, ';', '=' and '\\'.
constexpr std::array<bool, 256> SpecialBytes = [] {
    std::array<bool, 256> table{};
    for (unsigned char c : {'\n', '\r', '"', ';', '=', '\\'})
        table[c] = true;
    return table;
}();

bool isLineSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isSpecial(char c)
{
    return SpecialBytes[static_cast<unsigned char>(c)];
}

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char16_t c)
{
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// One logical line the way Qt's reader finds it: leading blanks and ';' comment lines skipped,
// '\\' taking the next character (a line end too), quotes carrying the line over line ends,
// an unquoted ';' ending it. Returns false at the end of the data.
struct LineReader
{
    QByteArrayView data;
    qsizetype pos = 0;
    qsizetype start = 0, length = 0, equals = -1;
    bool danglingEscape = false, openQuote = false;

    bool next()
    {
        const qsizetype size = data.size();
        bool inQuotes = false;
        danglingEscape = false;
        equals = -1;
        start = pos;
        while (start < size && isLineSpace(data[start]))
            ++start;
        qsizetype i = start;
        while (i < size) {
            while (i < size && !isSpecial(data[i]))
                ++i;
            if (i == size)
                break;
            const char ch = data[i++];
            if (ch == '=') {
                if (!inQuotes && equals == -1)
                    equals = i - 1;
            } else if (ch == '\n' || ch == '\r') {
                if (i == start + 1) {
                    ++start;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            } else if (ch == '\\') {
                if (i < size) {
                    const char escaped = data[i++];
                    if (i < size) {
                        const char after = data[i];
                        if ((escaped == '\n' && after == '\r') ||
                            (escaped == '\r' && after == '\n'))
                            ++i;
                    }
                } else {
                    danglingEscape = true;
                }
            } else if (ch == '"') {
                inQuotes = !inQuotes;
            } else { // ';'
                if (i == start + 1) {
                    while (i < size && data[i] != '\n' && data[i] != '\r')
                        ++i;
                    while (i < size && isLineSpace(data[i]))
                        ++i;
                    start = i;
                } else if (!inQuotes) {
                    --i;
                    break;
                }
            }
        }
        openQuote = inQuotes && i == size;
        pos = i;
        length = i - start;
        return length > 0;
    }
};

// A key or section name as Qt unescapes it: UTF-8, '\\' for '/', "%XX" and "%UXXXX". nullopt
// for a '%' whose digits Qt's number parsing might read otherwise than plain hex.
std::optional<QString> unescapedName(QByteArrayView bytes)
{
    const QString decoded = QString::fromUtf8(bytes);
    if (!decoded.contains(QLatin1Char('%')) && !decoded.contains(QLatin1Char('\\')))
        return decoded;
    QString out;
    out.reserve(decoded.size());
    const qsizetype size = decoded.size();
    for (qsizetype i = 0; i < size;) {
        const char16_t ch = decoded.at(i).unicode();
        if (ch == '\\') {
            out += QLatin1Char('/');
            ++i;
            continue;
        }
        if (ch != '%' || i == size - 1) {
            out += QChar(ch);
            ++i;
            continue;
        }
        qsizetype first = i + 1;
        int digits = 2;
        if (decoded.at(first) == QLatin1Char('U')) {
            ++first;
            digits = 4;
        }
        if (first + digits > size) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        char16_t value = 0;
        bool hex = true;
        for (int d = 0; d < digits; ++d) {
            const char16_t c = decoded.at(first + d).unicode();
            if (isHexDigit(c)) {
                value = char16_t(value << 4 | hexValue(c));
                continue;
            }
            if (!((c >= 'g' && c <= 'z') || (c >= 'G' && c <= 'Z')) || c == 'x' || c == 'X')
                return std::nullopt; // a sign, a blank, "0x", anything not plainly a non-digit
            hex = false;
        }
        if (!hex) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        out += QChar(value);
        i = first + digits;
    }
    return out;
}

} // namespace

bool scanIni(QByteArrayView bytes, const std::function<void(const IniEntry &)> &visit,
             bool *selfContained, QStringList *sectionNames)
{
    IniEntry entry;
    bool contained = true;
    const auto entriesOf = [&](LineReader &lines, QByteArrayView data) {
        contained = !lines.danglingEscape;
        if (lines.equals < 0)
            return true;
        const QByteArrayView line = data.sliced(lines.start, lines.length);
        const qsizetype equals = lines.equals - lines.start;
        const std::optional<QString> name = unescapedName(line.first(equals).trimmed());
        if (!name)
            return false;
        entry.key = entry.section + *name;
        entry.value = line.sliced(equals + 1);
        entry.line = line;
        entry.openQuote = lines.openQuote;
        visit(entry);
        return true;
    };
    if (sectionNames)
        sectionNames->append(QString());

    LineReader reader{bytes};
    if (bytes.startsWith("\xef\xbb\xbf")) {
        // Qt finds the section lines past a UTF-8 BOM, but reads the lines before the first
        // one from the very start, BOM included (it then becomes part of the first key, where
        // decoding drops it).
        reader.pos = 3;
        while (reader.next() && bytes[reader.start] != '[') {
        }
        const qsizetype end = reader.length > 0 ? reader.start : bytes.size();
        const QByteArrayView head = bytes.first(end);
        LineReader lines{head};
        while (lines.next()) {
            if (!entriesOf(lines, head))
                return false;
        }
        reader.pos = end;
    }
    while (reader.next()) {
        const QByteArrayView line = bytes.sliced(reader.start, reader.length);
        if (line.front() != '[') {
            if (!entriesOf(reader, bytes))
                return false;
            continue;
        }
        entry.header = line;
        qsizetype close = line.indexOf(']');
        if (close < 0)
            close = line.size();
        const QByteArrayView name = line.first(close).sliced(1).trimmed();
        if (name.compare("general", Qt::CaseInsensitive) == 0) {
            entry.section.clear();
        } else if (name.compare("%general", Qt::CaseInsensitive) == 0) {
            entry.section = QString::fromLatin1(name.sliced(1)) + QLatin1Char('/');
        } else {
            const std::optional<QString> unescaped = unescapedName(name);
            if (!unescaped)
                return false;
            entry.section = *unescaped + QLatin1Char('/');
        }
        if (sectionNames)
            sectionNames->append(entry.section);
    }
    if (selfContained)
        *selfContained = contained;
    return true;
}

std::optional<QString> iniUnescapedString(QByteArrayView str)
{
    // The same states as Qt's reader, writing straight into one string as long as the bytes
    // (no escape or UTF-8 sequence yields more UTF-16 units than it has bytes), cut to size at
    // the end; its pages past what is written are never touched.
    QString result;
    result.resize(str.size() + 4);
    QChar *const begin = result.data();
    QChar *out = begin;
    QStringDecoder fromUtf8(QStringDecoder::Utf8);
    bool inQuotes = false;
    bool quoted = false;
    qsizetype i = 0;
    qsizetype chopLimit = 0;
    char32_t escape = 0;
    const qsizetype size = str.size();
    const auto chopTrailingSpaces = [&] {
        while (out - begin > chopLimit && (out[-1] == u' ' || out[-1] == u'\t'))
            --out;
    };

    enum class State { SkipSpaces, Normal, Hex, Octal, End };
    State state = State::SkipSpaces;
    while (state != State::End) {
        switch (state) {
        case State::SkipSpaces:
            while (i < size && (str[i] == ' ' || str[i] == '\t'))
                ++i;
            state = State::Normal;
            break;
        case State::Normal: {
            chopLimit = out - begin;
            state = State::End;
            bool finished = true;
            while (i < size && finished) {
                const char c = str[i];
                if (c == '\\') {
                    ++i;
                    if (i >= size)
                        goto end;
                    const char code = str[i++];
                    char simple = 0;
                    switch (code) {
                    case 'a':
                        simple = '\a';
                        break;
                    case 'b':
                        simple = '\b';
                        break;
                    case 'f':
                        simple = '\f';
                        break;
                    case 'n':
                        simple = '\n';
                        break;
                    case 'r':
                        simple = '\r';
                        break;
                    case 't':
                        simple = '\t';
                        break;
                    case 'v':
                        simple = '\v';
                        break;
                    case '"':
                    case '?':
                    case '\'':
                    case '\\':
                        simple = code;
                        break;
                    default:
                        break;
                    }
                    if (simple) {
                        *out++ = QLatin1Char(simple);
                        state = State::Normal;
                        finished = false;
                        continue;
                    }
                    if (code == 'x') {
                        escape = 0;
                        if (i >= size)
                            goto end;
                        if (isHexDigit(char16_t(str[i]))) {
                            state = State::Hex;
                            finished = false;
                            continue;
                        }
                    } else if (code >= '0' && code <= '7') {
                        escape = char32_t(code - '0');
                        state = State::Octal;
                        finished = false;
                        continue;
                    } else if (code == '\n' || code == '\r') {
                        if (i < size) {
                            const char next = str[i];
                            if ((next == '\n' || next == '\r') && next != code)
                                ++i;
                        }
                    }
                    // Anything else after the backslash is dropped.
                    chopLimit = out - begin;
                } else if (c == '"') {
                    ++i;
                    quoted = true;
                    inQuotes = !inQuotes;
                    if (!inQuotes) {
                        state = State::SkipSpaces;
                        finished = false;
                    }
                } else if (c == ',' && !inQuotes) {
                    return std::nullopt; // a list
                } else {
                    qsizetype j = i + 1;
                    while (j < size && str[j] != '\\' && str[j] != '"' && str[j] != ',')
                        ++j;
                    out = fromUtf8.appendToBuffer(out, str.sliced(i, j - i));
                    i = j;
                }
            }
            if (finished) {
                if (!quoted)
                    chopTrailingSpaces();
                state = State::End;
            }
            break;
        }
        case State::Hex:
            if (i >= size) {
                *out++ = QChar(char16_t(escape));
                goto end;
            }
            if (isHexDigit(char16_t(str[i]))) {
                escape = escape << 4 | char32_t(hexValue(char16_t(str[i])));
                ++i;
            } else {
                *out++ = QChar(char16_t(escape));
                state = State::Normal;
            }
            break;
        case State::Octal:
            if (i >= size) {
                *out++ = QChar(char16_t(escape));
                goto end;
            }
            if (str[i] >= '0' && str[i] <= '7') {
                escape = escape << 3 | char32_t(str[i] - '0');
                ++i;
            } else {
                *out++ = QChar(char16_t(escape));
                state = State::Normal;
            }
            break;
        case State::End:
            break;
        }
    }
end:
    result.truncate(out - begin);
    // What QSettings makes of a value starting with '@': "@@" stands for one, a known type
    // name with its parentheses is a typed value, anything else stays as it is.
    if (result.startsWith(QLatin1Char('@'))) {
        if (result.startsWith(QLatin1String("@@")))
            result.remove(0, 1);
        else if (result.endsWith(QLatin1Char(')')))
            return std::nullopt;
    }
    if (result.capacity() > result.size())
        result.squeeze();
    return result;
}

FileStamp FileStamp::of(const QString &path)
{
    QFileInfo info(path);
    info.setCaching(false);
    FileStamp stamp;
    stamp.exists = info.exists();
    if (stamp.exists) {
        stamp.size = info.size();
        stamp.modified = info.lastModified();
        stamp.changed = info.metadataChangeTime();
    }
    return stamp;
}

bool IniKept::add(const IniEntry &entry)
{
    const auto seen = m_sectionOf.constFind(entry.key);
    if (seen != m_sectionOf.cend() && *seen != entry.section)
        return false;
    if (seen == m_sectionOf.cend())
        m_sectionOf.insert(entry.key, entry.section);
    auto group = std::find_if(m_groups.begin(), m_groups.end(),
                              [&](const Group &g) { return g.section == entry.section; });
    if (group == m_groups.end()) {
        // Lines before the first section keep having none, so that a byte-order mark at the
        // start of the file is written back at the start.
        m_groups.append(Group{entry.section, entry.header.toByteArray(), {}});
        group = std::prev(m_groups.end());
    }
    appendLine(group->lines, entry);
    return true;
}

void IniKept::appendLine(QByteArray &lines, const IniEntry &entry)
{
    lines += entry.line;
    // The value ends where the file did; a closing quote keeps it so with lines after it.
    if (entry.openQuote)
        lines += '"';
    // After "\\" and CR, an LF would be taken as part of the escaped line end.
    lines += entry.line.endsWith('\r') ? '\r' : '\n';
}

} // namespace platform
