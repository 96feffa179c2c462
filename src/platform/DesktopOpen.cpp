// SPDX-License-Identifier: MIT
#include "platform/DesktopOpen.h"

#ifdef Q_OS_WIN
#include <windows.h>
// shellapi.h needs windows.h before it; this line keeps the two in that order.
#include <shellapi.h>
#else
#include <QProcess>
#endif

namespace platform {

namespace {
std::function<void(const QString &)> &recorder()
{
    static std::function<void(const QString &)> r;
    return r;
}
} // namespace

void setDesktopOpenRecorder(std::function<void(const QString &)> r)
{
    recorder() = std::move(r);
}

void desktopOpen(const QString &target)
{
    // xdg-open would read it as an option, and it takes no "--"; no address begins so.
    if (target.startsWith(QLatin1Char('-')))
        return;
    if (recorder()) {
        recorder()(target);
        return;
    }
#ifdef Q_OS_WIN
    // The wide interface hands over every character of the target.
    ShellExecuteW(GetDesktopWindow(), L"open", reinterpret_cast<LPCWSTR>(target.utf16()), nullptr,
                  L"", SW_SHOW);
#else
    // No shell in between: the target is one argument, whatever it holds.
    QProcess::startDetached(QStringLiteral("xdg-open"), {target});
#endif
}

} // namespace platform
