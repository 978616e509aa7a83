// The "Print" command: the print dialog, the caption line and the hourglass.
#include "Components/MapView.h"
#include "MainWindow.h"
#include "platform/NumberText.h"
#include "support/WaitCursor.h"
#include "vrk/VRKModel.h"

#include <QPrinter>

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
