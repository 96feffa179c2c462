// SPDX-License-Identifier: MIT
#pragma once

namespace platform {

// One line on stderr, "tesserin: " and then the printf-style message. What the person must know
// is also shown in the window; this line is for whoever reads the program's output.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((format(printf, 1, 2)))
#endif
void warn(const char *format, ...);

} // namespace platform
