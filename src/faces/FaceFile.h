// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Where the picker reads face.txt: the user's own file if there is one (even an empty one, which
// is the user's choice), otherwise the one in the program's folder. Nothing else is searched.
QString faceFilePath();
