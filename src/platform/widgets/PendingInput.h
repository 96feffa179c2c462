// SPDX-License-Identifier: MIT
#pragma once

namespace widgets {

// Confirms what the input method is still converting into the box that has the focus, so that
// a close reads the text the box shows. fcitx5 commits on reset() and does nothing on commit();
// ibus commits on commit() and would drop the rest on reset(): both are asked, in this order.
void commitPendingInput();

} // namespace widgets
