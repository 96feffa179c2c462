// SPDX-License-Identifier: MIT
#include "platform/UserStore.h"

#include "platform/AppName.h"

namespace platform {

std::unique_ptr<QSettings> openUserStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, AppName,
                                       AppName);
}

} // namespace platform
