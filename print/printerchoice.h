#pragma once

#include "platform/platform.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

// The choice of the printer that "1 drucken" and "2 drucken" use: the
// system's default printer or one of the installed printers, kept in
// "drucker.dat". The main window waits while it is open.
class PrinterChoiceWindow : public QWidget
{
public:
    // Builds the window and fills the list; the window is not shown.
    PrinterChoiceWindow(Platform &platform, QWidget *mainWindow);

    static constexpr int clientWidth = 5400;
    static constexpr int clientHeight = 3660;
    // The first entry of the list, saved as an empty line: the system's
    // default printer, or where no printer is set up, none (printing then
    // writes a PDF file).
    static QString systemDefaultEntry(const QStringList &printers)
    {
        return printers.isEmpty() ? QStringLiteral("kein Drucker eingerichtet")
                                  : QStringLiteral("Standarddrucker des Systems");
    }

    QLabel *Label1;
    QListWidget *List1;
    QPushButton *Command1;
    QPushButton *Command2;

    void Form_Load();
    void List1_DblClick();
    void Command1_Click();
    void Command2_Click();

private:
    Platform &m_platform;
};

// The printer the print buttons use: the queue name in "drucker.dat", or
// empty for the system's default printer.
QString chosenPrinter(const WorkDir &files);
