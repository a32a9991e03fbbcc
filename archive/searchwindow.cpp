#include "archive/searchwindow.h"

#include "archive/archivecontroller.h"
#include "platform/platform.h"
#include "platform/controls.h"
#include "text/storableinput.h"
#include "platform/events.h"
#include "platform/twips.h"

#include <QGuiApplication>
#include <QItemSelectionModel>

void ResultListModel::setResults(SearchResults results)
{
    beginResetModel();
    m_results = std::move(results);
    endResetModel();
}

int ResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(qMin<qsizetype>(m_results.size(), INT_MAX));
}

int ResultListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count;
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_results.size())
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == Total)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    switch (index.column()) {
    case Line:
        return m_results.text(index.row(), paintedLength);
    case Date:
        return m_results.summary(index.row()).date;
    case Payer:
        return m_results.summary(index.row()).payer;
    case Total:
        return m_results.summary(index.row()).total;
    default:
        return QVariant();
    }
}

QVariant ResultListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int((section == Total ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return QVariant();
    static const char *const titles[Count] = { "Nr.          gefundene Zeile", "Datum", "Erhalten von", "Gesamt" };
    return section >= 0 && section < Count ? QString::fromUtf8(titles[section]) : QVariant();
}

ReceiptSearchWindow::ReceiptSearchWindow(ArchiveController &archive, QWidget *mainWindow, const Design &d)
    : QWidget(mainWindow, Qt::Window), m_archive(archive), m_model(new ResultListModel(this)), m_clientTwips(d.client)
{
    setObjectName(QString::fromLatin1(d.objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(d.caption);
    setFixedSize(twips::size(d.client.width(), d.client.height()));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);

    Frame1 = new QGroupBox(QStringLiteral("Geben Sie einen Suchbegriff ein (Z.B.: Nummer, Name, Ort, "
                                          "ausgestellt für was? Datum etc.)"),
                           this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(d.frame1.x(), d.frame1.y(), 8355, 765));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    refuseUnstorable(Text1, archive.platform());
    Text1->setGeometry(twips::rect(150, 300, 4545, 345));
    Command2 = new QPushButton(QStringLiteral("s&uche..."), Frame1);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(4830, 300, 3405, 345));

    Frame2 = new QGroupBox(QStringLiteral("Gefundene Quittung(en):"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips::rect(d.frame2.x(), d.frame2.y(), 8415, 3315));
    List1 = new QTreeView(Frame2);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips::rect(d.list1.x(), d.list1.y(), 8055, 2790));
    List1->setFont(uiFont(QStringLiteral("Courier New"), 8.25));
    List1->setRootIsDecorated(false);
    List1->setItemsExpandable(false);
    List1->setUniformRowHeights(true);
    List1->setAllColumnsShowFocus(true);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setModel(m_model);
    const int widths[ResultListModel::Count] = { 3600, 1150, 1900, 1000 };
    for (int column = 0; column < ResultListModel::Count; ++column)
        List1->setColumnWidth(column, twips::toPixels(widths[column]));

    Label1 = new QLabel(d.instruction, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setGeometry(twips::rect(d.label1.x(), d.label1.y(), 8445, 945));

    Command1 = new QPushButton(QStringLiteral("&Schließen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(d.command1.x(), d.command1.y(), 8475, 405));

    Text1->setAccessibleName(QStringLiteral("Suchbegriff"));
    List1->setAccessibleName(QStringLiteral("Gefundene Quittungen"));
    keysOfWindow(this, Command1);

    auto *events = new EventRouter(this);
    events->onKeyPress(Text1, [this](int &key) { text1_KeyPress(key); });
    events->onKeyPress(List1, [this](int &key) { List1_KeyPress(key); });
    // On the viewport, so that a double-click anywhere in the list counts,
    // also below the last line or on an empty list.
    events->onDoubleClick(List1->viewport(), [this] { List1_DblClick(); });
    connect(Command2, &QPushButton::clicked, this, &ReceiptSearchWindow::Command2_Click);
    connect(Command1, &QPushButton::clicked, this, &ReceiptSearchWindow::Command1_Click);

    Form_Load();
}

void ReceiptSearchWindow::Form_Load()
{
    const QPoint at = twips::centred(m_archive.platform().screenSizeTwips(), m_clientTwips);
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));
    File1 = receiptFileList(m_archive.files());
}

void ReceiptSearchWindow::text1_KeyPress(int &keyAscii)
{
    if (keyAscii != 13)
        return;
    keyAscii = 0;
    Command2_Click();
}

void ReceiptSearchWindow::List1_KeyPress(int &keyAscii)
{
    if (keyAscii != 13)
        return;
    keyAscii = 0;
    // The line the keyboard is on counts, also before it was selected.
    const QModelIndex current = List1->currentIndex();
    if (current.isValid() && selectedLine() < 0)
        List1->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
    List1_DblClick();
}

void ReceiptSearchWindow::Command2_Click()
{
    // The old list goes first, so that the old and the new results are never
    // held at the same time.
    m_model->setResults(SearchResults());
    // A short term over a large archive takes a moment.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_model->setResults(SearchReceipts(m_archive.files(), File1, Text1->text(), m_read));
    QGuiApplication::restoreOverrideCursor();
}

void ReceiptSearchWindow::Command1_Click()
{
    close();
}

qsizetype ReceiptSearchWindow::selectedLine() const
{
    const QModelIndexList selected = List1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}
