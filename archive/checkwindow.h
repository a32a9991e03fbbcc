#pragma once

#include <QDate>
#include <QDialog>
#include <QStringList>

class ArchiveController;
class QPlainTextEdit;
class QPushButton;

// "Prüfung der Quittungen": the findings of archivecheck, one a line, and
// a button that saves them as a PDF or CSV file.
class CheckWindow : public QDialog
{
public:
    CheckWindow(ArchiveController &archive, QWidget *parent);

    QPlainTextEdit *findingsBox;
    QPushButton *saveButton;
    QPushButton *closeButton;

    const QStringList &findings() const { return m_findings; }
    void saveButton_Click();

private:
    ArchiveController &m_archive;
    QStringList m_findings;
};

// The findings as a PDF file of A4 pages, titled with the day of the check;
// false with a German message.
bool writeFindingsPdf(const QString &path, const QStringList &findings, const QDate &day, QString *error);
