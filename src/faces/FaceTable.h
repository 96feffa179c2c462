// SPDX-License-Identifier: MIT
#pragma once

#include "faces/FaceGroup.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The emoticon table read from face.txt: the groups in the order in which their names first
// appear, each with its emoticons. No widgets; the picker builds one at every opening.
class FaceTable
{
public:
    // List boxes count with 16-bit indexes, so the table stops growing here.
    static constexpr int MaxGroups = 32767;

    // The table of a whole file's bytes. A file that a byte-order mark or valid UTF-8 throughout
    // does not explain is decoded line by line (platform::decodeLineByLine).
    static FaceTable fromBytes(const QByteArray &bytes);

    // The table of the file at path; a missing, unreadable or non-regular file gives none.
    static FaceTable fromFile(const QString &path);

    // Files every line of decoded text, skipping the "!!" comments. CR LF, a lone CR and a lone
    // LF each end a line; a final line end opens no new line.
    void readText(QStringView text);

    // Files one line's emoticon under its group; lines without a TAB are ignored.
    void AddFaceLine(QStringView line);

    const QList<FaceGroup> &FaceGroups() const { return m_groups; }
    int GroupCount() const { return int(m_groups.size()); }
    QStringList groupNames() const;

    bool operator==(const FaceTable &other) const { return m_groups == other.m_groups; }

private:
    // Files one decoded line unless it is a comment; a byte-order mark at its start is dropped.
    void readLine(QStringView line);

    QList<FaceGroup> m_groups;
    // Keys view the names held in m_groups: a name's characters stay where they are while the
    // list grows (its string moves, its shared buffer does not), and names never change. So a
    // line's group is found without copying its name.
    QHash<QStringView, int> m_index;
};
