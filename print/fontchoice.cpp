#include "print/form9.h"

#include "platform/controls.h"
#include "text/storableinput.h"
#include "platform/twips.h"
#include "settings/settings.h"
#include "text/codepage.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHash>
#include <QSignalBlocker>

#include <algorithm>

Form9::Form9(Platform &platform, QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_platform(platform), m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("Form9"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Schriftwahl"));
    setFixedSize(twips::size(clientWidth, clientHeight));
    const QString sansSerif = QStringLiteral("MS Sans Serif");
    setFont(uiFont(sansSerif, 8.25));
    setBackground(this, colours::grey);

    Label1 = new QLabel(QStringLiteral("Empfohlen: Arial"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setGeometry(twips::rect(330, 120, 2985, 285));

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips::rect(300, 450, 6795, 1815));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);

    Text1 = new QLineEdit(QStringLiteral("Mustertext"), this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips::rect(300, 2550, 6795, 1095));
    Text1->setFont(uiFont(sansSerif, 18));
    refuseLineBreaks(Text1, platform);

    Command1 = new QPushButton(QStringLiteral("&Abbrechen"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(300, 3840, 2835, 405));
    Command2 = new QPushButton(QStringLiteral("&Schriftart speichern"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(3240, 3840, 3885, 405));

    setTabOrder(List1, Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);

    // The sample follows the selection, whether it moves by mouse or keyboard.
    connect(List1, &QListWidget::itemSelectionChanged, this, &Form9::list1_Click);
    List1->setAccessibleName(QStringLiteral("Schriftarten des Druckers"));
    Text1->setAccessibleName(QStringLiteral("Schriftprobe"));
    keysOfWindow(this, Command1);
    connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form9::Command2_Click);

    Form_Load();
}

void Form9::Form_Load()
{
    const QPoint at = twips::centred(m_platform.screenSizeTwips(),
                                     QSize(twips::fromPixels(width()), twips::fromPixels(height())));
    move(twips::toPixels(at.x()), twips::toPixels(at.y()));

    // Messages while loading belong to this window, not yet on the screen:
    // with the main window hidden, a box of its own would be the program's
    // last window, and closing it would end the program.
    m_platform.messageBox(this, QStringLiteral("Die Auswahl dauert einen Moment. Bitte OK anklicken!"));

    // The window is not on the screen yet while it loads, so the hourglass
    // goes over the whole program until the list is filled.
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool waiting = true;
    const auto endWait = [&waiting] {
        if (waiting)
            QGuiApplication::restoreOverrideCursor();
        waiting = false;
    };

    const auto saved = settingValue(m_platform.files(), settingsfile::schrift);
    if (saved)
        Text1->setText(*saved);

    QStringList names;
    const QStringList offered = familyNames(m_platform.printerFonts());
    for (const QString &name : offered) {
        if (names.size() == maxFonts) {
            // The hourglass goes first, so that the message is answered with
            // the ordinary pointer.
            endWait();
            m_platform.messageBox(this, QStringLiteral("Zu viele Schriftarten. Kann nur 250 zeigen!"));
            break;
        }
        names.append(name);
    }
    // The recommended font prints where a printer has any fonts: fontconfig
    // puts the font of the same measures in its place.
    if (!names.isEmpty() && !names.contains(recommended, Qt::CaseInsensitive))
        names.append(recommended);
    // Sorted as a reader looks names up, without regard to letter case; the
    // list widget's own sorting would put every capital before "a".
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    List1->addItems(names);
    // The font saved before, else the recommended one, is the one chosen;
    // the sample keeps its text until another is clicked.
    for (const QString &name : { saved.value_or(recommended).trimmed(), recommended }) {
        const QList<QListWidgetItem *> found = List1->findItems(name, Qt::MatchFixedString);
        if (found.isEmpty())
            continue;
        const QSignalBlocker quiet(List1);
        List1->setCurrentItem(found.first());
        List1->scrollToItem(found.first());
        break;
    }
    endWait();
}

QStringList Form9::familyNames(const QStringList &offered)
{
    QStringList names;
    for (QString name : offered) {
        // Qt names a family that several foundries make "Family [Foundry]".
        if (const qsizetype bracket = name.indexOf(QStringLiteral(" ["));
            bracket > 0 && name.endsWith(QLatin1Char(']')))
            name.truncate(bracket);
        name = name.trimmed();
        // The free fonts of the printing system's 35 standard ones whose
        // names say nothing to a reader.
        static const QHash<QString, QString> known = {
            { QStringLiteral("C059"), QStringLiteral("Century Schoolbook") },
            { QStringLiteral("D050000L"), QStringLiteral("Zapf Dingbats") },
            { QStringLiteral("P052"), QStringLiteral("Palatino") },
            { QStringLiteral("Z003"), QStringLiteral("Zapf Chancery") },
        };
        name = known.value(name, name);
        if (!name.isEmpty() && !names.contains(name, Qt::CaseInsensitive))
            names.append(name);
    }
    return names;
}

void Form9::list1_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    if (selected.isEmpty())
        return;
    Text1->clear();
    Text1->setText(QStringLiteral("Musterschrift"));
    QFont sample = Text1->font();
    sample.setFamily(selected.first()->text());
    Text1->setFont(sample);
}

void Form9::Command2_Click()
{
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    const QString name = selected.isEmpty() ? QString() : selected.first()->text();
    if (name.isEmpty()) {
        m_platform.messageBox(this, QStringLiteral("Bitte markieren Sie eine Schriftart!"));
        return;
    }
    // A name the font file cannot hold would come back as another font.
    if (!codepage::storable(name)) {
        m_platform.messageBox(this, QStringLiteral("Der Name dieser Schriftart enthält ein Zeichen, das nicht "
                                                   "gespeichert werden kann. Bitte wählen Sie eine andere "
                                                   "Schriftart!"));
        return;
    }
    QString error;
    if (!WriteSetting(m_platform.files(), settingsfile::schrift, name, &error)) {
        m_platform.messageBox(this, error);
        return;
    }
    close();
}

void Form9::Command1_Click()
{
    close();
}

void Form9::closeEvent(QCloseEvent *event)
{
    // However the window closes, the main window comes back; shown before this
    // one goes, so the program never has no window left.
    if (m_mainWindow) {
        m_mainWindow->show();
        m_mainWindow->activateWindow();
    }
    event->accept();
}
