#pragma once
// TfrmTriInfo: one triangle's number, vertices, winding and neighbours, with neighbour links,
// a typed number and back/forward through the triangles visited. It never shows a triangle on
// its own: every move asks the main window to select, and the main window calls ShowTriangle.
#include "TriangleDescription.h"

#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QToolButton;
class TTriangle;
class TVandrelTINModel;

class TfrmTriInfo : public QWidget {
public:
    explicit TfrmTriInfo(QWidget* parent = nullptr);

    // Empties the history and shows no triangle.
    void Reset();
    // Shows the triangle and, unless stepping back or forward, adds it to the history.
    void ShowTriangle(TTriangle* triangle);
    // While measuring, rows below the others give the triangle's areas and slope.
    void SetShowsMeasures(bool shows);

    const TVandrelTINModel* Model = nullptr;
    std::function<void(QObject* sender, TTriangle* triangle)> OnSelectTriangle;
    std::function<void(QObject* sender)> OnZoomToTriangle;
    std::function<void(QObject* sender)> OnClose;

    const TTriangleHistory& History() const { return FHistory; }
    int CurrentNumber() const { return FCurrentNumber; }
    TTriangle* NeighbourTarget(int k) const { return FNeighbourTargets[k - 1]; }

    // The handlers of the window's controls.
    void NeighbourClick(int k);
    void sbBackClick();
    void sbForwardClick();
    void TypedNumber(); // Enter in the number box, or the focus leaving it
    void btnZoomClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisplayTriangle(TTriangle* triangle);
    void GoToHistory(int index);
    void UpdateNavigation();

    QLineEdit* txtTriNum;
    QToolButton *sbBack, *sbForward, *btnZoom;
    QLabel *lblPoints, *lblDirection;
    QLabel *lblAreaCaption, *lblArea, *lblSlopeCaption, *lblSlope;
    QSize FDesignedSize;
    TTriangle* FShown = nullptr;
    QLabel* FNeighbourLabels[3];
    TTriangle* FNeighbourTargets[3] = {nullptr, nullptr, nullptr};
    TTriangleHistory FHistory;
    bool FNavigating = false;
    int FCurrentNumber = 0;
};
