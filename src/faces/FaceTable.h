// SPDX-License-Identifier: MIT
#pragma once

#include "faces/FaceGroup.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The emoticon table read from face.txt: the groups in the order in which their names first
// appear, each with its emoticons. No widgets; the picker builds one at every opening.
//
// The decoded text is kept once and emoticons are places in it, each group a chain of them: a
// file of 100,000 lines would otherwise make as many strings and grow thousands of lists one
// item at a time.
// Strings are made only for what is asked for, such as the group the user shows.
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

    int GroupCount() const { return int(m_groups.size()); }
    QString groupName(int group) const;
    QStringList groupNames() const;
    // The group's emoticons in the order of their lines.
    QStringList faces(int group) const;
    // The whole table as plain values.
    QList<FaceGroup> FaceGroups() const;

    bool operator==(const FaceTable &other) const { return FaceGroups() == other.FaceGroups(); }

private:
    // A stretch of m_text.
    struct Span
    {
        qsizetype offset;
        qsizetype length;
    };
    // A group's emoticons are a chain through m_faces, so filing one is a single step.
    struct Group
    {
        int first;
        int last;
    };
    struct Face
    {
        Span text;
        int next; // the group's next emoticon, or -1
    };

    // Copies text to the end of m_text and returns where it starts there.
    qsizetype keep(QStringView text);
    QStringView name(qsizetype group) const;
    QString string(Span span) const { return m_text.sliced(span.offset, span.length); }
    // Files the lines of m_text from this offset on.
    void readFrom(qsizetype start);
    // Files the emoticon of the line m_text[begin, end), whose first two TABs are at tab1 and
    // tab2 (-1 for none).
    void addFace(qsizetype begin, qsizetype end, qsizetype tab1, qsizetype tab2);
    // The slot of the group of this name, or of the empty slot where it would go.
    qsizetype slotOf(QStringView text, size_t hash) const;
    void growIndex();

    QString m_text;
    // The names back to back, group g's from m_nameStart[g] to m_nameStart[g + 1]: the index
    // compares a line's name with one of them for nearly every line, and in the text they lie
    // scattered over megabytes.
    QString m_names;
    QList<qsizetype> m_nameStart{0};
    QList<Group> m_groups;
    QList<Face> m_faces;
    // The name index: open addressing over group numbers, never more than half full. A slot
    // holds the group's number + 1 (0: empty) in its low 16 bits and 16 bits of the name's hash
    // above them, so most other names are passed over without looking at their characters, and
    // the slots stay small enough to sit in the cache for the largest table. Over the same names
    // a QHash<QStringView, int> read the 32,767-group benchmark file 1.4 to 1.5 times slower.
    QList<quint32> m_slots;
};
