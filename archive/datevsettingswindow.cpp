#include "archive/datevsettingswindow.h"

#include "archive/datev.h"
#include "platform/controls.h"
#include "settings/settings.h"
#include "settings/taxdata.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QTime>
#include <QVBoxLayout>

namespace {

const QRegularExpression fiscalPattern(QStringLiteral("^\\s*(\\d{1,2})\\.(\\d{1,2})\\.?\\s*$"));

// A box's number; -1 when it holds none.
int numberIn(const QLineEdit *box)
{
    bool ok = false;
    const int value = box->text().trimmed().toInt(&ok);
    return ok ? value : -1;
}

QLineEdit *digitsBox(QWidget *parent, const QString &name, int digits)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^\\d{0,%1}$").arg(digits)), box));
    box->setMaxLength(digits);
    return box;
}

} // namespace

DatevSettingsWindow::DatevSettingsWindow(QWidget *parent, Platform &platform)
    : QDialog(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("DatevSettingsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("DATEV-Einstellungen"));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    consultantBox = digitsBox(this, QStringLiteral("consultantBox"), 7);
    clientBox = digitsBox(this, QStringLiteral("clientBox"), 5);
    chartBox = new NamedComboBox(this);
    chartBox->setObjectName(QStringLiteral("chartBox"));
    chartBox->addItem(QStringLiteral("SKR03"));
    chartBox->addItem(QStringLiteral("SKR04"));
    fiscalStartBox = new QLineEdit(this);
    fiscalStartBox->setObjectName(QStringLiteral("fiscalStartBox"));
    fiscalStartBox->setPlaceholderText(QStringLiteral("TT.MM."));
    fiscalStartBox->setMaxLength(6);
    cashAccountBox = digitsBox(this, QStringLiteral("cashAccountBox"), DatevSettings::accountDigits);
    for (size_t i = 0; i < revenueBoxes.size(); ++i)
        revenueBoxes[i] = digitsBox(this, QStringLiteral("revenueBox%1").arg(DatevSettings::rates[i]),
                                    DatevSettings::accountDigits);
    smallBusinessBox = digitsBox(this, QStringLiteral("smallBusinessBox"), DatevSettings::accountDigits);

    auto *form = new QFormLayout;
    const auto addRow = [&](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(field);
        QString name = caption;
        name.remove(QLatin1Char('&'));
        if (name.endsWith(QLatin1Char(':')))
            name.chop(1);
        field->setAccessibleName(name);
        form->addRow(label, field);
    };
    addRow(QStringLiteral("Berater&nummer:"), consultantBox);
    addRow(QStringLiteral("&Mandantennummer:"), clientBox);
    addRow(QStringLiteral("&Kontenrahmen:"), chartBox);
    addRow(QStringLiteral("Beginn des &Wirtschaftsjahres:"), fiscalStartBox);
    addRow(QStringLiteral("Kassenk&onto:"), cashAccountBox);
    for (size_t i = 0; i < revenueBoxes.size(); ++i)
        addRow(QStringLiteral("Erlöskonto %1 %:").arg(DatevSettings::rates[i]), revenueBoxes[i]);
    addRow(QStringLiteral("Erlöskonto K&leinunternehmer:"), smallBusinessBox);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    okButton = buttons->button(QDialogButtonBox::Ok);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setAccessibleName(QStringLiteral("OK"));
    okButton->setDefault(true);
    cancelButton = buttons->button(QDialogButtonBox::Cancel);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    cancelButton->setText(QStringLiteral("Abbrechen"));
    cancelButton->setAccessibleName(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &DatevSettingsWindow::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DatevSettingsWindow::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // The form's order is the tab order: the numbers first.
    QWidget *previous = nullptr;
    for (QWidget *w : std::initializer_list<QWidget *> { consultantBox, clientBox, chartBox, fiscalStartBox,
                                                         cashAccountBox }) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    for (QWidget *w : revenueBoxes) {
        setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, smallBusinessBox);

    bool complete = false;
    const DatevSettings stored = ReadDatevSettings(platform.files(), &complete);
    m_chart = stored.chart;
    showSettings(stored);
    if (!complete) {
        // Numbers never stored stay empty rather than show a 0.
        if (stored.consultant == 0)
            consultantBox->clear();
        if (stored.client == 0)
            clientBox->clear();
    }
    connect(chartBox, &QComboBox::currentIndexChanged, this, &DatevSettingsWindow::chartBox_Change);
    consultantBox->setFocus();
}

void DatevSettingsWindow::showSettings(const DatevSettings &s)
{
    consultantBox->setText(QString::number(s.consultant));
    clientBox->setText(QString::number(s.client));
    chartBox->setCurrentIndex(s.chart == DatevSettings::Chart::Skr04 ? 1 : 0);
    fiscalStartBox->setText(QStringLiteral("%1.%2.").arg(s.fiscalDay, 2, 10, QLatin1Char('0'))
                                .arg(s.fiscalMonth, 2, 10, QLatin1Char('0')));
    cashAccountBox->setText(QString::number(s.cashAccount));
    for (size_t i = 0; i < revenueBoxes.size(); ++i)
        revenueBoxes[i]->setText(QString::number(s.revenueAccounts[i]));
    smallBusinessBox->setText(QString::number(s.smallBusinessAccount));
}

DatevSettings DatevSettingsWindow::shown() const
{
    DatevSettings s;
    s.chart = chartBox->currentIndex() == 1 ? DatevSettings::Chart::Skr04 : DatevSettings::Chart::Skr03;
    s.consultant = numberIn(consultantBox);
    s.client = numberIn(clientBox);
    const QRegularExpressionMatch m = fiscalPattern.match(fiscalStartBox->text());
    s.fiscalDay = m.hasMatch() ? m.captured(1).toInt() : 0;
    s.fiscalMonth = m.hasMatch() ? m.captured(2).toInt() : 0;
    s.cashAccount = numberIn(cashAccountBox);
    for (size_t i = 0; i < revenueBoxes.size(); ++i)
        s.revenueAccounts[i] = numberIn(revenueBoxes[i]);
    s.smallBusinessAccount = numberIn(smallBusinessBox);
    return s;
}

void DatevSettingsWindow::chartBox_Change(int index)
{
    // An account still at the old chart's default becomes the new chart's;
    // one the user typed stays.
    const DatevSettings::Chart chart = index == 1 ? DatevSettings::Chart::Skr04 : DatevSettings::Chart::Skr03;
    const DatevSettings before = DatevSettings::defaults(m_chart), after = DatevSettings::defaults(chart);
    m_chart = chart;
    const auto follow = [](QLineEdit *box, int was, int now) {
        if (numberIn(box) == was)
            box->setText(QString::number(now));
    };
    follow(cashAccountBox, before.cashAccount, after.cashAccount);
    for (size_t i = 0; i < revenueBoxes.size(); ++i)
        follow(revenueBoxes[i], before.revenueAccounts[i], after.revenueAccounts[i]);
    follow(smallBusinessBox, before.smallBusinessAccount, after.smallBusinessAccount);
}

void DatevSettingsWindow::accept()
{
    const DatevSettings s = shown();
    if (const QString problem = s.problem(); !problem.isEmpty()) {
        m_platform.messageBox(this, problem, windowTitle());
        return;
    }
    QString error;
    if (!WriteDatevSettings(m_platform.files(), s, &error)) {
        m_platform.messageBox(this, error, windowTitle());
        return;
    }
    QDialog::accept();
}

DatevSettingsWindow *editDatevSettings(QWidget *parent, Platform &platform, std::function<void()> then)
{
    auto *window = new DatevSettingsWindow(parent, platform);
    if (then)
        QObject::connect(window, &QDialog::accepted, parent, std::move(then));
    window->open();
    return window;
}

namespace {

// Writes the files where the user chooses; true when any was written.
bool writeBatches(QWidget *parent, Platform &platform, const datev::Batches &batches)
{
    const QString chosen = platform.saveFileName(
        parent, QStringLiteral("Buchungsstapel als DATEV-Datei speichern"),
        platform.files().filePath(datev::fileName(batches.from, batches.to)),
        QStringLiteral("DATEV-Dateien (EXTF_*.csv)"));
    if (chosen.isEmpty())
        return false;
    const QFileInfo chosenInfo(chosen);
    const bool several = batches.files.size() > 1;
    QStringList written, refused, failed;
    for (const datev::File &file : batches.files) {
        QString name = chosenInfo.fileName();
        if (several)
            name = datev::yearFileName(name, batches.from, batches.to, file.from, file.to);
        else if (!name.startsWith(QStringLiteral("EXTF_"), Qt::CaseInsensitive))
            name.prepend(QStringLiteral("EXTF_"));
        QString error;
        if (name == chosenInfo.fileName()) {
            // The save dialog asked before this one is replaced.
            if (writeWholeFile(chosen, file.bytes, &error))
                written.append(QStringLiteral("%1 (%2 Buchungen)").arg(name).arg(file.bookings));
            else
                failed.append(error);
            continue;
        }
        // A file the user did not choose never replaces another one.
        WorkDir folder(chosenInfo.absolutePath());
        switch (folder.createNew(name, file.bytes, &error)) {
        case WorkDir::CreateResult::Created:
            written.append(QStringLiteral("%1 (%2 Buchungen)").arg(name).arg(file.bookings));
            break;
        case WorkDir::CreateResult::Exists:
            refused.append(name);
            break;
        case WorkDir::CreateResult::Failed:
            failed.append(error);
            break;
        }
    }

    QStringList report;
    if (several)
        report.append(QStringLiteral("Die Quittungen liegen in %1 Wirtschaftsjahren. Ein Buchungsstapel liegt "
                                     "in einem Wirtschaftsjahr, darum hat jedes seine eigene Datei.")
                          .arg(batches.files.size()));
    else if (!chosenInfo.fileName().startsWith(QStringLiteral("EXTF_"), Qt::CaseInsensitive))
        report.append(QStringLiteral("Der Name einer DATEV-Datei beginnt mit \"EXTF_\"."));
    if (!report.isEmpty() && !written.isEmpty())
        report.append(QStringLiteral("Gespeichert in \"%1\":\n%2")
                          .arg(QDir::toNativeSeparators(chosenInfo.absolutePath()), written.join(QLatin1Char('\n'))));
    if (!refused.isEmpty())
        report.append(QStringLiteral("Diese Dateien gibt es dort schon; sie wurden nicht ersetzt, ihre Buchungen "
                                     "sind nicht gespeichert:\n%1")
                          .arg(refused.join(QLatin1Char('\n'))));
    report.append(failed);
    if (!report.isEmpty())
        platform.messageBox(parent, report.join(QStringLiteral("\n\n")));
    return !written.isEmpty();
}

} // namespace

void saveDatevFiles(QWidget *parent, Platform &platform, const std::vector<EvaluationRow> &rows,
                    const std::vector<int> &order, QDate from, QDate to)
{
    const QString currency = settingValue(platform.files(), settingsfile::dm).value_or(QStringLiteral("DM"));
    if (!datev::isEuro(currency)) {
        platform.messageBox(parent, QStringLiteral("Die Währung der Quittungen ist \"%1\". Eine DATEV-Datei nimmt "
                                                   "nur Beträge in Euro auf; es wurde nichts gespeichert.")
                                        .arg(currency));
        return;
    }
    bool complete = false;
    DatevSettings settings = ReadDatevSettings(platform.files(), &complete);
    settings.smallBusiness = ReadTaxData(platform.files()).mode == TaxData::Mode::SmallBusiness;
    if (!complete) {
        // The first time the settings are asked for; the rows wait with the
        // window, which is modal over the evaluation.
        editDatevSettings(parent, platform, [parent, &platform, rows, order, from, to] {
            saveDatevFiles(parent, platform, rows, order, from, to);
        });
        return;
    }
    // The date from the platform's clock; the time of day only tells two
    // files of one day apart.
    const datev::Batches batches =
        datev::bookingBatches(settings, rows, order, QDateTime(platform.today(), QTime::currentTime()), from, to);
    const QString skipped = datev::skippedMessage(batches.skipped);
    if (batches.files.empty()) {
        platform.messageBox(parent, QStringLiteral("Keine der angezeigten Quittungen lässt sich buchen; es wurde "
                                                   "nichts gespeichert.")
                                        + (skipped.isEmpty() ? QString() : QStringLiteral("\n\n") + skipped));
        return;
    }
    if (!writeBatches(parent, platform, batches))
        return;
    QStringList told;
    for (const QString &text : { skipped, datev::transliteratedMessage(batches.transliterated) })
        if (!text.isEmpty())
            told.append(text);
    if (!told.isEmpty())
        platform.messageBox(parent, told.join(QStringLiteral("\n\n")));
}
