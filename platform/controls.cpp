#include "platform/controls.h"

#include <QKeyEvent>

#include "platform/platform.h"
#include "platform/twips.h"
#include "platform/workdir.h"

#include <QFontDatabase>
#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAccessibleWidget>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QValidator>

#include <algorithm>

namespace {

QString firstInstalled(const QStringList &candidates, const QString &fallback)
{
    const QStringList families = QFontDatabase::families();
    for (const QString &c : candidates) {
        if (families.contains(c, Qt::CaseInsensitive))
            return c;
    }
    return fallback;
}

} // namespace

void installFontSubstitutes()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QString sans = firstInstalled({ QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                                          QStringLiteral("DejaVu Sans") },
                                        QStringLiteral("Sans Serif"));
    const QString mono = firstInstalled({ QStringLiteral("Liberation Mono"), QStringLiteral("Cousine"),
                                          QStringLiteral("DejaVu Sans Mono") },
                                        QStringLiteral("Monospace"));
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitution(QStringLiteral("Arial"), sans);
    QFont::insertSubstitution(QStringLiteral("Courier New"), mono);
}

QFont uiFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPixelSize(qRound(points * 96.0 / 72.0));
    font.setBold(bold);
    font.setStyleHint(family.contains(QLatin1String("Courier"), Qt::CaseInsensitive) ? QFont::TypeWriter
                                                                                       : QFont::SansSerif);
    return font;
}

void setBackground(QWidget *control, const QColor &colour)
{
    QPalette palette = control->palette();
    const bool entry = qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)
        || qobject_cast<QAbstractScrollArea *>(control);
    if (entry) {
        palette.setColor(QPalette::Base, colour);
        palette.setColor(QPalette::Button, colour);
    } else {
        palette.setColor(QPalette::Window, colour);
        palette.setColor(QPalette::Button, colour);
        control->setAutoFillBackground(true);
    }
    control->setPalette(palette);
    if (auto *combo = qobject_cast<QComboBox *>(control); combo && combo->lineEdit()) {
        QPalette edit = combo->lineEdit()->palette();
        edit.setColor(QPalette::Base, colour);
        combo->lineEdit()->setPalette(edit);
    }
}

QColor background(const QWidget *control)
{
    const bool entry = qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control)
        || qobject_cast<const QAbstractScrollArea *>(control);
    return control->palette().color(entry ? QPalette::Base : QPalette::Window);
}

void setForeground(QWidget *control, const QColor &colour)
{
    // Only the control's own role, so that a frame's caption colour does not
    // pass on to the text boxes and buttons inside it.
    QPalette palette = control->palette();
    if (qobject_cast<QLineEdit *>(control) || qobject_cast<QComboBox *>(control)
        || qobject_cast<QAbstractScrollArea *>(control)) {
        palette.setColor(QPalette::Text, colour);
        palette.setColor(QPalette::ButtonText, colour);
    } else if (qobject_cast<QAbstractButton *>(control)) {
        palette.setColor(QPalette::ButtonText, colour);
    } else {
        palette.setColor(QPalette::WindowText, colour);
    }
    control->setPalette(palette);
}

namespace {

// A named combo box for screen readers: its name is its accessible name, its
// value the text it shows.
class AccessibleNamedComboBox : public QAccessibleWidget
{
public:
    explicit AccessibleNamedComboBox(QComboBox *box)
        : QAccessibleWidget(box, QAccessible::ComboBox)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const QComboBox *>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = static_cast<const QComboBox *>(widget())->isEditable();
        return s;
    }
};

// A drawn line is a separator to a screen reader, not a control.
class AccessibleLine : public QAccessibleWidget
{
public:
    explicit AccessibleLine(QWidget *line)
        : QAccessibleWidget(line, QAccessible::Separator)
    {
    }
};

QAccessibleInterface *accessibleControl(const QString &className, QObject *object)
{
    if (className == QLatin1String("NamedComboBox"))
        return new AccessibleNamedComboBox(static_cast<QComboBox *>(object));
    if (className == QLatin1String("LineControl"))
        return new AccessibleLine(static_cast<QWidget *>(object));
    return nullptr;
}

void installAccessibleControls()
{
    static bool done = false;
    if (!done)
        QAccessible::installFactory(accessibleControl);
    done = true;
}

} // namespace

LineControl::LineControl(QWidget *parent, const QColor &colour, int widthPixels)
    : QWidget(parent), m_colour(colour), m_width(widthPixels)
{
    installAccessibleControls();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::setEnds(int x1, int y1, int x2, int y2)
{
    const QPoint a = twips::point(x1, y1);
    const QPoint b = twips::point(x2, y2);
    QRect box = QRect(a, b).normalized().adjusted(-m_width, -m_width, m_width, m_width);
    setGeometry(box);
    m_from = a - box.topLeft();
    m_to = b - box.topLeft();
}

void LineControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(m_colour, m_width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(m_from, m_to);
}

void typeExactly(QComboBox *box)
{
    // An editable box completes typed text from its list by default ("Meier"
    // becomes the whole "Meierhofer GmbH, ..." entry, "1" becomes "16"); here
    // the text line is the value, exactly as typed. Picking an entry with the
    // mouse or the arrow keys still puts it into the line.
    box->setCompleter(nullptr);
}

NamedComboBox::NamedComboBox(QWidget *parent)
    : QComboBox(parent)
{
    installAccessibleControls();
}

SortedComboBox::SortedComboBox(QWidget *parent)
    : NamedComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    typeExactly(this);
}

void SortedComboBox::addSorted(const QString &entry)
{
    const QString text = currentText();
    int pos = 0;
    while (pos < count()) {
        const QString other = itemText(pos);
        const int c = entry.compare(other, Qt::CaseInsensitive);
        if (c < 0 || (c == 0 && entry < other))
            break;
        ++pos;
    }
    const bool blocked = blockSignals(true);
    insertItem(pos, entry);
    setEditText(text);
    blockSignals(blocked);
}

void SortedComboBox::clearAll()
{
    clear();
    clearEditText();
}

QStringList SortedComboBox::entries() const
{
    QStringList list;
    for (int i = 0; i < count(); ++i)
        list.append(itemText(i));
    return list;
}

namespace {

// Checks text as it is typed or pasted; what the rule does not accept is
// refused whole, with the beep: turning it into something else would change
// what the user typed without telling.
class RuleValidator : public QValidator
{
public:
    RuleValidator(QObject *parent, Platform &platform, TextRule acceptable)
        : QValidator(parent), m_platform(&platform), m_acceptable(std::move(acceptable))
    {
    }
    State validate(QString &input, int &) const override
    {
        if (m_acceptable(input))
            return Acceptable;
        m_platform->beep();
        return Invalid;
    }

private:
    Platform *m_platform;
    TextRule m_acceptable;
};

} // namespace

void refuseText(QLineEdit *box, Platform &platform, TextRule acceptable)
{
    box->setValidator(new RuleValidator(box, platform, std::move(acceptable)));
}

void refuseText(QComboBox *box, Platform &platform, TextRule acceptable)
{
    box->setValidator(new RuleValidator(box, platform, std::move(acceptable)));
}

bool pressOkOrCancel(const QKeyEvent *event, QAbstractButton *ok, QAbstractButton *cancel)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ok->click();
        return true;
    case Qt::Key_Escape:
        cancel->click();
        return true;
    default:
        return false;
    }
}

void keysOfWindow(QWidget *window, QAbstractButton *escapeButton)
{
    for (QPushButton *button : window->findChildren<QPushButton *>())
        button->setAutoDefault(true);
    if (escapeButton) {
        auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
        QObject::connect(escape, &QShortcut::activated, escapeButton, &QAbstractButton::click);
    }
}

void setAccessibleNames(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (auto *box = qobject_cast<QComboBox *>(control); box && box->lineEdit())
        box->lineEdit()->setAccessibleName(name);
}
