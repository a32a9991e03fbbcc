#pragma once

#include "platform/platform.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

class EventRouter;
class WordingHost;

// The user data window: the issuer's name and address in six boxes, stored
// for the printed receipts; the last line is also the place of issue. The
// main window is hidden while it is open and comes back when it closes.
class Form6 : public QWidget
{
public:
    Form6(Platform &platform, WordingHost &host, QWidget *mainWindow);

    static constexpr int clientWidth = 5085;
    // Room below "&Speichern" for "Abbrechen".
    static constexpr int clientHeight = 5595;

    QGroupBox *Frame1, *Frame2, *Frame3, *Frame4, *Frame5, *Frame6;
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6;
    QPushButton *Command1;
    QPushButton *Command2; // "Abbrechen": closes, storing nothing

    void Form_Load();
    void text1_KeyPress(int &keyAscii);
    void Text2_KeyPress(int &keyAscii);
    void Text3_KeyPress(int &keyAscii);
    void Text4_KeyPress(int &keyAscii);
    void Text5_KeyPress(int &keyAscii);
    void Text6_KeyPress(int &keyAscii);
    void Command1_Click();
    void Command2_Click();
    // Stores the six boxes and the place, then closes. Stays open, after
    // saying why, when a file cannot be written.
    void SaveUserData();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QList<QLineEdit *> boxes() const;

    Platform &m_platform;
    WordingHost &m_host;
    QPointer<QWidget> m_mainWindow;
    EventRouter *m_events;
};
