#pragma once

#include "platform/platform.h"
#include "settings/taxdata.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <functional>

// "Steuerliche Angaben": the tax number, the VAT identification number,
// what an e-invoice needs of the seller besides (another identifier, the
// country, a contact) and whether VAT is charged. Edits a copy of the stored tax data; "OK" stores it
// and hands it to the caller, "Abbrechen" and Escape leave everything as it
// was. The main window waits while it is open.
class TaxDataWindow : public QWidget
{
public:
    using Saved = std::function<void(const TaxData &)>;
    // Builds the window from the stored tax data; the window is not shown.
    // saved is called with the new tax data once it is stored.
    TaxDataWindow(Platform &platform, QWidget *mainWindow, Saved saved = {});

    static constexpr int clientWidth = 5700;
    static constexpr int clientHeight = 5520;

    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7;
    // Tax number, VAT id, exemption note; other identifier, country, contact
    // name, telephone, e-mail.
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
    QRadioButton *Option1, *Option2, *Option3;
    QPushButton *Command1, *Command2;

    void Form_Load();
    // The tax data as the window shows it.
    TaxData shown() const;
    SellerData shownSeller() const;
    void Command1_Click();
    void Command2_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    Platform &m_platform;
    Saved m_saved;
};
