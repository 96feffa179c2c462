#include "platform/UserStore.h"

namespace platform {

std::unique_ptr<QSettings> openUserStore()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Tesserin"), QStringLiteral("Tesserin"));
}

} // namespace platform
