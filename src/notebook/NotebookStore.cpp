#include "notebook/NotebookStore.h"

#include "notebook/FinishText.h"

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

    texts.locked = settings.value(SettingSection + QLatin1Char('/') + LockKey).toString()
                   == LockedValue;

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

void write(QSettings &settings, const NotebookTexts &texts)
{
    settings.beginGroup(DataSection);
    for (int i = 0; i < 3; ++i)
        settings.setValue(bodyKey(i), FinishText(texts.SlotBody[i]));
    for (int i = 0; i < 3; ++i)
        settings.setValue(titleKey(i), texts.SlotTitle[i]);
    for (int i = 0; i < 3; ++i)
        settings.setValue(infoKey(i), texts.Info[i]);
    const int count = static_cast<int>(texts.shortTexts.size());
    for (int i = 0; i < count; ++i)
        settings.setValue(shortTextKey(i), texts.shortTexts.at(i));
    settings.setValue(shortTextKey(count), QString());
    settings.endGroup();
    settings.setValue(SettingSection + QLatin1Char('/') + LockKey,
                      texts.locked ? LockedValue : UnlockedValue);
}

} // namespace store
