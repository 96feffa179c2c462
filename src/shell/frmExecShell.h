// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// Opens a URL or document with whatever the desktop associates with it. The target goes out
// exactly as given (no trimming, no check that it is empty or a URL); the outcome is ignored and
// nothing is waited for.
void ShellOpen(const QString &target);
