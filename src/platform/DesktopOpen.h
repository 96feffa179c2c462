// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

namespace platform {

// Hands the target to the desktop's "open" action without waiting and without looking at the
// outcome: xdg-open on Linux, ShellExecuteW on Windows. A target beginning with "-" is not
// handed over at all.
void desktopOpen(const QString &target);

// Test seam: while a recorder is set, desktopOpen() hands the target to it instead of the
// desktop, so a test never starts a browser. An empty function restores the desktop.
void setDesktopOpenRecorder(std::function<void(const QString &)> recorder);

} // namespace platform
