// SPDX-License-Identifier: MIT
#include "notebook/NotebookStore.h"

#include "notebook/FinishText.h"
#include "platform/IniWriter.h"

#include <QSettings>

namespace store {

namespace {
QString readText(QSettings &settings, const QString &key)
{
    return settings.value(key, QString()).toString();
}
} // namespace

QString bodyKey(int slot)
{
    return QStringLiteral("str%1").arg(slot + 1);
}

QString titleKey(int slot)
{
    return QStringLiteral("Title%1").arg(slot + 1);
}

QString infoKey(int index)
{
    return QStringLiteral("info%1").arg(index);
}

QString shortTextKey(int index)
{
    return QStringLiteral("tanbun%1").arg(index);
}

NotebookTexts read(QSettings &settings)
{
    NotebookTexts texts;
    settings.beginGroup(DataSection);
    for (int i = 0; i < 3; ++i)
        texts.SlotBody[i] = readText(settings, bodyKey(i));
    for (int i = 0; i < 3; ++i)
        texts.SlotTitle[i] = readText(settings, titleKey(i));
    for (int i = 0; i < 3; ++i)
        texts.Info[i] = readText(settings, infoKey(i));
    settings.endGroup();

    texts.locked =
        settings.value(SettingSection + QLatin1Char('/') + LockKey).toString() == LockedValue;

    settings.beginGroup(DataSection);
    for (int n = 0; n < MaxShortTexts; ++n) {
        QString item = readText(settings, shortTextKey(n));
        if (item.isEmpty())
            break;
        texts.shortTexts.append(std::move(item));
    }
    settings.endGroup();
    return texts;
}

QList<std::pair<QString, QString>> entries(const NotebookTexts &texts)
{
    const QString data = DataSection + QLatin1Char('/');
    QList<std::pair<QString, QString>> e;
    e.reserve(3 * 3 + texts.shortTexts.size() + 2);
    for (int i = 0; i < 3; ++i)
        e.append({data + bodyKey(i), FinishText(texts.SlotBody[i])});
    for (int i = 0; i < 3; ++i)
        e.append({data + titleKey(i), texts.SlotTitle[i]});
    for (int i = 0; i < 3; ++i)
        e.append({data + infoKey(i), texts.Info[i]});
    const int count = static_cast<int>(texts.shortTexts.size());
    for (int i = 0; i < count; ++i)
        e.append({data + shortTextKey(i), texts.shortTexts.at(i)});
    e.append({data + shortTextKey(count), QString()});
    e.append(
        {SettingSection + QLatin1Char('/') + LockKey, texts.locked ? LockedValue : UnlockedValue});
    return e;
}

void write(QSettings &settings, const NotebookTexts &texts)
{
    for (const auto &[key, value] : entries(texts))
        settings.setValue(key, value);
}

std::optional<bool> saveEntries(QSettings &settings,
                                const QList<std::pair<QString, QString>> &values,
                                const platform::IniWriteLimits &limits)
{
    bool iniFile = settings.format() == QSettings::IniFormat;
#ifndef Q_OS_WIN
    iniFile = iniFile || settings.format() == QSettings::NativeFormat;
#endif
    if (iniFile)
        return platform::writeIniStrings(settings, values, limits);
    // The registry: no lock file to wait for, no escapes to get wrong.
    for (const auto &[key, value] : values)
        settings.setValue(key, value);
    settings.sync();
    // A status left over from reading is no failure of this write.
    return settings.status() != QSettings::AccessError;
}

bool save(QSettings &settings, const NotebookTexts &texts)
{
    return saveEntries(settings, entries(texts)).value_or(false);
}

} // namespace store
