// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

// One group of the emoticon file: its name and its emoticons in the order of their lines.
// Duplicates stay; an emoticon may be empty.
struct FaceGroup
{
    QString GroupName;
    QStringList Faces;

    bool operator==(const FaceGroup &) const = default;
};
