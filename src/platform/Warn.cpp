// SPDX-License-Identifier: MIT
#include "platform/Warn.h"

#include <cstdarg>
#include <cstdio>
#include <string>

namespace platform {

void warn(const char *format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string message(size > 0 ? size_t(size) : 0, '\0');
    if (size > 0)
        std::vsnprintf(message.data(), message.size() + 1, format, again);
    va_end(again);
    // One call, so that lines from two threads do not mix.
    std::fprintf(stderr, "tesserin: %s\n", message.c_str());
}

} // namespace platform
