#pragma once

#include "einvoice/einvoicedata.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>

class Platform;

// "Rechnungsempfänger": the buyer of an e-invoice as its rules want him,
// asked for one payer. Shows the answers kept for the payer, or what the
// payer line tells; "OK" keeps the answers for the payer and hands them to
// the caller, "Abbrechen" and Escape keep nothing. The main window waits
// while it is open.
class BuyerWindow : public QWidget
{
public:
    using Saved = std::function<void(const EInvoiceBuyer &)>;
    BuyerWindow(Platform &platform, QWidget *mainWindow, const QString &payer, const EInvoiceBuyer &shown,
                Saved saved = {});

    static constexpr int clientWidth = 6600;
    static constexpr int clientHeight = 4680;

    QLabel *Label0;
    // Name, street, postcode, city, country, VAT id, buyer reference, e-mail.
    QLineEdit *Text1, *Text2, *Text3, *Text4, *Text5, *Text6, *Text7, *Text8;
    QPushButton *Command1, *Command2;

    EInvoiceBuyer shown() const;
    void Command1_Click();
    void Command2_Click();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QList<QLineEdit *> required() const { return { Text1, Text2, Text3, Text4, Text5 }; }

    Platform &m_platform;
    QString m_payer;
    Saved m_saved;
};
