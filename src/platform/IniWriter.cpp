#include "platform/IniWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMap>
#include <QSaveFile>
#include <QSettings>

namespace platform {

namespace {

bool isPlainKeyPart(QStringView part)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part) {
        const char16_t u = c.unicode();
        const bool ok = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                        (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_' || u == '~';
        if (!ok)
            return false;
    }
    return true;
}

// "Section/key" with plain characters only; anything else needs Qt's key escaping.
std::optional<std::pair<QString, QString>> splitKey(const QString &key)
{
    const qsizetype slash = key.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        if (!isPlainKeyPart(key))
            return std::nullopt;
        return std::pair{QStringLiteral("General"), key};
    }
    const QString section = key.left(slash);
    const QString name = key.mid(slash + 1);
    if (!isPlainKeyPart(section) || !isPlainKeyPart(name) ||
        section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
        return std::nullopt;
    return std::pair{section, name};
}

} // namespace

std::optional<QByteArray> iniEscapedString(const QString &value)
{
    QString text = value;
    if (text.startsWith(QLatin1Char('@')))
        text.prepend(QLatin1Char('@'));

    // Control characters other than TAB, CR and LF take Qt's hexadecimal escapes, whose rules
    // about the digits that follow are left to Qt.
    bool needsQuotes = false;
    qsizetype specials = 0;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 && u != '\t' && u != '\r' && u != '\n')
            return std::nullopt;
        if (u == ';' || u == ',' || u == '=')
            needsQuotes = true;
        if (u == '\t' || u == '\r' || u == '\n' || u == '"' || u == '\\')
            ++specials;
    }

    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + specials + 2);
    // Copy the runs between escapes whole; most of a body needs none.
    const char *run = utf8.constData();
    const char *const end = run + utf8.size();
    for (const char *p = run; p != end; ++p) {
        const char *escape = nullptr;
        switch (*p) {
        case '\t':
            escape = "\\t";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\n':
            escape = "\\n";
            break;
        case '"':
            escape = "\\\"";
            break;
        case '\\':
            escape = "\\\\";
            break;
        default:
            continue;
        }
        out.append(run, p - run);
        out.append(escape, 2);
        run = p + 1;
    }
    out.append(run, end - run);
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' ')) {
        out.prepend('"');
        out.append('"');
    }
    return out;
}

std::optional<bool> writeIniStrings(QSettings &settings,
                                    const QList<std::pair<QString, QString>> &values)
{
    // Every key with its value as written, grouped by section in the file's order.
    QMap<QString, QList<std::pair<QString, QByteArray>>> sections;
    QHash<QString, bool> ours;
    ours.reserve(values.size());
    for (const auto &[key, value] : values)
        ours.insert(key, true);

    auto add = [&sections](const QString &key, const QString &value) {
        const auto parts = splitKey(key);
        if (!parts)
            return false;
        const auto escaped = iniEscapedString(value);
        if (!escaped)
            return false;
        sections[parts->first].append({parts->second, *escaped});
        return true;
    };

    // Keys this program does not write (leftovers of a longer list, a hand-added key) stay.
    const QStringList existing = settings.allKeys();
    for (const QString &key : existing) {
        if (ours.contains(key))
            continue;
        const QVariant v = settings.value(key);
        if (v.typeId() != QMetaType::QString || !add(key, v.toString()))
            return std::nullopt;
    }
    for (const auto &[key, value] : values)
        if (!add(key, value))
            return std::nullopt;

    QByteArray file;
    qsizetype size = 0;
    for (const auto &entries : std::as_const(sections))
        for (const auto &[name, escaped] : entries)
            size += name.size() + escaped.size() + 2;
    file.reserve(size + sections.size() * 32);
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!file.isEmpty())
            file += '\n';
        file += '[' + it.key().toLatin1() + "]\n";
        for (const auto &[name, escaped] : it.value()) {
            file += name.toLatin1();
            file += '=';
            file += escaped;
            file += '\n';
        }
    }

    const QString path = settings.fileName();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    // The same lock QSettings takes, so two writers never interleave.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.lock())
        return false;
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    out.write(file);
    return out.commit();
}

} // namespace platform
