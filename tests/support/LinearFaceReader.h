// SPDX-License-Identifier: MIT
#pragma once

#include "faces/FaceGroup.h"

#include <QByteArray>
#include <QList>

// The emoticon file read the plain way: all lines split off first, and each line's group found
// by comparing its name with every group before it. A second, independent reading of the same
// rules: the oracle that the tests and the fuzz targets compare FaceTable with, and the
// benchmark's baseline for its indexed reading.
QList<FaceGroup> readFacesLinearly(const QByteArray &bytes);
