#include "archive/evaluationwindow.h"

#include "archive/datevsettingswindow.h"
#include "archive/search.h"
#include "archive/archivecontroller.h"
#include "platform/platform.h"
#include "platform/controls.h"
#include "text/storableinput.h"
#include "platform/events.h"
#include "platform/twips.h"

#include <QCollator>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <algorithm>
#include <numeric>

namespace {

// A sum's digits, "-" first where a cancellation took it below zero.
QString signedAmount(const QByteArray &digits)
{
    return digits.startsWith('-') ? QLatin1Char('-') + germantext::amount(digits.mid(1)) : germantext::amount(digits);
}

using namespace evaluationcolumn;

bool isAmountColumn(int column)
{
    return column == Net || column == Vat || column == Total;
}

// Numbers in the order of their value; an empty amount after every number,
// an unreadable one last.
std::pair<int, qint64> amountKey(const StoredAmount &a)
{
    switch (a.kind) {
    case StoredAmount::Kind::Value:
        return { 0, a.cents };
    case StoredAmount::Kind::Empty:
        return { 1, 0 };
    case StoredAmount::Kind::Unreadable:
        break;
    }
    return { 2, 0 };
}

const QColor unreadableBackground(255, 210, 210);

} // namespace

void EvaluationTableModel::setRows(std::vector<EvaluationRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    sortOrder();
    endResetModel();
}

int EvaluationTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int EvaluationTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : Count;
}

QVariant EvaluationTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return QVariant();
    const EvaluationRow &row = shownRow(index.row());
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, column).left(paintedLength);
    case Qt::TextAlignmentRole:
        if (isAmountColumn(column))
            return QVariant(Qt::AlignRight | Qt::AlignVCenter);
        if (column == Rate)
            return QVariant(Qt::AlignCenter);
        return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        if (column == Date && row.datedByFile) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return QVariant();
    case Qt::BackgroundRole:
        return row.readable ? QVariant() : QVariant(unreadableBackground);
    case Qt::ToolTipRole:
        if (column == Date && row.dateInvalid)
            return QStringLiteral("Datum im Beleg ungültig – Dateidatum: Das Datum der Quittung ist kein Tag des "
                                  "Kalenders; gezeigt ist der Tag, an dem die Datei zuletzt gespeichert wurde.");
        if (column == Date && row.datedByFile)
            return QStringLiteral("Die Quittungsdatei enthält kein Datum: das ist der Tag, an dem sie zuletzt "
                                  "gespeichert wurde.");
        if (!row.readable)
            return QStringLiteral("Ein Betrag dieser Quittung ist keine Zahl: sie ist in keiner Summe enthalten.");
        if (!row.rate && row.taxMode == TaxMode::Regular)
            return QStringLiteral("Kein Mehrwertsteuer-Satz (oder mehr als einer) ergibt genau Netto und MWSt "
                                  "dieser Quittung.");
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant EvaluationTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return title(section);
    // A first click on a heading sorts upwards, whatever the style prefers.
    if (orientation == Qt::Horizontal && role == Qt::InitialSortOrderRole)
        return int(Qt::AscendingOrder);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void EvaluationTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= Count)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Selected cells follow their receipt.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> receipts;
    receipts.reserve(size_t(before.size()));
    for (const QModelIndex &i : before)
        receipts.push_back(m_order[size_t(i.row())]);

    m_sortColumn = column;
    m_sortDirection = order;
    sortOrder();

    std::vector<int> position(m_rows.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        position[size_t(m_order[i])] = int(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(position[size_t(receipts[size_t(i)])], before.at(i).column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void EvaluationTableModel::sortOrder()
{
    const size_t n = m_rows.size();
    m_order.resize(n);
    std::iota(m_order.begin(), m_order.end(), 0);
    const bool descending = m_sortDirection == Qt::DescendingOrder;
    // One key per row, made before the sort; equal keys keep the order of
    // the receipt numbers.
    auto sortBy = [&](const auto &keys, auto less) {
        std::stable_sort(m_order.begin(), m_order.end(), [&](int a, int b) {
            return descending ? less(keys[size_t(b)], keys[size_t(a)]) : less(keys[size_t(a)], keys[size_t(b)]);
        });
    };
    auto byValue = [&](auto keyOf) {
        std::vector<decltype(keyOf(m_rows.front()))> keys;
        keys.reserve(n);
        for (const EvaluationRow &row : m_rows)
            keys.push_back(keyOf(row));
        sortBy(keys, std::less<>());
    };
    if (n == 0)
        return;

    switch (m_sortColumn) {
    case Number:
        // The rows come in the order of their numbers (2 before 10).
        if (descending)
            std::reverse(m_order.begin(), m_order.end());
        break;
    case Date:
        byValue([](const EvaluationRow &r) { return std::pair(r.date.toJulianDay(), r.modifiedMs); });
        break;
    case Net:
        byValue([](const EvaluationRow &r) { return amountKey(r.net); });
        break;
    case Vat:
        byValue([](const EvaluationRow &r) { return amountKey(r.vat); });
        break;
    case Total:
        byValue([](const EvaluationRow &r) { return amountKey(r.total); });
        break;
    case Rate:
        byValue([](const EvaluationRow &r) { return r.readable ? EvaluationSums::keyOf(r) : 20000; });
        break;
    case Payer:
    case Purpose: {
        // German order, letter case aside ("Ärzte" beside "Arzt", not after
        // "Zahn"). Sort keys are made once: a collator comparison per pair
        // would take seconds over a hundred thousand rows.
        QCollator collator(QLocale(QLocale::German, QLocale::Germany));
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::vector<QCollatorSortKey> keys;
        keys.reserve(n);
        for (const EvaluationRow &row : m_rows)
            keys.push_back(collator.sortKey((m_sortColumn == Payer ? row.payer : row.purpose).left(paintedLength)));
        sortBy(keys, [](const QCollatorSortKey &a, const QCollatorSortKey &b) { return a.compare(b) < 0; });
        break;
    }
    default:
        break;
    }
}

ReceiptEvaluationWindow::ReceiptEvaluationWindow(ArchiveController &archive, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_archive(archive), m_model(new EvaluationTableModel(this))
{
    setObjectName(QStringLiteral("ReceiptEvaluationWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Auswertung der ausgestellten Quittungen"));
    setFont(uiFont(QStringLiteral("MS Sans Serif"), 8.25));
    setBackground(this, colours::grey);
    resize(twips::size(13800, 9000));

    filterFrame = new QGroupBox(QStringLiteral("Welche Quittungen?"), this);
    filterFrame->setObjectName(QStringLiteral("filterFrame"));
    searchTermBox = new QLineEdit(filterFrame);
    searchTermBox->setObjectName(QStringLiteral("searchTermBox"));
    fromDateBox = new QLineEdit(filterFrame);
    fromDateBox->setObjectName(QStringLiteral("fromDateBox"));
    toDateBox = new QLineEdit(filterFrame);
    toDateBox->setObjectName(QStringLiteral("toDateBox"));
    for (QLineEdit *box : { fromDateBox, toDateBox }) {
        box->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
        box->setFixedWidth(twips::toPixels(1500));
    }
    for (QLineEdit *box : { searchTermBox, fromDateBox, toDateBox })
        refuseUnstorable(box, m_archive.platform());
    evaluateButton = new QPushButton(QStringLiteral("&Auswerten"), filterFrame);
    evaluateButton->setObjectName(QStringLiteral("evaluateButton"));
    dateNoteLabel = new QLabel(QStringLiteral("Datum: das Datum auf der Quittung; wo die Datei keines enthält "
                                              "(ältere Quittungen, kursiv), der Tag, an dem sie zuletzt "
                                              "gespeichert wurde."),
                               filterFrame);
    dateNoteLabel->setObjectName(QStringLiteral("dateNoteLabel"));

    auto *termLabel = new QLabel(QStringLiteral("Such&begriff (leer: alle Quittungen):"), filterFrame);
    termLabel->setBuddy(searchTermBox);
    auto *fromLabel = new QLabel(QStringLiteral("Datum &vom"), filterFrame);
    fromLabel->setBuddy(fromDateBox);
    auto *toLabel = new QLabel(QStringLiteral("b&is"), filterFrame);
    toLabel->setBuddy(toDateBox);
    auto *filterLayout = new QGridLayout(filterFrame);
    filterLayout->addWidget(termLabel, 0, 0);
    filterLayout->addWidget(searchTermBox, 0, 1, 1, 4);
    filterLayout->addWidget(evaluateButton, 0, 5);
    filterLayout->addWidget(fromLabel, 1, 0);
    auto *period = new QHBoxLayout;
    period->addWidget(fromDateBox);
    period->addWidget(toLabel);
    period->addWidget(toDateBox);
    period->addStretch();
    filterLayout->addLayout(period, 1, 1, 1, 4);
    filterLayout->addWidget(dateNoteLabel, 2, 0, 1, 6);
    filterLayout->setColumnStretch(1, 1);

    receiptTable = new QTableView(this);
    receiptTable->setObjectName(QStringLiteral("receiptTable"));
    receiptTable->setModel(m_model);
    receiptTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    receiptTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    receiptTable->setSelectionMode(QAbstractItemView::SingleSelection);
    receiptTable->setWordWrap(false);
    receiptTable->verticalHeader()->hide();
    // Fixed row heights and column widths: nothing is measured per row, so
    // a hundred thousand rows fill the table at once.
    receiptTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    receiptTable->verticalHeader()->setDefaultSectionSize(receiptTable->fontMetrics().height() + 6);
    const int widths[Count] = { 900, 1500, 3000, 2400, 1350, 1050, 1200, 1350 };
    for (int column = 0; column < Count; ++column)
        receiptTable->setColumnWidth(column, twips::toPixels(widths[column]));
    receiptTable->horizontalHeader()->setStretchLastSection(false);
    receiptTable->setSortingEnabled(true);
    receiptTable->sortByColumn(Number, Qt::AscendingOrder);
    setBackground(receiptTable, colours::white);

    sumsLabel = new QLabel(QStringLiteral("Summen der angezeigten Quittungen:"), this);
    sumsLabel->setObjectName(QStringLiteral("sumsLabel"));
    sumsTable = new QTableWidget(0, 5, this);
    sumsTable->setObjectName(QStringLiteral("sumsTable"));
    sumsTable->setHorizontalHeaderLabels({ QStringLiteral("MWSt-Satz"), QStringLiteral("Anzahl"),
                                           QStringLiteral("Netto"), QStringLiteral("MWSt"),
                                           QStringLiteral("Gesamt") });
    sumsTable->verticalHeader()->hide();
    sumsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sumsTable->setWordWrap(false);
    sumsTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sumsTable->verticalHeader()->setDefaultSectionSize(receiptTable->verticalHeader()->defaultSectionSize());
    sumsTable->horizontalHeader()->setStretchLastSection(true);
    // Room for four rates, "?", the sum and the unreadable ones.
    sumsTable->setFixedHeight(sumsTable->horizontalHeader()->sizeHint().height()
                              + 7 * sumsTable->verticalHeader()->defaultSectionSize() + 2 * sumsTable->frameWidth());
    const int sumWidths[] = { 3300, 1050, 1800, 1800, 1800 };
    for (int column = 0; column < 5; ++column)
        sumsTable->setColumnWidth(column, twips::toPixels(sumWidths[column]));
    setBackground(sumsTable, colours::white);

    loadNoteLabel = new QLabel(QStringLiteral("Ein Doppelklick auf eine Zeile lädt die Quittung in das "
                                              "Hauptfenster; das Menü bringt diese Auswertung danach wieder."),
                               this);
    loadNoteLabel->setObjectName(QStringLiteral("loadNoteLabel"));
    saveCsvButton = new QPushButton(QStringLiteral("Als &CSV-Datei speichern..."), this);
    saveCsvButton->setObjectName(QStringLiteral("saveCsvButton"));
    saveCsvButton->setEnabled(false);
    saveDatevButton = new QPushButton(QStringLiteral("Als &DATEV-Datei speichern..."), this);
    saveDatevButton->setObjectName(QStringLiteral("saveDatevButton"));
    saveDatevButton->setEnabled(false);
    datevSettingsButton = new QPushButton(QStringLiteral("DATEV-&Einstellungen..."), this);
    datevSettingsButton->setObjectName(QStringLiteral("datevSettingsButton"));
    closeButton = new QPushButton(QStringLiteral("&Schließen"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    // The note has a line of its own: beside the buttons it was cut off.
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveCsvButton);
    buttons->addWidget(saveDatevButton);
    buttons->addWidget(datevSettingsButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(filterFrame);
    layout->addWidget(receiptTable, 1);
    layout->addWidget(sumsLabel);
    layout->addWidget(sumsTable);
    layout->addWidget(loadNoteLabel);
    layout->addLayout(buttons);
    // No smaller than what the rows need, the notes in one line each, as the
    // layout finds it once the window is polished; and no narrower than
    // 9000 twips.
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    const QMargins margins = layout->contentsMargins();
    receiptTable->setMinimumWidth(twips::toPixels(9000) - margins.left() - margins.right());

    receiptTable->setAccessibleName(QStringLiteral("Ausgewertete Quittungen"));
    sumsTable->setAccessibleName(QStringLiteral("Summen der angezeigten Quittungen"));
    keysOfWindow(this, closeButton);

    auto *events = new EventRouter(this);
    for (QLineEdit *box : { searchTermBox, fromDateBox, toDateBox })
        events->onKeyPress(box, [this](int &key) { filterBox_KeyPress(key); });
    // Enter on a row loads it, as a double-click does.
    events->onKeyPress(receiptTable, [this](int &key) {
        if (key != 13)
            return;
        key = 0;
        receiptTable_DblClick(receiptTable->currentIndex().row());
    });
    events->onDoubleClick(receiptTable->viewport(), [this](QPoint at) {
        const QModelIndex index = receiptTable->indexAt(at);
        if (index.isValid())
            receiptTable_DblClick(index.row());
    });
    connect(evaluateButton, &QPushButton::clicked, this, &ReceiptEvaluationWindow::evaluateButton_Click);
    connect(saveCsvButton, &QPushButton::clicked, this, &ReceiptEvaluationWindow::saveCsvButton_Click);
    connect(saveDatevButton, &QPushButton::clicked, this, &ReceiptEvaluationWindow::saveDatevButton_Click);
    connect(datevSettingsButton, &QPushButton::clicked, this, &ReceiptEvaluationWindow::datevSettingsButton_Click);
    connect(closeButton, &QPushButton::clicked, this, &ReceiptEvaluationWindow::closeButton_Click);

    Form_Load();
}

void ReceiptEvaluationWindow::Form_Load()
{
    const QSize client(twips::fromPixels(width()), twips::fromPixels(height()));
    const QPoint at = twips::centred(m_archive.platform().screenSizeTwips(), client);
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));
    showSums();
    searchTermBox->setFocus();
}

void ReceiptEvaluationWindow::filterBox_KeyPress(int &keyAscii)
{
    if (keyAscii != 13)
        return;
    keyAscii = 0;
    evaluateButton_Click();
}

bool ReceiptEvaluationWindow::readDateBox(QLineEdit *box, QDate *date)
{
    *date = QDate();
    if (box->text().trimmed().isEmpty())
        return true;
    *date = germantext::parseDate(box->text());
    if (date->isValid())
        return true;
    m_archive.platform().messageBox(this, QStringLiteral("\"%1\" ist kein Datum. Bitte geben Sie es in der Form "
                                                      "TT.MM.JJJJ ein, zum Beispiel 31.12.2026.")
                                           .arg(box->text()));
    box->setFocus();
    box->selectAll();
    return false;
}

void ReceiptEvaluationWindow::evaluateButton_Click()
{
    EvaluationFilter filter;
    filter.term = searchTermBox->text();
    if (!readDateBox(fromDateBox, &filter.from) || !readDateBox(toDateBox, &filter.to))
        return;
    if (filter.from.isValid() && filter.to.isValid() && filter.from > filter.to) {
        m_archive.platform().messageBox(this, QStringLiteral("Der Zeitraum endet vor seinem Anfang. Bitte prüfen Sie "
                                                          "die beiden Daten."));
        fromDateBox->setFocus();
        return;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // The old rows go first, so that two evaluations are never held at once.
    m_model->setRows({});
    m_model->setRows(EvaluateReceipts(m_archive.files(), receiptFileList(m_archive.files()), filter, m_receiptCache));
    m_evaluated = filter;
    m_sums = sumsOf(m_model->rows());
    showSums();
    saveCsvButton->setEnabled(true);
    saveDatevButton->setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

void ReceiptEvaluationWindow::showSums()
{
    struct Line
    {
        QString what;
        qint64 count;
        const RateSum *sum;
        QString tip;
    };
    std::vector<Line> lines;
    for (const auto &[key, sum] : m_sums.perRate) {
        if (sum.count == 0)
            continue;
        lines.push_back({ EvaluationSums::nameOf(key), sum.count, &sum,
                          key == EvaluationSums::unknownRate
                              ? QStringLiteral("Quittungen, deren Beträge zu keinem Satz (oder zu mehreren) genau "
                                               "passen")
                              : QString() });
    }
    lines.push_back({ QStringLiteral("Summe"), m_sums.all.count, &m_sums.all, QString() });
    if (m_sums.unreadable > 0)
        lines.push_back({ QStringLiteral("Beträge nicht lesbar (in keiner Summe)"), m_sums.unreadable, nullptr,
                          QStringLiteral("Quittungen, deren Betragszeilen keine Zahlen sind") });

    sumsTable->setRowCount(int(lines.size()));
    for (int r = 0; r < int(lines.size()); ++r) {
        const Line &line = lines[size_t(r)];
        const QString texts[5] = { line.what, QString::number(line.count),
                                   line.sum ? signedAmount(line.sum->net.digits()) : QString(),
                                   line.sum ? signedAmount(line.sum->vat.digits()) : QString(),
                                   line.sum ? signedAmount(line.sum->total.digits()) : QString() };
        for (int c = 0; c < 5; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (!line.tip.isEmpty())
                item->setToolTip(line.tip);
            if (line.sum == &m_sums.all) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            sumsTable->setItem(r, c, item);
        }
    }
}

void ReceiptEvaluationWindow::receiptTable_DblClick(int viewRow)
{
    if (viewRow < 0 || viewRow >= m_model->rowCount())
        return;
    if (!m_archive.loadReceiptFile(m_model->shownRow(viewRow).fileName, this))
        return;
    // Out of the way of the main window, which it covers, as the search
    // window goes; hidden rather than closed, the menu entry brings the
    // evaluation back as it was.
    hide();
}

void ReceiptEvaluationWindow::saveCsvButton_Click()
{
    const QString path = m_archive.platform().saveFileName(this, QStringLiteral("Auswertung als CSV-Datei speichern"),
                                                        m_archive.files().filePath(QStringLiteral("Auswertung.csv")),
                                                        QStringLiteral("CSV-Dateien (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeWholeFile(path, evaluationCsv(m_model->rows(), m_model->order()), &error))
        m_archive.platform().messageBox(this, error);
}

void ReceiptEvaluationWindow::saveDatevButton_Click()
{
    saveDatevFiles(this, m_archive.platform(), m_model->rows(), m_model->order(), m_evaluated.from, m_evaluated.to);
}

void ReceiptEvaluationWindow::datevSettingsButton_Click()
{
    editDatevSettings(this, m_archive.platform());
}

void ReceiptEvaluationWindow::closeButton_Click()
{
    close();
}
