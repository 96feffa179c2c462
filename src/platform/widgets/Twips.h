// SPDX-License-Identifier: MIT
#pragma once

#include <QRect>
#include <QSize>

namespace widgets {

// Layout tables are in twips; 15 twips make one pixel at 96 dpi. Each number is rounded to the
// nearest pixel on its own, so 4942 twips is 329 px and 968 is 65.
constexpr int twipsToPixels(int twips)
{
    return (twips * 2 + 15) / 30;
}

constexpr QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

constexpr QSize twipsSize(int width, int height)
{
    return QSize(twipsToPixels(width), twipsToPixels(height));
}

// A control's place in a window's layout table, in twips as the table states it.
struct Place
{
    int left, top, width, height;
    constexpr QRect rect() const { return twipsRect(left, top, width, height); }
};

} // namespace widgets
