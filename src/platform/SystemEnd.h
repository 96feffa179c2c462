// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QSocketNotifier;

namespace platform {

// Turns the system's requests to end the program (SIGTERM, SIGHUP, SIGINT, and the desktop
// session's logout) into one signal in the event loop, so the drafts get saved as they are for
// the close box.
class SystemEnd : public QObject
{
    Q_OBJECT
public:
    explicit SystemEnd(QObject *parent = nullptr);
    ~SystemEnd() override;

signals:
    void endRequested();

private:
    void readSignal();
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace platform
