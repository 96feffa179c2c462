// SPDX-License-Identifier: MIT
#pragma once

#include <QSettings>

#include <functional>
#include <memory>

namespace platform {

// Opens the per-user settings store: an INI file under the user's config folder on Linux
// (XDG_CONFIG_HOME moves it), the registry on Windows.
std::unique_ptr<QSettings> openUserStore();

// How the main window gets a store; tests hand it one on a temporary file.
using StoreFactory = std::function<std::unique_ptr<QSettings>()>;

} // namespace platform
