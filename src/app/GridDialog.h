#pragma once
// The elevation grid dialog: the cell size over the model's extent, over an extent of the
// user's (so that the grids of several surveys align), or the grid of another GeoTIFF.
#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;

struct TGridRequest {
    double Cell = 1;
    std::optional<std::array<double, 4>> Extent; // XMIN YMIN XMAX YMAX; none: the model's
    QString Like;                                // a GeoTIFF whose grid to take; empty: none
};

class TGridDialog : public QDialog {
public:
    // modelExtent: XMIN YMIN XMAX YMAX, offered for an extent of the user's.
    TGridDialog(double suggestedCell, const std::array<double, 4>& modelExtent, QWidget* parent);
    TGridRequest Request() const;
    static std::optional<TGridRequest>
    Ask(double suggestedCell, const std::array<double, 4>& modelExtent, QWidget* parent);

private:
    QDoubleSpinBox* txtCell;
    QCheckBox* chkExtent;
    std::array<QDoubleSpinBox*, 4> txtExtent;
    QLineEdit* txtLike;
};
