// SPDX-License-Identifier: MIT
#include "platform/widgets/PendingInput.h"

#include <QGuiApplication>
#include <QInputMethod>

namespace widgets {

void commitPendingInput()
{
    QInputMethod *input = QGuiApplication::inputMethod();
    input->commit();
    input->reset();
}

} // namespace widgets
