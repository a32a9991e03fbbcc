#pragma once

#include "archive/search.h"

#include <QAbstractTableModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QPushButton>
#include <QWidget>

class ArchiveController;

// The result list's rows, made from the results as the view asks for them:
// a view over a vector copes with the hundreds of thousands of lines an
// archive can give, where one list item per line would not.
class ResultListModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;
    enum Column { Line, Date, Payer, Total, Count };

    // The longest text a row paints; a line longer than the list is wide
    // is cut there for the screen only.
    static constexpr qsizetype paintedLength = 1000;

    void setResults(SearchResults results);
    const SearchResults &results() const { return m_results; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    SearchResults m_results;
};

// What the search window and the deletion window share: the search box and
// button, the result list, the instruction and the close button. The two
// differ in their caption, geometry, instruction and what a double-click on
// a result line does.
class ReceiptSearchWindow : public QWidget
{
public:
    QGroupBox *Frame1;
    QLineEdit *Text1;
    QPushButton *Command2;
    QGroupBox *Frame2;
    // The found line (number first) and beside it the receipt's date, payer
    // and total, so that lines of several receipts can be told apart.
    QTreeView *List1;
    QLabel *Label1;
    QPushButton *Command1;
    // The receipt files the search goes through, taken when the window opens.
    QStringList File1;

    void Form_Load();
    void text1_KeyPress(int &keyAscii);
    // SearchReceipts over File1 with the term in Text1; what the first search
    // read stays with the window, so that later ones read only what changed.
    void Command2_Click();
    void Command1_Click();
    virtual void List1_DblClick() = 0;
    // Enter on a result line acts as a double-click on it.
    void List1_KeyPress(int &keyAscii);

    const SearchResults &results() const { return m_model->results(); }
    // The selected result line, or -1.
    qsizetype selectedLine() const;
    QSize clientSizeTwips() const { return m_clientTwips; }

protected:
    struct Design
    {
        const char *objectName;
        QString caption;
        QString instruction;
        QSize client;    // twips
        QPoint frame1;   // twips, the search frame's corner
        QPoint frame2;   // the result frame's corner
        QPoint list1;    // the list's corner in its frame
        QPoint label1;
        QPoint command1;
    };
    ReceiptSearchWindow(ArchiveController &archive, QWidget *mainWindow, const Design &design);

    ArchiveController &m_archive;

private:
    ResultListModel *m_model;
    QSize m_clientTwips;
    ReceiptCache m_read;
};
