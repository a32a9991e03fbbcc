#pragma once

#include "settings/listfile.h"
#include "platform/controls.h"
#include "platform/platform.h"

#include <QGroupBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

// Fills a box of the main window from a list file: empties it (entries and
// text line), then adds the lines the skip rule keeps, exactly as read; the
// box sorts them. A missing file leaves the box empty. A file that exists but
// cannot be read leaves the box untouched and gives false with a German message.
bool LoadListIntoCombo(const WorkDir &dir, const QString &listFile, SortedComboBox *box, listfile::Skip skip,
                       QString *error = nullptr);

// A window that edits a whole list file as plain text, one entry a line, and
// on saving writes it back and reloads the main window's box from it. The
// payer and the purpose editor differ only in what their Layout says.
class ListEditor : public QWidget
{
public:
    struct Layout
    {
        const char *objectName;
        QString listFile;
        int clientHeight;  // twips; all editors are 9075 wide
        QColor background;
        QString frameCaption;
        int frameTop;      // twips
        int buttonTop;     // twips
        bool saveFirst;    // the save button, not the edit box, starts the tab order
    };

    static constexpr int clientWidth = 9075;

    QGroupBox *Frame1;
    QPlainTextEdit *Text1;
    QPushButton *Command1; // "&SPEICHERN UND SCHLIESSEN"
    QPushButton *Command2; // "&Abbruch"

    // Centres the window and puts the list file into the edit box.
    void Form_Load();
    void Command1_Click();
    void Command2_Click();

    const Layout &layout() const { return m_layout; }
    // False, after a message, when the list file exists but could not be read:
    // the editor must not open then, or saving it would empty the list.
    bool loaded() const { return m_loaded; }

protected:
    ListEditor(Platform &platform, SortedComboBox *box, const Layout &layout, QWidget *parent);

private:
    Platform &m_platform;
    QPointer<SortedComboBox> m_box;
    const Layout &m_layout;
    bool m_loaded = false;
    // The list file's lines as the editor read them: saving keeps what was
    // added to the file since (a receipt saved for a new payer meanwhile).
    QStringList m_readLines;
};
