#include "platform/qtplatform.h"

#include "platform/controls.h"
#include "platform/lockwaitnote.h"
#include "platform/printpreviewwindow.h"
#include "platform/qtprintsurface.h"
#include "platform/twips.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDialog>
#include <QLabel>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QScopeGuard>
#include <QTranslator>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>
#include <QScreen>

QtPlatform::QtPlatform(const QString &workingDirectory)
    : Platform(workingDirectory)
{
    files().setWaitHook(lockWaitHook(*this));
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

std::optional<QString> QtPlatform::inputBox(QWidget *parent, const QString &prompt, const QString &title,
                                            const QString &defaultText)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title.isEmpty() ? programTitle() : title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    // What is typed here is stored in a settings file.
    if (auto *edit = dialog.findChild<QLineEdit *>(); edit && m_inputRule)
        refuseText(edit, *this, m_inputRule);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QString askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                        const QString &filter)
{
    // Qt's dialog shows its column heads and menus in German only with Qt's
    // German translation loaded, whatever language the desktop has.
    QTranslator german;
    const bool translated =
        german.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        && QCoreApplication::installTranslator(&german);
    const auto untranslate = qScopeGuard([&] {
        if (translated)
            QCoreApplication::removeTranslator(&german);
    });

    QFileDialog dialog(parent, title);
    // Qt's own dialog, so that every caption below is German whatever the desktop's language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // Replacing is asked below, with German buttons.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    const QString suffix = QFileInfo(suggestedPath).suffix();
    if (!suffix.isEmpty())
        dialog.setDefaultSuffix(suffix);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Speichern in:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Dateiname:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Dateityp:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("&Speichern"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Abbrechen"));
    const QFileInfo suggested(suggestedPath);
    dialog.setDirectory(suggested.absolutePath());
    dialog.selectFile(suggested.fileName());
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        const QString file = dialog.selectedFiles().constFirst();
        if (!QFileInfo::exists(file))
            return file;
        QMessageBox ask(QMessageBox::Question, title,
                        QStringLiteral("Die Datei „%1“ gibt es schon. Soll sie ersetzt werden?")
                            .arg(QFileInfo(file).fileName()),
                        QMessageBox::NoButton, &dialog);
        QPushButton *replace = ask.addButton(QStringLiteral("&Ersetzen"), QMessageBox::AcceptRole);
        ask.setDefaultButton(ask.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole));
        ask.exec();
        if (ask.clickedButton() == replace)
            return file;
    }
}

QString QtPlatform::saveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                                 const QString &filter)
{
    return askSaveFileName(parent, title, suggestedPath, filter);
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

QStringList QtPlatform::printerNames()
{
    return QPrinterInfo::availablePrinterNames();
}

std::unique_ptr<PrintSurface> QtPlatform::beginPrint(const QString &printer, QString *error)
{
    return openQtPrintSurface(printer, error);
}

std::unique_ptr<PrintSurface> QtPlatform::beginPdf(const QString &path)
{
    return openPdfPrintSurface(path);
}

QWidget *QtPlatform::showPrintPreview(QWidget *parent, const PrintPreview &preview)
{
    auto *window = new PrintPreviewWindow(preview, parent);
    // As large as a page can be shown on this screen, centred as every window is.
    const QSize screen = screenSizeTwips();
    const QSize size(std::min(twips::fromPixels(window->width()), screen.width() * 9 / 10),
                     std::min(twips::fromPixels(window->height()), screen.height() * 85 / 100));
    window->resize(twips::toPixels(size.width()), twips::toPixels(size.height()));
    const QPoint at = twips::centred(screen, size);
    window->move(twips::toPixels(at.x()), twips::toPixels(at.y()));
    window->show();
    window->activateWindow();
    return window;
}

QString QtPlatform::existingFolder(QWidget *parent, const QString &title, const QString &startPath)
{
    return QFileDialog::getExistingDirectory(parent, title, startPath);
}

int QtPlatform::questionWithField(QWidget *parent, const QString &text, const QString &fieldLabel, QString *fieldText,
                                  const QStringList &buttons, int defaultButton, int escapeButton)
{
    QDialog box(parent);
    box.setWindowTitle(programTitle());
    auto *layout = new QVBoxLayout(&box);
    auto *question = new QLabel(text, &box);
    question->setWordWrap(true);
    layout->addWidget(question);
    auto *row = new QHBoxLayout;
    auto *label = new QLabel(fieldLabel, &box);
    auto *field = new QLineEdit(&box);
    label->setBuddy(field);
    setAccessibleNames(field, QString(fieldLabel).remove(QLatin1Char('&')).remove(QLatin1Char(':')));
    row->addWidget(label);
    row->addWidget(field, 1);
    layout->addLayout(row);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    int answer = escapeButton;
    for (int i = 0; i < buttons.size(); ++i) {
        auto *button = new QPushButton(buttons[i], &box);
        setAccessibleNames(button, QString(buttons[i]).remove(QLatin1Char('&')));
        button->setAutoDefault(true);
        button->setDefault(i == defaultButton);
        QObject::connect(button, &QPushButton::clicked, &box, [&box, &answer, i] {
            answer = i;
            box.accept();
        });
        buttonRow->addWidget(button);
    }
    layout->addLayout(buttonRow);
    field->setFocus();
    box.exec(); // Escape and the close box reject: the escape button's answer
    *fieldText = field->text().trimmed();
    return answer;
}

int QtPlatform::question(QWidget *parent, const QString &text, const QStringList &buttons, int defaultButton,
                         int escapeButton)
{
    QMessageBox box(QMessageBox::Question, programTitle(), text, QMessageBox::NoButton, parent);
    QList<QPushButton *> pushed;
    for (const QString &caption : buttons)
        pushed.append(box.addButton(caption, QMessageBox::ActionRole));
    box.setDefaultButton(pushed.value(defaultButton));
    box.setEscapeButton(pushed.value(escapeButton));
    box.exec();
    const qsizetype answer = pushed.indexOf(static_cast<QPushButton *>(box.clickedButton()));
    return answer >= 0 ? int(answer) : escapeButton;
}
