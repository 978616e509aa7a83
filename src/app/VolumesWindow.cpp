#include "VolumesWindow.h"
#include "export/SavedFile.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TfrmVolumes::TfrmVolumes(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmVolumes");
    setWindowTitle("Volumes");
    lblReport = new QLabel(this);
    lblReport->setObjectName("lblReport");
    lblReport->setTextInteractionFlags(Qt::TextSelectableByMouse);
    btnCopy = new QPushButton("&Copy", this);
    btnCopy->setObjectName("btnCopy");
    btnSave = new QPushButton("&Save...", this);
    btnSave->setObjectName("btnSave");
    btnClose = new QPushButton("C&lose", this);
    btnClose->setObjectName("btnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblReport, 1);
    layout->addLayout(buttons);
    connect(btnCopy, &QPushButton::clicked, this, [this] { RunGuarded([&] { btnCopyClick(); }); });
    connect(btnSave, &QPushButton::clicked, this, [this] { RunGuarded([&] { btnSaveClick(); }); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    SaveDialog = [](QWidget* owner) {
        QString chosenType;
        const QString name =
            QFileDialog::getSaveFileName(owner, "Save volumes", "volumes.csv",
                                         "CSV files (*.csv);;JSON files (*.json)", &chosenType);
        return WithFilterExtension(name, chosenType);
    };
}

void TfrmVolumes::ShowReport(const TVolumeReport& report) {
    FReport = report;
    lblReport->setText(VolumeReportText(report).trimmed());
    adjustSize();
}

QString TfrmVolumes::Text() const {
    return VolumeReportText(FReport);
}

void TfrmVolumes::btnCopyClick() {
    QApplication::clipboard()->setText(Text());
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
