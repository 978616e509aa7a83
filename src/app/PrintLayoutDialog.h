#pragma once
// File > Print layout: the view as a map sheet at a true scale (chosen, or the round one at which
// the view fits), with a title, the coordinate frame, a scale bar and a north arrow, previewed as
// it comes out, and printed or saved as PDF.
#include "MapSheetPainting.h"

#include <QDialog>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPagedPaintDevice;
class QPrintPreviewWidget;
class QPrinter;

// What the sheet shows: the part of the ground the window shows, and how to draw it.
struct TSheetSource {
    TGroundRect View;
    double MetresPerUnit = 1;
    TSheetTexts Texts; // the title offered, the unit, the notes
    TDrawSheetMap DrawMap;
};

class TPrintLayoutDialog : public QDialog {
public:
    // The printer keeps the paper, the orientation and the device between layouts.
    TPrintLayoutDialog(QPrinter& printer, TSheetSource source, QWidget* parent);

    // Ask for the printer (false: cancelled) and for the PDF file (empty: cancelled); tests put
    // their own in place.
    std::function<bool(QPrinter& printer, QWidget* parent)> PrintDialog;
    std::function<QString(QWidget* parent)> PdfDialog;

    // The sheet as it is now set; none when the page has no room for the map.
    std::optional<TSheetPlan> Plan() const;
    void Print();
    // Raises Exception naming the file when it cannot be written, leaving no partial file.
    void SavePdf(const QString& fileName);

private:
    void Paint(QPagedPaintDevice& device, double dpi);
    void Changed();

    QPrinter& FPrinter;
    TSheetSource FSource;
    QLineEdit* FTitle;
    QComboBox *FScale, *FOrientation;
    QLabel* FShown; // the scale the sheet is at, or what is wrong
    QPrintPreviewWidget* FPreview;
};
