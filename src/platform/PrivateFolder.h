// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace platform {

// Creates the folder and any missing parent, each new one readable by the user alone (0700);
// folders that already exist keep their modes. True when the folder exists afterwards.
bool makePrivateFolder(const QString &path);

// Whether the folder belongs to the user running the program and nobody else may write in it.
bool isOwnFolder(const QString &path);

} // namespace platform
