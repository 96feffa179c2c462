#include "shorttext/frmFace.h"

#include "notebook/Tesserin.h"

// Placeholder until the registration window is built.
frmFace::frmFace(Tesserin *main) : QDialog(nullptr), m_main(main)
{
    setWindowTitle(QStringLiteral("短文登録"));
}
