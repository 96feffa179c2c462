// SPDX-License-Identifier: MIT
// Any bytes as an emoticon file: the reader must not crash, the table found through the name
// index must be the one the linear reading gives, and reading the text in two pieces split at
// a line end must give it too.
#include "LinearFaceReader.h"
#include "faces/FaceTable.h"
#include "platform/TextDecoding.h"

#include <QByteArray>
#include <QSet>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {
[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_faces: %s\n", what);
    std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const FaceTable indexed = FaceTable::fromBytes(bytes);
    if (indexed.FaceGroups() != readFacesLinearly(bytes))
        fail("the indexed table differs from the linear reading");

    const std::optional<QString> whole = platform::decodeWholeText(bytes);
    const QString text = whole ? *whole : platform::decodeLineByLine(bytes);
    const qsizetype middle = text.indexOf(u'\n', text.size() / 2);
    if (middle >= 0) {
        FaceTable pieces;
        pieces.readText(QStringView(text).first(middle + 1));
        pieces.readText(QStringView(text).sliced(middle + 1));
        if (!(pieces == indexed))
            fail("the text read in two pieces gives another table");
    }

    // One group per name, none without an emoticon, never past the list boxes' limit.
    if (indexed.GroupCount() > FaceTable::MaxGroups)
        fail("more groups than a list box can count");
    QSet<QString> names;
    for (const FaceGroup &group : indexed.FaceGroups()) {
        if (group.Faces.isEmpty())
            fail("a group without emoticons");
        if (names.contains(group.GroupName))
            fail("a group name twice");
        names.insert(group.GroupName);
    }
    return 0;
}
