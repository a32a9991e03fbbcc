#include "platform/qtplatform.h"

#include "platform/controls.h"
#include "platform/qtprintsurface.h"
#include "platform/twips.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

QtPlatform::QtPlatform(const QString &workingDirectory)
    : Platform(workingDirectory)
{
}

Platform::Answer QtPlatform::messageBox(QWidget *parent, const QString &text, const QString &title,
                                        Buttons buttons, Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    box.setText(text);
    box.setIcon(icon == Icon::Question ? QMessageBox::Question
                    : icon == Icon::Critical ? QMessageBox::Critical
                                             : QMessageBox::NoIcon);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    if (buttons == Buttons::OkCancel)
        box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    else
        box.setEscapeButton(ok);
    box.setDefaultButton(ok);
    box.exec();
    return box.clickedButton() == ok ? Answer::Ok : Answer::Cancel;
}

QString QtPlatform::inputBox(QWidget *parent, const QString &prompt, const QString &title,
                             const QString &defaultText)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title.isEmpty() ? programTitle() : title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    // What is typed here is stored in a settings file.
    if (auto *edit = dialog.findChild<QLineEdit *>())
        refuseUncodable(edit, *this);
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.textValue();
}

void QtPlatform::beep()
{
    QApplication::beep();
}

QDate QtPlatform::today() const
{
    return QDate::currentDate();
}

QSize QtPlatform::screenSizeTwips() const
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize px = screen ? screen->size() : QSize(1024, 768);
    return QSize(twips::fromPixels(px.width()), twips::fromPixels(px.height()));
}

QStringList QtPlatform::printerFonts()
{
    return qtPrinterFonts();
}

std::unique_ptr<PrintSurface> QtPlatform::beginPrint(QWidget *parent, QString *error)
{
    return openQtPrintSurface(parent, error);
}
