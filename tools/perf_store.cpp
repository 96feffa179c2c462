// SPDX-License-Identifier: MIT
// Writes the performance report's big store through the program's own store code, so the file
// is exactly what the program itself would leave behind.
// Usage: perf_store FILE
#include "notebook/store/NotebookStore.h"

#include <QCoreApplication>
#include <QSettings>

#include <cstdio>

namespace {

constexpr qsizetype BodyCharacters = 1'000'000;

// Japanese and ASCII lines, each one different, so nothing compresses or repeats by accident.
QString body(int slot)
{
    QString text;
    text.reserve(BodyCharacters + 80);
    for (int line = 0; text.size() < BodyCharacters; ++line)
        text += QStringLiteral("スロット%1の本文、%2行目です。 The quick brown fox.\r\n")
                    .arg(slot + 1)
                    .arg(line, 6, 10, QLatin1Char('0'));
    text.truncate(BodyCharacters);
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: perf_store FILE\n");
        return 2;
    }
    NotebookTexts texts;
    for (int slot = 0; slot < 3; ++slot) {
        texts.SlotBody[slot] = body(slot);
        texts.SlotTitle[slot] = QStringLiteral("スロット%1の題").arg(slot + 1);
    }
    texts.Info = {QStringLiteral("ハンドル"), QStringLiteral("mail@example.org"),
                  QStringLiteral("https://example.org/")};
    for (int n = 0; n < store::MaxShortTexts; ++n)
        texts.shortTexts << QStringLiteral("短文その%1 (^o^)").arg(n, 5, 10, QLatin1Char('0'));

    QSettings settings(QString::fromLocal8Bit(argv[1]), QSettings::IniFormat);
    settings.clear();
    return store::save(settings, texts) ? 0 : 1;
}
