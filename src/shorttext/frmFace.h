#pragma once

#include <QDialog>

class Tesserin;

// The short-text registration window, over a working copy of the main window's list; the copy
// replaces the main window's list however the window closes.
class frmFace : public QDialog
{
    Q_OBJECT
public:
    explicit frmFace(Tesserin *main);

private:
    Tesserin *m_main;
};
