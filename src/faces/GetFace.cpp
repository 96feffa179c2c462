#include "faces/GetFace.h"

// Placeholder until the picker is built: an empty modal window.
GetFace::GetFace(QWidget *opener) : QDialog(nullptr)
{
    Q_UNUSED(opener);
    setWindowTitle(QStringLiteral("顔文字選択"));
}
