#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Turns a whole text file into characters. A byte-order mark decides first (UTF-8, UTF-16 LE or
// BE); without one, bytes that are valid UTF-8 throughout are UTF-8, and anything else is code
// page 932, as Japanese Windows editors save it. The mark itself is not part of the text.
// Bytes invalid in the chosen encoding become replacement characters; decoding never stops.
QString decodeText(const QByteArray &bytes);

} // namespace platform
