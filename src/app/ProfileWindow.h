#pragma once
// TfrmProfile: the elevation profile of a line drawn on the map, plotted against the distance
// along it with round-number axes, its own vertical scale, and a readout of the place under the
// mouse, which the main window marks on the map. Non-modal and sizeable; the profile can be
// saved as CSV.
#include "terrain/Profile.h"

#include <QWidget>
#include <functional>
#include <optional>

class QLabel;
class QPushButton;

// The plot: distance across, elevation up, gaps where the line is off the mesh.
class TProfilePlot : public QWidget {
public:
    explicit TProfilePlot(QWidget* parent = nullptr);
    void SetProfile(std::vector<TProfilePoint> profile, double lineLength);
    const std::vector<TProfilePoint>& Profile() const { return FProfile; }
    // The note shown instead of a curve, or an empty text.
    QString Note() const;
    // Plot coordinates to pixels and back.
    QPointF PixelOf(double distance, double value) const;
    double DistanceAt(double x) const;

    std::function<void(std::optional<TProfilePoint> under)> OnHover;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QRectF PlotArea() const;
    std::vector<TProfilePoint> FProfile;
    double FLength = 0;
    double FLow = 0, FHigh = 1; // the vertical axis
    std::optional<double> FMouseDistance;
};

class TfrmProfile : public QWidget {
public:
    explicit TfrmProfile(QWidget* parent = nullptr);
    void ShowProfile(std::vector<TProfilePoint> profile, double lineLength);
    TProfilePlot* Plot() const { return FPlot; }
    QString ReadoutText() const;
    void btnExportClick();

    // The place under the mouse (none when the mouse leaves the plot or is over a gap's end).
    std::function<void(std::optional<TPlanPoint> place)> OnHover;
    std::function<void()> OnClose;
    // Asks for the file to save to (empty when cancelled); tests put their own in place.
    std::function<QString(QWidget* parent)> SaveDialog;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowReadout(const std::optional<TProfilePoint>& under);
    TProfilePlot* FPlot;
    QLabel* lblReadout;
    QPushButton *btnExport, *btnClose;
};
