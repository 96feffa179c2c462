// SPDX-License-Identifier: MIT
#include "shell/frmExecShell.h"

#include "platform/DesktopOpen.h"

void ShellOpen(const QString &target)
{
    platform::desktopOpen(target);
}
