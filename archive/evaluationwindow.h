#pragma once

#include "archive/evaluation.h"
#include "archive/receiptcache.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QWidget>

#include <vector>

class ArchiveController;

// The evaluation's rows for the table, in the order of the heading last
// clicked. Sorting moves indices over keys made once per sort, never the
// rows, so a hundred thousand receipts sort in a fraction of a second.
class EvaluationTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The longest text a cell paints; the CSV file gets the whole text.
    static constexpr qsizetype paintedLength = 1000;

    void setRows(std::vector<EvaluationRow> rows);
    const std::vector<EvaluationRow> &rows() const { return m_rows; }
    // Indices into rows(), top to bottom as the table shows them.
    const std::vector<int> &order() const { return m_order; }
    const EvaluationRow &shownRow(int viewRow) const { return m_rows[size_t(m_order[size_t(viewRow)])]; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    void sortOrder();

    std::vector<EvaluationRow> m_rows;
    std::vector<int> m_order;
    int m_sortColumn = evaluationcolumn::Number;
    Qt::SortOrder m_sortDirection = Qt::AscendingOrder;
};

// "Auswertung der ausgestellten Quittungen": the receipts chosen by a search
// term and a period, one row each with the VAT rate found from its amounts,
// the sums per rate under them, and the rows as a CSV file.
class ReceiptEvaluationWindow : public QWidget
{
public:
    ReceiptEvaluationWindow(ArchiveController &archive, QWidget *mainWindow);

    QGroupBox *filterFrame;
    QLineEdit *searchTermBox;
    QLineEdit *fromDateBox;
    QLineEdit *toDateBox;
    QPushButton *evaluateButton;
    QLabel *dateNoteLabel;
    QTableView *receiptTable;
    QLabel *sumsLabel;
    QTableWidget *sumsTable;
    QLabel *loadNoteLabel;
    QPushButton *saveCsvButton;
    QPushButton *saveDatevButton;
    QPushButton *datevSettingsButton;
    QPushButton *closeButton;

    void Form_Load();
    // Enter in the search term or a date box runs the evaluation.
    void filterBox_KeyPress(int &keyAscii);
    void evaluateButton_Click();
    // A double-click with the primary button on a row loads that receipt
    // and puts the window aside with its evaluation.
    void receiptTable_DblClick(int viewRow);
    void saveCsvButton_Click();
    // The rows shown as booking batches for the tax advisor.
    void saveDatevButton_Click();
    void datevSettingsButton_Click();
    void closeButton_Click();

    const EvaluationTableModel &model() const { return *m_model; }


private:
    // Takes a date box's text; false, after telling the user, when it is no date.
    bool readDateBox(QLineEdit *box, QDate *date);
    void showSums();

    ArchiveController &m_archive;
    ReceiptCache m_receiptCache; // what the evaluations read, kept for the next
    EvaluationTableModel *m_model;
    EvaluationSums m_sums;
    EvaluationFilter m_evaluated; // what the rows shown were chosen by
};
