// SPDX-License-Identifier: MIT
#include "platform/ProgramFolders.h"

#include "platform/AppName.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace platform {

namespace {
std::optional<ProgramFolders> &replacement()
{
    static std::optional<ProgramFolders> folders;
    return folders;
}
} // namespace

ProgramFolders programFolders()
{
    if (replacement())
        return *replacement();
    // Not AppDataLocation, which adds the organisation's name, and not locate(), which would
    // also search XDG_DATA_DIRS.
    return {QCoreApplication::applicationDirPath(),
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                QLatin1Char('/') + AppName};
}

void setProgramFolders(std::optional<ProgramFolders> folders)
{
    replacement() = std::move(folders);
}

} // namespace platform
