#include "VolumesWindow.h"
#include "Dialogs.h"
#include "export/SavedFile.h"
#include "export/VolumeReportPages.h"
#include "platform/ErrorGuard.h"

#include <QDoubleSpinBox>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>

TfrmVolumes::TfrmVolumes(QWidget* parent) : TReportWindow("frmVolumes", "Volumes", parent) {
    // Where the surfaces differ by this or less the ground counts as unchanged; a new value
    // counts once typed (Enter or leaving the field) or stepped.
    FTolerance = new QDoubleSpinBox(this);
    FTolerance->setObjectName("edtTolerance");
    FTolerance->setDecimals(3);
    FTolerance->setRange(0, 1e9);
    FTolerance->setSingleStep(0.01);
    FTolerance->setKeyboardTracking(false);
    auto* label = new QLabel("&Tolerance:", this);
    label->setBuddy(FTolerance);
    AddControlRow(label, FTolerance);
    connect(FTolerance, &QDoubleSpinBox::valueChanged, this, [this](double tolerance) {
        RunGuarded([&] {
            if (OnToleranceChanged && tolerance != FReport.Tolerance)
                OnToleranceChanged(tolerance);
        });
    });
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
    const QSignalBlocker quiet(FTolerance);
    FTolerance->setSuffix(report.Unit.isEmpty() ? QString() : ' ' + report.Unit);
    FTolerance->setValue(report.Tolerance);
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
    PrintVolumeReport(FReport, printer, Map ? Map() : QImage());
}
