#include "mini/frmMini.h"

#include "notebook/Tesserin.h"
#include "platform/BodyText.h"

#include <QCloseEvent>
#include <QPlainTextEdit>

// Placeholder until the mini window is built: the body alone, handed back on close.
frmMini::frmMini(Tesserin *main) : QWidget(nullptr), m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillora"));
    Doc = new QPlainTextEdit(this);
    platform::setBodyText(Doc, platform::bodyText(m_main->Doc1));
}

void frmMini::closeEvent(QCloseEvent *event)
{
    platform::setBodyText(m_main->Doc1, platform::bodyText(Doc));
    m_main->miniClosed(event->spontaneous());
    event->accept();
}
