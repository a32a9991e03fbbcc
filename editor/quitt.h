#pragma once

// The main window: one receipt at a time, laid out like the printed receipt.
//
// The window owns its controls under the names the handlers use, and every
// handler is a member named after its control and event. Handlers live with
// their subsystem: amount entry in editor/entryfields.cpp, the words field in
// amounts/wordsfield.cpp, lists in editor/lists.cpp, help, new receipt and
// program end in editor/help.cpp, saving in archive/save.cpp, the search and
// delete windows in archive/, printing and the font window in print/,
// rewording and the user data window in settings/.
//
// The handlers compute nothing themselves: they read the controls, call the
// plain functions of amounts/, archive/, print/ and settings/ (which work on
// texts and files only), put the result back into the controls, and show
// messages and reach the printer through the Platform.

#include "archive/receiptfile.h"
#include "platform/controls.h"
#include "platform/events.h"
#include "platform/platform.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>

class QAction;
class QMenu;
class Form3;
class Form6;
class Form7;
class Form8;
class Form9;
class Form11;
class Form15;
class ReceiptEvaluationWindow;
class PrinterChoiceWindow;
struct RewordRow;

class quitt : public QMainWindow
{
public:
    // Creates the window and runs its start-up routine; the window is not shown.
    explicit quitt(Platform &platform, QWidget *parent = nullptr);
    ~quitt() override;

    Platform &platform() { return m_platform; }
    WorkDir &files() { return m_platform.files(); }

    // Client area in twips.
    static constexpr int clientWidth = 9075;
    static constexpr int clientHeight = 6360;

    // Controls, named as the handlers know them.
    LineControl *Line1;
    QGroupBox *Frame2;
    QComboBox *Combo1;
    QGroupBox *Frame4;
    QLabel *Label1;
    QLineEdit *Text8;
    QGroupBox *Frame3;
    QLabel *Label2, *Label6, *Label9;
    QLineEdit *Text2, *Text3;
    QLabel *Label4;
    QComboBox *Combo2;
    QLabel *Label5, *Label7, *Label10;
    QLineEdit *Text4, *Text5;
    LineControl *Line2;
    QLabel *Label3, *Label8, *Label11;
    QLineEdit *Text6, *Text7;
    QGroupBox *Frame6;
    QLineEdit *Text9;
    QLabel *Label12;
    QGroupBox *Frame7;
    SortedComboBox *Combo3;
    QPushButton *Command3;
    QGroupBox *Frame8;
    SortedComboBox *Combo4;
    QPushButton *Command4;
    QLabel *Label13;
    QGroupBox *Frame10;
    QLineEdit *Text10;
    QGroupBox *Frame11;
    QLineEdit *Text11;
    QGroupBox *Frame5;
    QPushButton *Command1, *Command7, *Command5, *Command2;
    QGroupBox *Frame1;
    QPushButton *Command6;
    QLineEdit *text1;
    QGroupBox *Frame9;
    QLabel *Image2;
    QLabel *Label14;

    // Menu entries.
    QMenu *grundeinstellungen, *wahrungmenu, *druckeinstellungen, *bearbeiten, *programmende;
    QAction *anwenderdaten, *anwender, *wahrung, *wahrungpf, *mwständern, *gestaltung;
    QAction *stattquitt, *nettoändern, *bezmwst, *gesamtiändern, *gesamtändern, *pfändern,
        *betragvon, *fuerändern, *dankendändern, *plzändern, *datumändern;
    QAction *schrifti, *suchequitt, *loeschen, *proggiganzend;

    // Start-up and title word.
    void Form_Load();
    void Combo1_Change();
    void Combo1_Click();

    // Amount entry: highlight, Enter as Tab, the decimal check.
    void Text8_GotFocus();
    void Text8_LostFocus();
    void Text8_KeyPress(int &keyAscii);
    void Text6_GotFocus();
    void Text6_LostFocus();
    void Text6_KeyPress(int &keyAscii);
    void Text6_Change();
    void Text7_GotFocus();
    void Text7_LostFocus();
    void Text7_KeyPress(int &keyAscii);
    void Combo3_GotFocus();
    void Combo3_LostFocus();
    void Combo3_KeyPress(int &keyAscii);
    void Combo4_GotFocus();
    void Combo4_LostFocus();
    void Combo4_KeyPress(int &keyAscii);
    void Text10_GotFocus();
    void Text10_LostFocus();
    void Text10_KeyPress(int &keyAscii);
    void Text11_GotFocus();
    void Text11_LostFocus();
    void Text11_KeyPress(int &keyAscii);

    // The words field: net and VAT, then the amount in words.
    void NetVatBreakdown();
    void Text9_GotFocus();
    void Text9_KeyPress(int &keyAscii);
    void Text9_LostFocus();
    void Text9_MouseMove();

    // Payer and purpose lists.
    void Command3_Click();
    void Command4_Click();
    Form11 *payerEditor() const;
    Form15 *purposeEditor() const;

    // Help box, new receipt, about window and program end.
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Frame2_MouseMove();
    void Frame3_MouseMove();
    void Frame4_MouseMove();
    void Text8_MouseMove();
    void Frame5_MouseMove();
    void Frame6_MouseMove();
    void Text6_MouseMove();
    void Frame7_MouseMove();
    void Command3_MouseMove();
    void Frame8_MouseMove();
    void Command4_MouseMove();
    void Frame10_MouseMove();
    void Frame11_MouseMove();
    void Image2_MouseMove();
    void Image2_Click();
    void Command2_Click();
    void Command6_Click();
    void proggiganzend_Click();
    void Form_Unload();
    Form3 *aboutWindow() const;

    // Saving.
    void Command1_Click();

    // Search, load and delete windows.
    void suchequitt_Click();
    void loeschen_Click();
    Form7 *searchWindow() const;
    Form8 *deleteWindow() const;
    // Takes a saved receipt into the window, as a double-click in the search
    // window or the evaluation window does, and asks to mind the date; a
    // receipt that is gone changes nothing.
    void loadReceiptFile(const QString &fileName, QWidget *parent);

    // The evaluation window (archive/evaluationwindow.cpp).
    QAction *auswertung = nullptr;
    void auswertung_Click();
    ReceiptEvaluationWindow *evaluationWindow() const;

    // Printing and the print font window.
    void Command5_Click();
    void Command7_Click();
    void schrifti_Click();
    Form9 *fontWindow() const;

    // PDF files, the print preview and the choice of printer.
    QAction *pdfspeichern, *druckvorschau, *druckerwahl;
    void pdfspeichern_Click();
    void druckvorschau_Click();
    void druckerwahl_Click();
    PrinterChoiceWindow *printerWindow() const;

    // Rewording and the user data window.
    void stattquitt_Click();
    void nettoändern_Click();
    void bezmwst_Click();
    void gesamtiändern_Click();
    void gesamtändern_Click();
    void pfändern_Click();
    void betragvon_Click();
    void fuerändern_Click();
    void dankendändern_Click();
    void plzändern_Click();
    void datumändern_Click();
    void mwständern_Click();
    void wahrung_Click();
    void wahrungpf_Click();
    // Currency, hundredth, note and rate switched to euros in one step.
    QAction *euroumstellen;
    void euroumstellen_Click();
    void anwender_Click();
    Form6 *userDataWindow() const;

    // The receipt as the controls show it, and the stored fields of a receipt
    // put back into them (rate, place and date are not stored and stay).
    ReceiptRecord currentRecord() const;
    void showStoredFields(const ReceiptRecord &record);

    // Shows a failed write once, in a message box naming what failed.
    void reportWriteFailure(const QString &error);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void connectHandlers();
    void setHelp(const QString &text);
    void endProgram();
    // Rewording: asks for one menu entry's new wording, stores and shows it.
    void RewordLabel(const RewordRow &row);

    Platform &m_platform;
    EventRouter *m_events;
    QPointer<Form3> m_form3;
    QPointer<Form6> m_form6;
    QPointer<Form7> m_form7;
    QPointer<Form8> m_form8;
    QPointer<Form9> m_form9;
    QPointer<Form11> m_form11;
    QPointer<Form15> m_form15;
    bool m_ending = false;
    bool m_titleWriteFailed = false;
    QPointer<ReceiptEvaluationWindow> m_evaluationWindow;
};
