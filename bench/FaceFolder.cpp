// SPDX-License-Identifier: MIT
#include "FaceFolder.h"

#include "platform/ProgramFolders.h"

#include <QFile>

FaceFolder::FaceFolder(const QByteArray &faceTxt)
{
    platform::setProgramFolders(
        platform::ProgramFolders{m_dir.path(), m_dir.filePath(QStringLiteral("nobody"))});
    QFile file(m_dir.filePath(QStringLiteral("face.txt")));
    m_valid = m_dir.isValid() && file.open(QIODevice::WriteOnly) &&
              file.write(faceTxt) == faceTxt.size() && file.flush();
}

FaceFolder::~FaceFolder()
{
    platform::setProgramFolders(std::nullopt);
}
