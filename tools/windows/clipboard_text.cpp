// SPDX-License-Identifier: MIT
// Writes the Windows clipboard's text, as UTF-8 and byte for byte (CR LF stays CR LF), to the
// file named by its argument. Wine turns CR LF into LF for X programs, so the line ends a
// Windows program put there can only be seen from inside. Exit status 1: no text there.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: clipboard_text FILE\n");
        return 2;
    }
    if (!OpenClipboard(nullptr))
        return 1;
    std::string utf8;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const auto *text = data ? static_cast<const wchar_t *>(GlobalLock(data)) : nullptr;
    bool found = false;
    if (text) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (size > 0) {
            utf8.resize(size);
            found = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr,
                                        nullptr) == size;
            utf8.resize(size - 1); // without the closing NUL
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    if (!found)
        return 1;
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    const bool written = std::fwrite(utf8.data(), 1, utf8.size(), out) == utf8.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
