#pragma once
// TfrmMeasure: the lengths of a line drawn on the map, in plan and along the ground, and each
// segment's length, bearing and grade.
#include "compare/Measure.h"

#include <QWidget>

class QLabel;

// The measure as the window shows it, numbers with the user's decimal separator.
QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const QString& unit);

class TfrmMeasure : public QWidget {
public:
    explicit TfrmMeasure(QWidget* parent = nullptr);
    void ShowMeasure(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                     const QString& unit);
    QString Text() const;

private:
    QLabel* lblMeasure;
};
