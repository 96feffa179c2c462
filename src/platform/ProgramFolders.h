// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <optional>

namespace platform {

// The two folders the program reads files from.
struct ProgramFolders
{
    // The folder of the running program, links resolved, so a bin/ link finds the real one.
    QString program;
    // The user's own data folder, ~/.local/share/Tesserin (XDG_DATA_HOME moves it). Only this
    // one folder: the system data folders are never searched.
    QString userData;
};

ProgramFolders programFolders();

// Test seam: while set, programFolders() answers these instead, so tests and benchmarks keep
// their files out of the build folder and the user's home. nullopt restores the real ones.
void setProgramFolders(std::optional<ProgramFolders> folders);

} // namespace platform
