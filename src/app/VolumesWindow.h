#pragma once
// TfrmVolumes: the cut and fill between the model and what it is compared with, with copy and
// save as CSV or JSON. The window shows a report it is given; it holds no model.
#include "export/VolumeReport.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

class TfrmVolumes : public QWidget {
public:
    explicit TfrmVolumes(QWidget* parent = nullptr);
    void ShowReport(const TVolumeReport& report);
    QString Text() const;
    void btnCopyClick();
    void btnSaveClick();

    // Asks for the file to save to (empty when cancelled); tests put their own in place.
    std::function<QString(QWidget* parent)> SaveDialog;

private:
    TVolumeReport FReport;
    QLabel* lblReport;
    QPushButton *btnCopy, *btnSave, *btnClose;
};
