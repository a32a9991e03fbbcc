// Saves receipts one after the other, as fast as it can, through the main
// window, until it is killed: the crash test's victim. With a last number it
// stops after that receipt was saved (by it or by another copy) and exits.
//
//   soak_saver <working folder> [last number [distinct]]
//
// Each receipt's fields follow from its number (see soakReceipt), so that a
// test can tell a whole receipt file from a damaged one.
#include "soakreceipt.h"

#include "archive/saving.h"
#include "editor/quitt.h"
#include "platform/scriptedplatform.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2 || argc > 4)
        return 2;
    const bool distinct = argc == 4;
    const qlonglong lastNumber = argc >= 3 ? QByteArray(argv[2]).toLongLong() : -1;
    ScriptedPlatform platform(QString::fromLocal8Bit(argv[1]));
    quitt w(platform);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        w.Command2_Click(); // new receipt: the number after the last one saved
        for (;;) {
            const qlonglong number = w.Text8->text().toLongLong();
            if (lastNumber >= 0 && number > lastNumber)
                return 0;
            const SoakReceipt r = soakReceipt(number, distinct);
            w.Text6->setText(r.totalUnits);
            w.Text7->setText(r.totalPennies);
            w.Combo2->setEditText(r.rate);
            w.Combo3->setEditText(r.payer);
            w.Combo4->setEditText(r.purpose);
            w.Text11->setText(r.date);
            w.Command1_Click();
            const QString message = platform.messages.isEmpty() ? QString() : platform.messages.last().text;
            platform.messages.clear();
            if (lastNumber >= 0 && message != QStringLiteral("Quittung wurde gespeichert!")
                && message != saving::existsMessage(w.Text8->text()))
                std::fprintf(stderr, "%s\n", qPrintable(message));
            // Killed after the receipt but before its number: the next one on.
            if (message != saving::existsMessage(w.Text8->text()))
                break;
            w.Text8->setText(QString::number(number + 1));
        }
    }
}
