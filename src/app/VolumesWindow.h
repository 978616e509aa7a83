#pragma once
// TfrmVolumes: the cut and fill between the model and what it is compared with, to copy or to
// save as CSV or JSON. The window shows a report it is given; it holds no model.
#include "ReportWindow.h"
#include "export/VolumeReport.h"

#include <QImage>
#include <functional>

class QDoubleSpinBox;
class QPrinter;

class TfrmVolumes : public TReportWindow {
public:
    explicit TfrmVolumes(QWidget* parent = nullptr);
    void ShowReport(const TVolumeReport& report);
    void btnSaveClick();
    void btnPrintClick();

    // Asks for the file to save to (empty when cancelled); tests put their own in place.
    std::function<QString(QWidget* parent)> SaveDialog;
    // The map of the difference the PDF carries; none without it.
    std::function<QImage()> Map;
    // Sets up the printer (false when cancelled); tests print to a PDF file instead.
    std::function<bool(QPrinter& printer, QWidget* parent)> PrintDialog;
    // The tolerance typed in the window's field: its owner works the figures out again.
    std::function<void(double tolerance)> OnToleranceChanged;

private:
    TVolumeReport FReport;
    QDoubleSpinBox* FTolerance;
};
