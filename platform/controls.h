#pragma once

#include <QColor>
#include <QComboBox>
#include <QFont>
#include <QWidget>

#include <functional>

// Small pieces the windows are built from: colours, fonts by the names the
// windows ask for, a drawn line and a combo box that keeps its list sorted.
namespace colours {
inline const QColor grey(192, 192, 192);
inline const QColor darkRed(128, 0, 0);
inline const QColor darkBlue(0, 0, 128);
inline const QColor focusYellow(255, 255, 0);
inline const QColor white(255, 255, 255);
inline const QColor ruleRed(192, 0, 0);
inline const QColor editorYellow(255, 255, 128);
inline const QColor editorGreen(128, 255, 128);
} // namespace colours

// Maps the font names the windows and the print ask for ("MS Sans Serif",
// "Courier New", "Arial") to installed fonts of the same kind.
void installFontSubstitutes();

// A font of the named family at a point size as on a 96 dpi screen, so text
// keeps its proportion to the twip geometry whatever the screen reports.
QFont uiFont(const QString &family, double points, bool bold = false);

// Background of a text box, combo box or window (the base colour for entry
// fields, the window colour for the rest).
void setBackground(QWidget *control, const QColor &colour);
QColor background(const QWidget *control);
void setForeground(QWidget *control, const QColor &colour);

// A straight line of a colour and width, drawn across the widget.
class LineControl : public QWidget
{
    Q_OBJECT

public:
    LineControl(QWidget *parent, const QColor &colour, int widthPixels);

    // Places the line between two points given in twips of the parent.
    void setEnds(int x1, int y1, int x2, int y2);
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor m_colour;
    int m_width;
    QPoint m_from, m_to; // own pixel coordinates
};

// A combo box a screen reader announces by its accessible name. Qt on Linux
// gives a combo box's value as its name, counting on a label that names the
// box; the boxes here stand in frames, without such a label.
class NamedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};

// An editable combo box whose list sorts itself without regard to letter
// case, as entries are added.
class SortedComboBox : public NamedComboBox
{
public:
    explicit SortedComboBox(QWidget *parent);
    // Adds an entry at its place in the sorted list; the text line stays.
    void addSorted(const QString &entry);
    // Removes every entry and empties the text line.
    void clearAll();
    QStringList entries() const;
};

class Platform;
class QKeyEvent;
class QLineEdit;

// A box that refuses, with the beep, any text the rule does not accept, as
// it is typed or pasted (the rules of what can be stored are the text
// module's: text/storableinput.h).
using TextRule = std::function<bool(const QString &text)>;
void refuseText(QLineEdit *box, Platform &platform, TextRule acceptable);
void refuseText(QComboBox *box, Platform &platform, TextRule acceptable);

// An editable combo box whose text line keeps exactly what is typed: no
// completion from its list.
void typeExactly(QComboBox *box);

class QAbstractButton;

// The keys of a window: Enter on a push button of it presses the button, as
// Space does, and Escape presses the window's close or cancel button (none:
// Escape does nothing). Given to a window once its buttons are made.
void keysOfWindow(QWidget *window, QAbstractButton *escapeButton = nullptr);
// For a form window whose boxes leave Enter and Escape to it: Enter anywhere
// presses ok, Escape presses cancel. True when the key was one of them.
bool pressOkOrCancel(const QKeyEvent *event, QAbstractButton *ok, QAbstractButton *cancel);

// The control's accessible name, and that of the text line of an editable
// combo box, which a screen reader announces on its own.
void setAccessibleNames(QWidget *control, const QString &name);
