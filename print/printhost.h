#pragma once

#include "print/receiptlayout.h"

class QWidget;

// What printing needs of the main window.
class PrintHost
{
public:
    // The window the print's messages and windows belong to.
    virtual QWidget *hostWindow() = 0;
    // The receipt's texts exactly as the window shows them.
    virtual PrintSnapshot printSnapshot() const = 0;
    // The main window keeps the name of the font of the print last laid
    // out; the print takes the name back from there.
    virtual QString holdPrintFont(const QString &name) = 0;
    // Runs before every print, PDF and preview: the window checks and
    // completes the receipt and may ask whether to save it first. False stops
    // the print.
    virtual bool prepareForPrint() = 0;

protected:
    ~PrintHost() = default;
};
