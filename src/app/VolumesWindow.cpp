#include "VolumesWindow.h"
#include "Dialogs.h"
#include "export/SavedFile.h"
#include "platform/ErrorGuard.h"

#include <QFileInfo>
#include <QPushButton>

TfrmVolumes::TfrmVolumes(QWidget* parent) : TReportWindow("frmVolumes", "Volumes", parent) {
    connect(AddButton("&Save...", "btnSave"), &QPushButton::clicked, this,
            [this] { RunGuarded([&] { btnSaveClick(); }); });
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
