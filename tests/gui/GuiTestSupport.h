#pragma once
#include "Components/MapView.h"
#include "ModelWriter.h"
#include "model/Mesh.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QStringList>
#include <QTest>
#include <QWidget>

// Moves the mouse to a point of the widget. The cursor is moved first one pixel aside: moving
// it to where it already is sends no event.
inline void Hover(QWidget* widget, QPoint at) {
    QTest::mouseMove(widget, at + QPoint(1, 1));
    QTest::mouseMove(widget, at);
}

// A double click as the system delivers it: press, release, double click, release.
inline void DoubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// Messages that reached the application's top-level handler.
QStringList& ReportedErrors();

// Whether a pixel of the colour lies within radius of (x, y).
inline bool ColourNear(const QImage& image, int x, int y, QColor colour, int radius = 1) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint p(x + dx, y + dy);
            if (image.rect().contains(p) && image.pixelColor(p) == colour)
                return true;
        }
    return false;
}

inline int CountColour(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

inline bool ImageHasColour(const QImage& image, QColor colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// Two triangles over the square 0..100: (0,0)-(100,0)-(100,100) and (0,0)-(100,100)-(0,100),
// sharing the diagonal, with one start point.
inline TModelData SquareModel() {
    TModelData data;
    data.Vertices = {{0, 0, 0}, {100, 0, 10}, {100, 100, 20}, {0, 100, 30}};
    data.Triangles = {{{1, 2, 3}, {-1, -1, 2}}, {{1, 3, 4}, {1, -1, -1}}};
    data.Edges = {1, 2};
    data.StartPoints = {{25, 75, 2}};
    return data;
}

// Zooms the view to the extents of the mesh's vertices, as opening a model does.
inline void ZoomToMesh(TMapView& view, const TTriangleMesh& mesh) {
    double minE, minN, minV, maxE, maxN, maxV;
    mesh.Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    view.SetExtents(minE, maxE, minN, maxN);
    view.ZoomExtents();
}
