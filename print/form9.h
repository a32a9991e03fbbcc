#pragma once

#include "platform/platform.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

// The print font window: the printer's fonts, a sample of the one clicked,
// and the choice saved for the next print. The main window stays hidden while
// it is open and comes back however it closes.
class Form9 : public QWidget
{
public:
    // Builds the window and runs its start-up; the window is not shown.
    Form9(Platform &platform, QWidget *mainWindow);

    static constexpr int clientWidth = 7440;
    static constexpr int clientHeight = 4440;
    // More fonts than this are not listed.
    static constexpr int maxFonts = 250;
    // Printed in its place where it is missing: Liberation Sans, of the same
    // measures.
    static inline const QString recommended = QStringLiteral("Arial");

    // The families as the list shows them: without the foundry that tells
    // apart two of one name ("C059 [UKWN]" is "C059"), under the name a user
    // knows where the family's own is a maker's code ("Century Schoolbook"
    // for "C059"; fontconfig finds the family by either), each once.
    static QStringList familyNames(const QStringList &offered);

    QLabel *Label1;
    QListWidget *List1;
    QLineEdit *Text1;
    QPushButton *Command1;
    QPushButton *Command2;

    void Form_Load();
    void list1_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Platform &m_platform;
    QPointer<QWidget> m_mainWindow;
};
