#pragma once

#include <QDialog>

class QPlainTextEdit;

// The emoticon picker. Every caller sets tgt, the box that receives the chosen emoticon, before
// every showing, then shows the picker modally.
class GetFace : public QDialog
{
    Q_OBJECT
public:
    // The picker has no owner; it only centres itself over the opener.
    explicit GetFace(QWidget *opener);

    QPlainTextEdit *tgt = nullptr;
};
