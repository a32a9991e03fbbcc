#pragma once

#include "platform/workdir.h"

#include <QString>

#include <array>

// What the tax advisor's booking program needs to know to take the receipts
// as bookings of cash received: whose books they are, the chart of accounts,
// where the fiscal year begins and which accounts the money goes to.
//
// Stored in settings files of one value each: the advisor's number in
// datevber.dat, the client's in datevman.dat, the chart ("03" or "04") in
// datevskr.dat, the first day of the fiscal year as TTMM in datevwjb.dat,
// the cash account in datevkas.dat, the revenue account of each rate in
// datev<rate>.dat and the one for receipts of a small business without VAT
// in datevklu.dat.
struct DatevSettings
{
    enum class Chart { Skr03, Skr04 };
    // The rates that have a revenue account of their own. 16 % and 5 % were
    // in force in the second half of 2020; the revenue accounts of 19 % and
    // 7 % book them then, as the advisor's program takes the rate of an
    // automatic account from the booking's date.
    static constexpr std::array<int, 5> rates = { 19, 16, 7, 5, 0 };
    static constexpr int accountDigits = 4;

    int consultant = 0; // Beraternummer, 1001 to 9999999
    int client = 0;     // Mandantennummer, 1 to 99999
    Chart chart = Chart::Skr03;
    int fiscalMonth = 1, fiscalDay = 1;
    int cashAccount = 0;
    std::array<int, rates.size()> revenueAccounts {};
    int smallBusinessAccount = 0;
    // The issuer is a small business (no VAT charged): its receipts without
    // VAT go to smallBusinessAccount. Taken from the tax data, not stored here.
    bool smallBusiness = false;

    // The accounts the chart has for these, with no numbers of the client.
    static DatevSettings defaults(Chart chart);
    // The revenue account of a rate; 0 for a rate without one.
    int revenueAccount(int rate) const;
    // Empty when the settings make a file the advisor's program takes;
    // otherwise what is wrong, in German.
    QString problem() const;

    bool operator==(const DatevSettings &) const = default;
};

// The stored settings; the chart's accounts where a file is missing or
// unreadable. *complete tells whether every value was stored and valid, as
// after the settings window was confirmed once.
DatevSettings ReadDatevSettings(const WorkDir &dir, bool *complete = nullptr);
bool WriteDatevSettings(WorkDir &dir, const DatevSettings &settings, QString *error = nullptr);
