// The "Print" command: the print dialog, the caption line and the hourglass.
#include "Components/MapView.h"
#include "MainWindow.h"
#include "platform/NumberText.h"
#include "support/WaitCursor.h"
#include "vrk/VRKModel.h"

#include <QPrinter>

void TfrmTINMap::btnPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (PrintDialog(printer, this))
        PrintView(printer);
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
