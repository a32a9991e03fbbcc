#pragma once

#include "settings/wordinghost.h"

class Form6;
class TaxDataWindow;
class Platform;
class SecondaryWindows;
struct RewordRow;

// The entries of the menu "Grund-Einstellungen": rewording the receipt's
// labels, the currency and the VAT rate, the switch to euros, and the user
// data window. The main window connects its menu to the handlers here.
class SettingsController
{
public:
    SettingsController(Platform &platform, WordingHost &host, SecondaryWindows &windows);

    void stattquitt_Click();
    void nettoändern_Click();
    void bezmwst_Click();
    void gesamtiändern_Click();
    void gesamtändern_Click();
    void pfändern_Click();
    void betragvon_Click();
    void fuerändern_Click();
    void dankendändern_Click();
    void plzändern_Click();
    void datumändern_Click();
    void mwständern_Click();
    void wahrung_Click();
    void wahrungpf_Click();
    // Currency, hundredth, note and rate switched to euros in one step.
    void euroumstellen_Click();
    // The same switch without asking, for a folder that holds neither
    // settings nor receipts yet: a new user starts in euros at 19 %.
    void euroForNewFolder();

    void anwender_Click();
    Form6 *userDataWindow() const;

    // "Steuerliche Angaben": tax number, VAT id and whether VAT is charged.
    void steuerangaben_Click();
    TaxDataWindow *taxDataWindow() const;

private:
    // Asks for one menu entry's new wording, stores and shows it.
    void RewordLabel(const RewordRow &row);
    void switchToEuro();

    Platform &m_platform;
    WordingHost &m_host;
    SecondaryWindows &m_windows;
};
