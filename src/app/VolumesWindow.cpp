#include "VolumesWindow.h"
#include "Dialogs.h"
#include "export/SavedFile.h"
#include "export/VolumeReportPages.h"
#include "platform/ErrorGuard.h"

#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>

TfrmVolumes::TfrmVolumes(QWidget* parent) : TReportWindow("frmVolumes", "Volumes", parent) {
    connect(AddButton("&Save...", "btnSave"), &QPushButton::clicked, this,
            [this] { RunGuarded([&] { btnSaveClick(); }); });
    connect(AddButton("&Print...", "btnPrint"), &QPushButton::clicked, this,
            [this] { RunGuarded([&] { btnPrintClick(); }); });
    PrintDialog = [](QPrinter& printer, QWidget* owner) {
        QPrintDialog dialog(&printer, owner);
        return dialog.exec() == QDialog::Accepted;
    };
    SaveDialog = [](QWidget* owner) {
        return AskSaveFileName(owner, "Save volumes", "volumes.csv",
                               "CSV files (*.csv);;JSON files (*.json);;PDF documents (*.pdf);;"
                               "HTML pages (*.html)");
    };
}

void TfrmVolumes::ShowReport(const TVolumeReport& report) {
    FReport = report;
    ShowText(VolumeReportText(report));
}

void TfrmVolumes::btnSaveClick() {
    const QString fileName = SaveDialog(this);
    if (fileName.isEmpty())
        return;
    const QImage map = Map && QFileInfo(fileName).suffix().toLower() == "pdf" ? Map() : QImage();
    // A name of no known format is saved as CSV.
    SaveFile(fileName, [&](QIODevice& out) { WriteVolumeReport(FReport, fileName, out, map); });
}

void TfrmVolumes::btnPrintClick() {
    QPrinter printer;
    if (!PrintDialog(printer, this))
        return;
    QTextDocument document;
    document.setDefaultFont(font());
    document.setHtml(VolumeReportHtml(FReport));
    document.print(&printer);
}
