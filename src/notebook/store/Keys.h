// SPDX-License-Identifier: MIT
#pragma once

#include "notebook/FinishText.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <utility>

// Everything the notebook keeps between runs, as held in the settings store.
struct NotebookTexts
{
    std::array<QString, 3> SlotBody;
    std::array<QString, 3> SlotTitle;
    std::array<QString, 3> Info;
    bool locked = false;
    QStringList shortTexts;
};

namespace store {

// One key of the store and what it holds. Reading (through QSettings and through the program's
// own reader), writing and the loader's checks all follow the table below, so a new setting is
// one more line there.
struct Field
{
    QStringView section;
    QStringView key;
    // The value written for these texts.
    QString (*value)(const NotebookTexts &);
    // Takes a value read; a missing key reads as an empty string.
    void (*take)(NotebookTexts &, QString);

    // "Data/str1"
    QString path() const { return section.toString().append(u'/').append(key); }
};

namespace field {
// A text of one of the three-element arrays, written as typed.
template <std::array<QString, 3> NotebookTexts::*Texts, int I>
constexpr Field text(QStringView section, QStringView key)
{
    return {section, key, [](const NotebookTexts &t) { return (t.*Texts)[I]; },
            [](NotebookTexts &t, QString v) { (t.*Texts)[I] = std::move(v); }};
}

// A body, written as it leaves the program (see FinishText).
template <int I> constexpr Field body(QStringView section, QStringView key)
{
    return {section, key, [](const NotebookTexts &t) { return FinishText(t.SlotBody[I]); },
            [](NotebookTexts &t, QString v) { t.SlotBody[I] = std::move(v); }};
}

// The lock: only the exact value "lock" means locked.
constexpr Field lock(QStringView section, QStringView key)
{
    return {section, key,
            [](const NotebookTexts &t) {
                return t.locked ? QStringLiteral("lock") : QStringLiteral("unlock");
            },
            [](NotebookTexts &t, QString v) { t.locked = v == u"lock"; }};
}
} // namespace field

inline constexpr QStringView DataSection = u"Data";

// The store's keys, in the order they are written.
inline constexpr std::array Fields{
    field::body<0>(DataSection, u"str1"), // the three drafts' bodies
    field::body<1>(DataSection, u"str2"),
    field::body<2>(DataSection, u"str3"),
    field::text<&NotebookTexts::SlotTitle, 0>(DataSection, u"Title1"), // their titles
    field::text<&NotebookTexts::SlotTitle, 1>(DataSection, u"Title2"),
    field::text<&NotebookTexts::SlotTitle, 2>(DataSection, u"Title3"),
    field::text<&NotebookTexts::Info, 0>(DataSection, u"info0"), // handle, mail address, URL
    field::text<&NotebookTexts::Info, 1>(DataSection, u"info1"),
    field::text<&NotebookTexts::Info, 2>(DataSection, u"info2"),
    field::lock(u"Setting", u"Lock"), // whether the texts are locked against editing
};

// The short texts, written after the keys above as "Data/tanbun0", "Data/tanbun1", ... and
// ended by one empty value; reading stops at the first empty one or at the bound.
inline constexpr QStringView ShortTextSection = DataSection;
inline constexpr QStringView ShortTextPrefix = u"tanbun";

// The store keeps at most this many short texts, so the registration window builds no longer
// list.
inline constexpr int MaxShortTexts = 32766;

// "tanbun0", "tanbun1", ... (without the section).
inline QString shortTextKey(int index)
{
    return ShortTextPrefix.toString().append(QString::number(index));
}

} // namespace store
