// The "Print" command: the print dialog, the caption line and the hourglass.
#include "Components/MapView.h"
#include "MainWindow.h"
#include "support/NumberText.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace {
// The hourglass while printing; the ordinary cursor again however printing ends.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
} // namespace

void TfrmTINMap::btnPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
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
