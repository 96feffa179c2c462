// SPDX-License-Identifier: MIT
#include "platform/SystemEnd.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace platform {

#ifndef Q_OS_WIN
namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[0], &byte, 1);
}
} // namespace
#endif

SystemEnd::SystemEnd(QObject *parent) : QObject(parent)
{
#ifndef Q_OS_WIN
    // Close-on-exec: xdg-open and the browser it starts must not hold the pair.
    if (signalPipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        signalPipe[0] = signalPipe[1] = -1;
    if (signalPipe[0] >= 0) {
        m_notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SystemEnd::readSignal);
        struct sigaction action = {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGHUP, SIGINT})
            sigaction(sig, &action, nullptr);
    }
    // A file size limit fails the write that reaches it, which the store's writer tells the
    // person of, instead of ending the program with the texts.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this,
                [this](QSessionManager &) { emit endRequested(); });
    }
}

SystemEnd::~SystemEnd()
{
#ifndef Q_OS_WIN
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        sigaction(sig, &action, nullptr);
#endif
}

void SystemEnd::readSignal()
{
#ifndef Q_OS_WIN
    char byte = 0;
    [[maybe_unused]] const auto n = ::read(signalPipe[1], &byte, 1);
#endif
    emit endRequested();
}

} // namespace platform
