#pragma once

#include <QDialog>

class ArchiveController;
class QLineEdit;
class QPushButton;

// "Daten für die Betriebsprüfung": a period, then an empty folder for the
// tables, their index and its document type (archive/auditexport.h).
class AuditExportWindow : public QDialog
{
public:
    AuditExportWindow(ArchiveController &archive, QWidget *parent);

    QLineEdit *fromBox;
    QLineEdit *toBox;
    QPushButton *okButton;
    QPushButton *cancelButton;

    void okButton_Click();

private:
    ArchiveController &m_archive;
};
