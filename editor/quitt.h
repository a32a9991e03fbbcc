#pragma once

// The main window: one receipt at a time, laid out like the printed receipt.
//
// The window owns its controls under the names the handlers use, and every
// handler of its controls is a member named after its control and event:
// amount entry in editor/entryfields.cpp, the words field in
// editor/wordsfield.cpp, lists in editor/lists.cpp, help, new receipt and
// program end in editor/help.cpp, saving in editor/save.cpp.
//
// The windows over the saved receipts, printing and the settings are the
// business of three controllers in their own folders (ArchiveController,
// PrintController, SettingsController). Each folder declares what it needs of
// this window as a small interface (ReceiptHost, PrintHost, WordingHost); the
// window implements them and connects its menu to the controllers. Every
// secondary window is opened through SecondaryWindows, which the program's
// end clears.
//
// The handlers compute nothing themselves: they read the controls, call the
// plain functions of amounts/, archive/, print/ and settings/ (which work on
// texts and files only), put the result back into the controls, and show
// messages and reach the printer through the Platform.

#include "archive/archivecontroller.h"
#include "archive/receipthost.h"
#include "einvoice/einvoicecontroller.h"
#include "einvoice/einvoicehost.h"
#include "platform/controls.h"
#include "platform/events.h"
#include "platform/platform.h"
#include "platform/secondarywindows.h"
#include "print/printcontroller.h"
#include "receipt/amounttext.h"
#include "print/printhost.h"
#include "settings/settingscontroller.h"
#include "settings/wordinghost.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

class QAction;
class QMenu;
class Form3;
class Form11;
class Form15;

class quitt : public QMainWindow, public ReceiptHost, public PrintHost, public WordingHost, public EInvoiceHost
{
public:
    // Creates the window and runs its start-up routine; the window is not shown.
    explicit quitt(Platform &platform, QWidget *parent = nullptr);
    ~quitt() override;

    Platform &platform() { return m_platform; }
    WorkDir &files() { return m_platform.files(); }
    SecondaryWindows &windows() { return m_windows; }
    ArchiveController &archive() { return m_archive; }
    PrintController &print() { return m_print; }
    SettingsController &settings() { return m_settings; }
    EInvoiceController &einvoice() { return m_einvoice; }

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
    void Combo1_GotFocus();
    void Combo1_KeyPress(int &keyAscii);
    void Combo1_LostFocus();

    // Amount entry: highlight, Enter as Tab, the decimal check.
    void Text8_GotFocus();
    void Text8_LostFocus();
    void Text8_KeyPress(int &keyAscii);
    void Text6_GotFocus();
    void Text6_LostFocus();
    void Text6_KeyPress(int &keyAscii);
    void Text6_Change();
    void Text6_Edited();
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
    void Text9_Edited();

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
    // Before a save or a print: the total must be a plain amount; net, VAT
    // and the words are derived from it again. False, with a message and the
    // focus in the field at fault, when the receipt cannot go out so.
    bool amountsReady();

    // Printing one or two copies.
    void Command5_Click();
    void Command7_Click();

    // Menu entries of the controllers.
    QAction *stornieren, *pruefen, *betriebspruefung;
    QAction *auswertung, *pdfspeichern, *druckvorschau, *druckerwahl, *euroumstellen, *steuerangaben;
    QAction *erechnung, *xrechnung, *empfaenger;

    // The receipt as the controls show it, with the page it prints: that of
    // the loaded receipt, or today's settings. And the stored fields of a
    // receipt put back into them (place and date stay where the receipt has
    // no date).
    ReceiptRecord currentRecord() const;
    void showStoredFields(const ReceiptRecord &record);
    // What a page printed now shows besides the fields, from today's settings.
    ReceiptPage currentPage() const;
    // The wording, rate and taxation of today's settings, as a new receipt
    // gets them.
    void showCurrentSettings();

    // Shows a failed write once, in a message box naming what failed.
    void reportWriteFailure(const QString &error) override;

    // What the controllers need of the window.
    QWidget *hostWindow() override { return this; }
    bool mayReplaceReceipt() override;
    void showLoadedReceipt(const ReceiptRecord &record) override;
    PrintSnapshot printSnapshot() const override;
    QString holdPrintFont(const QString &name) override;
    bool prepareForPrint() override;
    void showWording(Wording part, const QString &text) override;
    void showPlace(const QString &place) override;
    void showTaxData(const TaxData &data) override;
    std::optional<EInvoiceReceipt> einvoiceReceipt() override;
    QList<PrintOperation> einvoicePage() override { return m_print.receiptPage(); }
    // Whether net and VAT are computed and printed.
    bool chargesVat() const { return m_chargesVat; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void connectHandlers();
    void setHelp(const QString &text);
    // Ends the program; with a receipt typed and not saved, asks first.
    void endProgram();
    bool holdsUnsavedReceipt() const;
    // The fields' names for a screen reader, after the captions they follow.
    void updateAccessibleNames();
    // Puts an amount read from the whole units into the total's two fields.
    void takeAmount(const amounttext::Amount &amount);
    void showMenuWording(Wording part, const QString &text);
    // The labels of a kept page, without touching the settings or the menu.
    void showPageWording(const ReceiptPage &page);

    Platform &m_platform;
    EventRouter *m_events;
    SecondaryWindows m_windows;
    ArchiveController m_archive;
    PrintController m_print;
    SettingsController m_settings;
    EInvoiceController m_einvoice;
    bool m_ending = false;
    bool m_askingToEnd = false;
    bool m_titleWriteFailed = false;
    bool m_chargesVat = true;
    TaxData m_taxData;
    // The title word as it was when its box got the focus, for Escape.
    QString m_titleAtFocus;
    // Whole units as they stood before the last edit, to tell what was pasted.
    QString m_unitsBefore;
    // The words were typed by hand after the total last changed: saving and
    // printing keep them.
    bool m_wordsByHand = false;
    // Net, VAT and words are those of the loaded receipt file, untouched since.
    bool m_storedAmounts = false;
    // The program itself rewrites the amount fields.
    bool m_deriving = false;
    // The unsaved receipt was printed once after the question whether to save.
    bool m_printAsked = false;
    // The page of the loaded receipt, kept until a new receipt.
    std::optional<ReceiptPage> m_keptPage;
};
