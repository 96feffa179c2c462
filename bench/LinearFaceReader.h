// SPDX-License-Identifier: MIT
#pragma once

#include "faces/FaceGroup.h"

#include <QByteArray>
#include <QList>

// The emoticon file read the plain way: all lines split off first, and each line's group found
// by comparing its name with every group before it. It is the benchmark's baseline for
// FaceTable's indexed reading, and a second, independent reading of the same rules that the
// tests compare FaceTable with.
QList<FaceGroup> readFacesLinearly(const QByteArray &bytes);
