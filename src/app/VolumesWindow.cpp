#include "VolumesWindow.h"
#include "Dialogs.h"
#include "export/SavedFile.h"
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
                               "CSV files (*.csv);;JSON files (*.json)");
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
    const bool json = QFileInfo(fileName).suffix().toLower() == "json";
    SaveFile(fileName, [&](QIODevice& out) {
        json ? WriteVolumeJson(FReport, out) : WriteVolumeCsv(FReport, out);
    });
}

void TfrmVolumes::btnPrintClick() {
    QPrinter printer;
    if (!PrintDialog(printer, this))
        return;
    QTextDocument document;
    document.setDefaultFont(font());
    document.setPlainText(Text());
    document.print(&printer);
}
