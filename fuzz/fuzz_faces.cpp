// SPDX-License-Identifier: MIT
// Any bytes as an emoticon file: the reader must not crash, and the table found through the
// name index must be the one the linear reading gives.
#include "LinearFaceReader.h"
#include "faces/FaceTable.h"

#include <QByteArray>
#include <QSet>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
