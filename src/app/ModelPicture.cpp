#include "ModelPicture.h"
#include "Components/MapView.h"
#include "MapFurniture.h"
#include "ModelDrawing.h"
#include "PictureExport.h"
#include "compare/Boundary.h"
#include "export/SavedFile.h"
#include "platform/Exceptions.h"
#include "terrain/TerrainCache.h"
#include "view3d/ComparedSurface.h"
#include "view3d/TerrainRenderer3D.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {
// Qt's PNG quality of 80 is zlib's compression level 1.
constexpr int FastPngQuality = 80;

// Calls use(view) with the whole model in a map view of the picture's shape, painted as the main
// window paints its map (without a selection), with extra drawn over it.
void WithPlanView(const TVandrelTINModel& model, const TModelPicture& picture,
                  const std::function<void(TMapView&)>& extra,
                  const std::function<void(TMapView&)>& use) {
    // The drawing area, inside the scroll bars, has the picture's shape: its size, or for a
    // picture smaller than a window can be, that shape enlarged (the picture is drawn at its
    // own size all the same).
    const double enlarged = std::max(1.0, 64.0 / std::min(picture.Width, picture.Height));
    const QSize area(int(std::lround(picture.Width * enlarged)),
                     int(std::lround(picture.Height * enlarged)));
    TMapView view;
    view.resize(area);
    view.show(); // on the offscreen platform: sized, never seen
    const QSize frame = view.size() - view.viewport()->size();
    view.resize(area + frame);
    TTerrainCache cache;
    TTerrainLayers terrain = picture.Terrain;
    view.OnPaint = [&](TMapView* sender) {
        const bool fill = terrain.Colours || terrain.Hillshade || terrain.ShowsDifference();
        if (fill || terrain.Contours)
            DrawTerrain(*sender, model, terrain, cache);
        TModelLayers layers;
        layers.SpacedSidesPixels = fill ? SidesOverFillPixels : 0;
        DrawModel(*sender, model, layers, nullptr);
        DrawMapOverlays(*sender, model, terrain, cache);
        if (extra)
            extra(*sender);
    };
    double minE, minN, maxE, maxN;
    model.Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    view.SetExtents(minE, maxE, minN, maxN);
    view.ZoomExtents();
    use(view);
}

void WritePlanPicture(const TVandrelTINModel& model, const TModelPicture& picture,
                      const QString& fileName, const TCoordinateSystem* system) {
    WithPlanView(model, picture, nullptr, [&](TMapView& view) {
        ExportPicture(view, fileName, picture.Width, picture.Height, system);
    });
}
} // namespace

QImage VolumeReportMap(const TVandrelTINModel& model, const TTerrainLayers& difference,
                       const TBoundary* boundary, const QString& unit, int width, int height) {
    TModelPicture picture;
    picture.Width = width;
    picture.Height = height;
    picture.Terrain = difference;
    auto drawBoundary = [&](TMapView& view) {
        if (!boundary)
            return;
        TCanvas& canvas = view.DrawCanvas();
        canvas.Pen.Color = 0x0078E6; // the viewer's boundary orange, as a canvas colour
        canvas.Pen.Width = 2;
        for (const auto& ring : boundary->Rings)
            for (size_t i = 0; i < ring.size(); ++i) {
                const TPlanPoint &p = ring[i], &q = ring[(i + 1) % ring.size()];
                view.DrawLine(p.X, p.Y, q.X, q.Y);
            }
        canvas.Pen.Width = 1;
    };
    QImage map;
    WithPlanView(model, picture, drawBoundary, [&](TMapView& view) {
        map = ViewImage(view, width, height);
        QPainter painter(&map);
        DrawMapFurniture(painter, map.rect(), view.State().ViewWidth / width, unit);
    });
    return map;
}

void WriteModelPicture(const TVandrelTINModel& model, const TModelPicture& picture,
                       const QString& fileName, const TCoordinateSystem* system) {
    if (!picture.ThreeD)
        return WritePlanPicture(model, picture, fileName, system);
    if (QFileInfo(fileName).suffix().toLower() != "png")
        throw Exception(
            QString("The 3D picture is written as PNG, not as %1.").arg(fileName).toStdString());
    TView3DLayers layers{picture.Terrain.Colours, false, picture.Terrain.Exaggeration};
    if (picture.Terrain.ShowsDifference() && !picture.Terrain.CompareSurface)
        layers.Level = picture.Terrain.CompareLevel; // in cut and fill, the level a plane
    if (picture.Terrain.ShowsDifference() && picture.Terrain.CompareSurface) {
        const TTriangleMesh& other = *picture.Terrain.CompareSurface;
        TTerrainCache cache; // the plan's ramp, so both show d in the same colours
        layers.Compared =
            CompareSurfaceIn3D(model, other, cache.SurfaceDifferenceRamp(model, other).MaxValue());
    }
    const QImage image =
        RenderTerrainPicture3D(model, layers, picture.Width, picture.Height, picture.Azimuth,
                               picture.Elevation, picture.Context);
    // Compressed quickly (zlib's level 1): the file is a little larger, the pixels the same.
    SaveFile(fileName, [&](QIODevice& out) {
        if (!image.save(&out, "PNG", FastPngQuality))
            throw Exception("The PNG picture could not be written.");
    });
}
