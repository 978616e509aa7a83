// The "Print" command: the print dialog, the caption line and the hourglass.
#include "Components/MapView.h"
#include "MainWindow.h"
#include "WindowPlaces.h"
#include "export/MapSheet.h"
#include "platform/NumberText.h"
#include "support/WaitCursor.h"
#include "vrk/VRKModel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>
#include <QPrinter>
#include <QScreen>

// One printer for the program's run: the next print dialog opens with the printer and the
// settings chosen in the last one.
void TfrmTINMap::btnPrintClick() {
    if (!FPrinter)
        FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (PrintDialog(*FPrinter, this))
        PrintView(*FPrinter);
}

void TfrmTINMap::PrintView(QPrinter& printer) {
    const TWaitCursor wait;
    const TMapViewState& view = MapView1->State();
    const QChar separator = SystemDecimalSeparator();
    MapView1->LeftCaption = "Origin: " + FormatFixed(view.ViewLeft, 3, separator) + ", " +
                            FormatFixed(view.ViewBottom, 3, separator);
    MapView1->MiddleCaption = FModel->InternalName;
    MapView1->RightCaption = "Printed by VRKViewer";
    MapView1->Print(printer);
}

void TfrmTINMap::mnuFilePrintLayoutClick() {
    if (!FLayoutPrinter) {
        // A map's sheet needs no more than 300 pixels an inch: finer only makes the preview slow.
        FLayoutPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
        FLayoutPrinter->setResolution(300);
        FLayoutPrinter->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    }
    const TMapViewState& view = MapView1->State();
    TSheetSource source;
    source.View = {view.ViewLeft, view.ViewBottom, view.ViewWidth, view.ViewHeight};
    source.MetresPerUnit = MetresPerUnit(FModel->Header.CoordinateUnits);
    source.Texts.Title = FModel->InternalName.trimmed().isEmpty()
                             ? QFileInfo(FModelFile).completeBaseName()
                             : FModel->InternalName.trimmed();
    source.Texts.Unit = LengthUnitText(FModel->Header.CoordinateUnits).trimmed();
    source.Texts.Notes = {FSystem ? FSystem->Name() : QString("Coordinate system not set"),
                          QFileInfo(FModelFile).fileName(),
                          QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat) +
                              ", " + ApplicationTitle + ' ' + VRK_VERSION};
    source.DrawMap = [this](QPainter& painter, const QRect& rect, const TGroundRect& ground) {
        // A view of its own, so the window's view, legend and labels stay as they are.
        TMapView sheet;
        sheet.setFont(MapView1->font());
        sheet.SetOptions(0); // the sheet has its own scale bar
        sheet.OnPaint = [this](TMapView* target) { PaintMap(*target); };
        const TMapViewState& shown = MapView1->State();
        sheet.SetExtents(shown.MinX, shown.MaxX, shown.MinY, shown.MaxY);
        TPainterCanvas canvas(painter);
        sheet.DrawGround(canvas, {rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1},
                         ground.Left, ground.Bottom, ground.Width, ground.Height);
    };
    frmPrintLayout = new TPrintLayoutDialog(*FLayoutPrinter, std::move(source), this);
    frmPrintLayout->setAttribute(Qt::WA_DeleteOnClose);
    frmPrintLayout->PrintDialog = PrintDialog;
    frmPrintLayout->PdfDialog = [this](QWidget* parent) {
        return SaveDialog("Save layout as PDF", "PDF documents (*.pdf)", parent);
    };
    frmPrintLayout->setGeometry(
        FittedGeometry(frmPrintLayout->geometry(), screen()->availableGeometry(), true));
    frmPrintLayout->open();
}
