// SPDX-License-Identifier: MIT
#include "faces/FaceTable.h"

#include "platform/TextDecoding.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>

#include <optional>

static_assert(FaceTable::MaxGroups < 0xFFFF, "a slot holds a group's number + 1 in 16 bits");
// The index never outgrows 2^16 slots, so a slot is chosen by the hash's low 16 bits at most
// and the tag, from bits 16 to 31 (folded with 48 to 63), is independent of it.
static_assert(2 * FaceTable::MaxGroups <= 0x10000, "the slot number stays in 16 bits");

namespace {
constexpr char16_t Tab = u'\t';
constexpr char16_t Space = u' ';
constexpr quint32 NumberBits = 0xFFFF;

// Bits of the hash that do not choose the slot.
quint32 tag(size_t hash)
{
    const quint64 wide = hash;
    return quint32(wide >> 32 ^ wide) & ~NumberBits;
}
} // namespace

FaceTable FaceTable::fromFile(const QString &path)
{
    // A folder of that name would open on some systems and read as nothing useful.
    if (!QFileInfo(path).isFile())
        return FaceTable();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FaceTable();
    const QByteArray bytes = file.readAll();
    file.close();
    return fromBytes(bytes);
}

FaceTable FaceTable::fromBytes(const QByteArray &bytes)
{
    FaceTable table;
    std::optional<QString> whole = platform::decodeWholeText(bytes);
    // The decoded text becomes the table's own, without a copy.
    table.m_text = whole ? std::move(*whole) : platform::decodeLineByLine(bytes);
    table.readFrom(0);
    return table;
}

void FaceTable::readText(QStringView text)
{
    readFrom(keep(text));
}

void FaceTable::AddFaceLine(QStringView line)
{
    const qsizetype begin = keep(line);
    const qsizetype tab1 = line.indexOf(QChar(Tab));
    const qsizetype tab2 = tab1 < 0 ? -1 : line.indexOf(QChar(Tab), tab1 + 1);
    addFace(begin, m_text.size(), tab1 < 0 ? -1 : begin + tab1, tab2 < 0 ? -1 : begin + tab2);
}

qsizetype FaceTable::keep(QStringView text)
{
    const qsizetype start = m_text.size();
    m_text.append(text);
    return start;
}

// One pass finds the line ends and each line's first two TABs together.
void FaceTable::readFrom(qsizetype start)
{
    const char16_t *p = reinterpret_cast<const char16_t *>(m_text.constData());
    const qsizetype n = m_text.size();
    qsizetype tab1 = -1;
    qsizetype tab2 = -1;
    const auto endLine = [&](qsizetype end) {
        qsizetype begin = start;
        // Two files joined with cat bring the second one's byte-order mark along.
        if (begin < end && p[begin] == 0xFEFF)
            ++begin;
        // The marker counts only at the very start, before any trimming.
        const bool comment = end - begin >= 2 && p[begin] == u'!' && p[begin + 1] == u'!';
        if (!comment && tab1 >= 0)
            addFace(begin, end, tab1, tab2);
        tab1 = tab2 = -1;
    };
    qsizetype i = start;
    while (i < n) {
        const char16_t c = p[i];
        // Nearly every character is above CR, which leaves one comparison for it.
        if (c > u'\r') {
            ++i;
        } else if (c == Tab) {
            if (tab1 < 0)
                tab1 = i;
            else if (tab2 < 0)
                tab2 = i;
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            endLine(i);
            i += (c == u'\r' && i + 1 < n && p[i + 1] == u'\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < n)
        endLine(n);
}

void FaceTable::addFace(qsizetype begin, qsizetype end, qsizetype tab1, qsizetype tab2)
{
    if (tab1 < 0)
        return;
    // Only U+0020 is trimmed, so the TABs stay where they are.
    const QChar *p = m_text.constData();
    while (p[begin] == Space)
        ++begin;
    while (p[end - 1] == Space)
        --end;
    const QStringView nameText = QStringView(m_text).sliced(begin, tab1 - begin);
    const Face face{{tab1 + 1, (tab2 < 0 ? end : tab2) - (tab1 + 1)}, -1};

    if (m_slots.isEmpty())
        growIndex();
    const size_t hash = qHash(nameText, QHashSeed::globalSeed());
    const qsizetype slot = slotOf(nameText, hash);
    const int at = int(m_faces.size());
    if (m_slots.at(slot) != 0) {
        Group &group = m_groups[(m_slots.at(slot) & NumberBits) - 1];
        m_faces[group.last].next = at;
        group.last = at;
        m_faces.append(face);
        return;
    }
    // Groups past the limit are left out with their lines.
    if (m_groups.size() >= MaxGroups)
        return;
    m_groups.append(Group{at, at});
    m_names.append(nameText);
    m_nameStart.append(m_names.size());
    m_faces.append(face);
    m_slots[slot] = tag(hash) | quint32(m_groups.size());
    if (m_groups.size() * 2 > m_slots.size())
        growIndex();
}

qsizetype FaceTable::slotOf(QStringView text, size_t hash) const
{
    const qsizetype mask = m_slots.size() - 1;
    const quint32 wanted = tag(hash);
    for (qsizetype slot = qsizetype(hash) & mask;; slot = (slot + 1) & mask) {
        const quint32 held = m_slots.at(slot);
        if (held == 0)
            return slot;
        if ((held & ~NumberBits) == wanted && name((held & NumberBits) - 1) == text)
            return slot;
    }
}

void FaceTable::growIndex()
{
    const qsizetype size = m_slots.isEmpty() ? 64 : m_slots.size() * 2;
    m_slots.fill(0, size);
    const qsizetype mask = size - 1;
    for (qsizetype group = 0; group < m_groups.size(); ++group) {
        const size_t hash = qHash(name(group), QHashSeed::globalSeed());
        qsizetype slot = qsizetype(hash) & mask;
        while (m_slots.at(slot) != 0)
            slot = (slot + 1) & mask;
        m_slots[slot] = tag(hash) | quint32(group + 1);
    }
}

QStringView FaceTable::name(qsizetype group) const
{
    const qsizetype start = m_nameStart.at(group);
    return QStringView(m_names).sliced(start, m_nameStart.at(group + 1) - start);
}

QString FaceTable::groupName(int group) const
{
    return name(group).toString();
}

QStringList FaceTable::groupNames() const
{
    QStringList names;
    names.reserve(m_groups.size());
    for (qsizetype group = 0; group < m_groups.size(); ++group)
        names.append(name(group).toString());
    return names;
}

QStringList FaceTable::faces(int group) const
{
    QStringList faces;
    for (int at = m_groups.at(group).first; at >= 0; at = m_faces.at(at).next)
        faces.append(string(m_faces.at(at).text));
    return faces;
}

QList<FaceGroup> FaceTable::FaceGroups() const
{
    QList<FaceGroup> groups;
    groups.reserve(m_groups.size());
    for (int group = 0; group < GroupCount(); ++group)
        groups.append(FaceGroup{groupName(group), faces(group)});
    return groups;
}
