#include "editor/quitt.h"
#include "app/form3.h"
#include "archive/form7.h"
#include "archive/form8.h"
#include "editor/form11.h"
#include "editor/form15.h"
#include "print/form9.h"
#include "settings/form6.h"

#include <QCoreApplication>

void quitt::Form_MouseMove() {}
void quitt::Frame1_MouseMove() {}
void quitt::Frame2_MouseMove() {}
void quitt::Frame3_MouseMove() {}
void quitt::Frame4_MouseMove() {}
void quitt::Text8_MouseMove() {}
void quitt::Frame5_MouseMove() {}
void quitt::Frame6_MouseMove() {}
void quitt::Text6_MouseMove() {}
void quitt::Frame7_MouseMove() {}
void quitt::Command3_MouseMove() {}
void quitt::Frame8_MouseMove() {}
void quitt::Command4_MouseMove() {}
void quitt::Frame10_MouseMove() {}
void quitt::Frame11_MouseMove() {}
void quitt::Image2_MouseMove() {}
void quitt::Command2_Click() {}

void quitt::setHelp(const QString &text)
{
    text1->setText(text);
}

void quitt::Image2_Click()
{
    if (!m_form3) {
        m_form3 = new Form3(m_platform, this);
    }
    m_form3->show();
    m_form3->raise();
    m_form3->activateWindow();
}

void quitt::Command6_Click()
{
    endProgram();
}

void quitt::proggiganzend_Click()
{
    endProgram();
}

void quitt::Form_Unload()
{
    endProgram();
}

void quitt::endProgram()
{
    if (m_ending)
        return;
    m_ending = true;
    if (m_form3)
        m_form3->close();
    // Every other window goes without its own closing logic: everything the
    // program keeps was written when it changed.
    const QList<QWidget *> others = { m_form6, m_form7, m_form8, m_form9, m_form11, m_form15 };
    for (QWidget *w : others)
        delete w;
    hide();
    QCoreApplication::exit(0);
}

Form3 *quitt::aboutWindow() const
{
    return m_form3;
}
