#pragma once
// TfrmContours: the contour settings (interval, base level, every how many levels an index
// contour, labels). OK keeps the dialog open with the reason when the settings cannot be used
// over the model's range.
#include "terrain/Contours.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

class TfrmContours : public QDialog {
public:
    TfrmContours(const TContourSettings& settings, double minValue, double maxValue,
                 QWidget* parent = nullptr);
    // The settings accepted with OK.
    const TContourSettings& Settings() const { return FSettings; }
    void accept() override;

private:
    TContourSettings FSettings;
    double FMinValue, FMaxValue;
    QLineEdit *txtInterval, *txtBase;
    QSpinBox* spnIndexEvery;
    QCheckBox* chkLabels;
    QLabel* lblProblem;
};
