#pragma once

#include "archive/evaluation.h"
#include "platform/platform.h"
#include "settings/datevsettings.h"

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>

#include <array>
#include <functional>
#include <vector>

// "DATEV-Einstellungen": the advisor's and the client's numbers, the chart
// of accounts, the first day of the fiscal year and the accounts of the
// booking batches. It edits a copy of the stored settings and stores them
// when the user confirms; Escape or "Abbrechen" leave them as they were.
class DatevSettingsWindow : public QDialog
{
public:
    DatevSettingsWindow(QWidget *parent, Platform &platform);

    QLineEdit *consultantBox;
    QLineEdit *clientBox;
    QComboBox *chartBox;
    QLineEdit *fiscalStartBox;
    QLineEdit *cashAccountBox;
    std::array<QLineEdit *, DatevSettings::rates.size()> revenueBoxes;
    QLineEdit *smallBusinessBox;
    QPushButton *okButton;
    QPushButton *cancelButton;

    // Stores what the boxes hold and closes; stays open, after saying why,
    // when a value is not one the advisor's program takes or a file cannot
    // be written.
    void accept() override;

private:
    void showSettings(const DatevSettings &s);
    // The boxes' values; on a box that holds no number, the settings' check
    // names the field.
    DatevSettings shown() const;
    void chartBox_Change(int index);

    Platform &m_platform;
    DatevSettings::Chart m_chart;
};

// Opens the settings window over the parent without waiting for it; then()
// runs once the user has confirmed it and the settings are stored.
DatevSettingsWindow *editDatevSettings(QWidget *parent, Platform &platform, std::function<void()> then = {});

// Saves the rows in the given order as DATEV booking batches: asks for the
// settings while they were never confirmed, refuses receipts in another
// currency than the euro, offers the save dialog and tells the user of the
// files written beside the chosen one and of the receipts not booked.
// The files' period is from and to, the period the rows were chosen for
// (a null date leaves that end open).
void saveDatevFiles(QWidget *parent, Platform &platform, const std::vector<EvaluationRow> &rows,
                    const std::vector<int> &order, QDate from = {}, QDate to = {});
