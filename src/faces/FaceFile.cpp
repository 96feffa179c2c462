// SPDX-License-Identifier: MIT
#include "faces/FaceFile.h"

#include "platform/ProgramFolders.h"

#include <QFileInfo>

QString faceFilePath()
{
    const QString name = QStringLiteral("/face.txt");
    const platform::ProgramFolders folders = platform::programFolders();
    const QString own = folders.userData + name;
    // A folder of that name is no file of the user's; the shipped one still serves.
    if (QFileInfo(own).isFile())
        return own;
    return folders.program + name;
}
