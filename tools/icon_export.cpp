// SPDX-License-Identifier: MIT
// Writes the program's own icon as PNG files for the desktop's icon theme, so the installed
// icon is the very drawing the windows use.
// Usage: icon_export SIZE FILE [SIZE FILE ...]
#include "notebook/AppIcon.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: icon_export SIZE FILE [SIZE FILE ...]\n");
        return 2;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || !appIconPixmap(size).save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "icon_export: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
