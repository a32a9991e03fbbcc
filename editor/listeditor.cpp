#include "editor/listeditor.h"

#include "editor/form11.h"
#include "editor/form15.h"
#include "platform/twips.h"
#include "settings/settings.h"
#include "text/codepage.h"
#include "text/textlines.h"
#include "text/textfile.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

bool LoadListIntoCombo(const WorkDir &dir, const QString &listFile, SortedComboBox *box, listfile::Skip skip,
                       QString *error)
{
    QStringList lines;
    if (dir.exists(listFile)) {
        const auto read = textfile::readLines(dir, listFile);
        if (!read) {
            if (error)
                *error = QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.").arg(dir.storedName(listFile));
            return false;
        }
        lines = *read;
    }
    // Sorted here and added at once, in the order the box's addSorted() keeps:
    // one insertion per entry takes minutes for a list of some thousand payers.
    QStringList entries = listfile::entries(lines, skip);
    std::stable_sort(entries.begin(), entries.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    box->clearAll();
    const bool blocked = box->blockSignals(true);
    box->addItems(entries);
    // No entry chosen, so that the Down key starts at the first one.
    box->setCurrentIndex(-1);
    box->blockSignals(blocked);
    return true;
}

namespace {

const QString sansSerif = QStringLiteral("MS Sans Serif");

// The list goes into a Windows-1252 file: a character the code page cannot
// hold is refused as it is typed, pasted or dropped, with the beep, as in the
// main window's fields. (A QValidator only exists for one-line boxes.)
class CodePageTextEdit : public QPlainTextEdit
{
public:
    CodePageTextEdit(QWidget *parent, Platform &platform)
        : QPlainTextEdit(parent), m_platform(platform)
    {
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!event->text().isEmpty() && !codepage::storable(event->text())) {
            m_platform.beep();
            event->accept();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    void inputMethodEvent(QInputMethodEvent *event) override
    {
        if (!codepage::storable(event->commitString())) {
            m_platform.beep();
            event->accept();
            return;
        }
        QPlainTextEdit::inputMethodEvent(event);
    }
    void insertFromMimeData(const QMimeData *source) override
    {
        if (source->hasText() && !codepage::storable(source->text())) {
            m_platform.beep();
            return;
        }
        QPlainTextEdit::insertFromMimeData(source);
    }

private:
    Platform &m_platform;
};

// The edit box's text with every line break as "\n". toPlainText() is not
// used: it turns no-break spaces into plain ones, and the list would change
// without the user having touched it.
QString editorText(const QPlainTextEdit *box)
{
    QString text;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        if (block != box->document()->begin())
            text += QLatin1Char('\n');
        QString line = block.text();
        line.replace(QChar::LineSeparator, QLatin1Char('\n'));
        text += line;
    }
    return text;
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    // Enter presses the button that has the focus, as Space does.
    button->setAutoDefault(true);
    return button;
}

} // namespace

ListEditor::ListEditor(Platform &platform, SortedComboBox *box, const Layout &layout, QWidget *parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_box(box), m_layout(layout)
{
    setObjectName(QString::fromLatin1(layout.objectName));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Liste bearbeiten"));
    setFixedSize(twips::size(clientWidth, layout.clientHeight));
    const QFont font = uiFont(sansSerif, 8.25);
    setFont(font);
    setBackground(this, layout.background);

    Frame1 = new QGroupBox(layout.frameCaption, this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips::rect(270, layout.frameTop, 8535, 5505));
    Frame1->setFont(uiFont(sansSerif, 9.75, true));

    Text1 = new CodePageTextEdit(Frame1, platform);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips::rect(300, 420, 7935, 4785));
    Text1->setFont(font); // not the frame's bold caption font
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);

    Command2 = makeButton(this, "Command2", QStringLiteral("&Abbruch"), twips::rect(270, layout.buttonTop, 2835, 345));
    Command1 = makeButton(this, "Command1", QStringLiteral("&SPEICHERN UND SCHLIESSEN"),
                          twips::rect(3150, layout.buttonTop, 5655, 345));
    QString name = layout.frameCaption;
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    Text1->setAccessibleName(QStringLiteral("Liste: %1").arg(name));
    keysOfWindow(this, Command2);
    connect(Command1, &QPushButton::clicked, this, &ListEditor::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ListEditor::Command2_Click);

    const QList<QWidget *> order = layout.saveFirst ? QList<QWidget *> { Command1, Text1, Command2 }
                                                    : QList<QWidget *> { Text1, Command2, Command1 };
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order.at(i), order.at(i + 1));
    order.first()->setFocus();

    Form_Load();
}

void ListEditor::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(), QSize(clientWidth, m_layout.clientHeight));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    WorkDir &dir = m_platform.files();
    m_loaded = true;
    if (!dir.exists(m_layout.listFile))
        return;
    const auto text = textfile::readText(dir, m_layout.listFile);
    if (!text) {
        m_loaded = false;
        m_platform.messageBox(parentWidget(), QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden.")
                                                  .arg(dir.storedName(m_layout.listFile)));
        return;
    }
    Text1->setPlainText(*text);
    m_readLines = textlines::splitLines(*text);
}

void ListEditor::Command1_Click()
{
    WorkDir &dir = m_platform.files();
    QString error;
    QString text = listfile::fromEditorText(editorText(Text1));
    // Lines saved into the list while the editor was open (a new payer of a
    // receipt) are not the user's to drop unseen: they go after the edited
    // text, and the user is told.
    QStringList added;
    // A receipt saved on another desk may add to the list meanwhile.
    const QString edited = text;
    const bool written = dir.changeLocked(m_layout.listFile, [&](QString *why) {
        text = edited;
        added.clear();
        if (dir.exists(m_layout.listFile)) {
            const auto now = textfile::readLines(dir, m_layout.listFile);
            if (!now) {
                if (why)
                    *why = QStringLiteral("Die Datei \"%1\" konnte nicht gelesen werden; die Liste wurde nicht "
                                          "gespeichert.")
                               .arg(dir.storedName(m_layout.listFile));
                return false;
            }
            added = listfile::addedSince(m_readLines, *now, textlines::splitLines(edited));
        }
        for (const QString &line : std::as_const(added))
            text += line + textlines::lineEnd;
        return textfile::write(dir, m_layout.listFile, text, why);
    }, &error);
    // A failed write keeps the editor open with the user's text.
    if (!written) {
        m_platform.messageBox(this, error);
        return;
    }
    m_readLines = textlines::splitLines(text);
    if (!added.isEmpty())
        m_platform.messageBox(this, QStringLiteral("Während die Liste bearbeitet wurde, sind diese Einträge "
                                                   "dazugekommen. Sie stehen jetzt am Ende der Liste:")
                                        + textlines::lineEnd + added.join(textlines::lineEnd));
    if (m_box && !LoadListIntoCombo(dir, m_layout.listFile, m_box, listfile::Skip::BlankLines, &error))
        m_platform.messageBox(this, error);
    close();
}

void ListEditor::Command2_Click()
{
    close();
}

Form11::Form11(Platform &platform, SortedComboBox *payerBox, QWidget *parent)
    : ListEditor(platform, payerBox, payerLayout(), parent)
{
}

const ListEditor::Layout &Form11::payerLayout()
{
    static const Layout layout { "Form11", settingsfile::von, 6555, colours::editorYellow,
                                 QStringLiteral("Betrag erhalten von:"), 240, 5970, false };
    return layout;
}

Form15::Form15(Platform &platform, SortedComboBox *purposeBox, QWidget *parent)
    : ListEditor(platform, purposeBox, purposeLayout(), parent)
{
}

const ListEditor::Layout &Form15::purposeLayout()
{
    static const Layout layout { "Form15", settingsfile::fuer, 6570, colours::editorGreen,
                                 QStringLiteral("Betrag erhalten für:"), 300, 6030, true };
    return layout;
}
