// The main window's Terrain menu: the elevation tint, the hillshade, the contours and their
// export, and the elevation profile mode with its line on the map and its window.
#include "Components/MapView.h"
#include "ContourDialog.h"
#include "CoordinateSystemDialog.h"
#include "Dialogs.h"
#include "GridDialog.h"
#include "MainWindow.h"
#include "MeasureWindow.h"
#include "ModelPicture.h"
#include "ProfileWindow.h"
#include "VolumesWindow.h"
#include "WindowPlaces.h"
#include "build/SurveyLines.h"
#include "compare/Measure.h"
#include "compare/Volumes.h"
#include "export/ContourGeoJson.h"
#include "export/SavedFile.h"
#include "gis/RasterFiles.h"
#include "gis/VectorFiles.h"
#include "import/SurfaceReaders.h"
#include "inspect/TriangleInfoWindow.h"
#include "model/Geometry.h"
#include "platform/ErrorGuard.h"
#include "platform/Exceptions.h"
#include "platform/Memory.h"
#include "platform/NumberText.h"
#include "support/WaitCursor.h"
#include "view3d/ComparedSurface.h"
#include "view3d/DrapedLines.h"
#include "view3d/TerrainView3D.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QButtonGroup>
#include <QDateTime>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <cmath>

namespace {
const QColor ProfileLineColour(200, 0, 160);
const QColor ComparisonOutlineColour(0, 110, 60);
const QColor BoundaryColour(230, 120, 0);
} // namespace

void TfrmTINMap::CreateTerrainActions() {
    auto action = [this](const char* name, const QString& text, bool checkable) {
        auto* item = new QAction(text, this);
        item->setObjectName(name);
        item->setCheckable(checkable);
        return item;
    };
    mnuTerrainColours = action("mnuTerrainColours", "&Elevation colours", true);
    mnuTerrainHillshade = action("mnuTerrainHillshade", "&Hillshade", true);
    mnuTerrainExaggeration = action("mnuTerrainExaggeration", "Vertical e&xaggeration...", false);
    mnuTerrainContours = action("mnuTerrainContours", "&Contours...", false);
    mnuTerrainShowContours = action("mnuTerrainShowContours", "Show contours", true);
    mnuTerrainExportContours = action("mnuTerrainExportContours", "Export contours...", false);
    mnuTerrainProfile = action("mnuTerrainProfile", "Elevation &profile", true);
    mnuTerrainMeasure = action("mnuTerrainMeasure", "&Measure", true);
    mnuTerrainHighest = action("mnuTerrainHighest", "Go to hi&ghest point", false);
    mnuTerrainLowest = action("mnuTerrainLowest", "Go to lo&west point", false);
    mnuTerrainCompareLevel = action("mnuTerrainCompareLevel", "Compare with &level...", false);
    mnuTerrainDifference = action("mnuTerrainDifference", "Show &difference", true);
    mnuTerrainVolumes = action("mnuTerrainVolumes", "&Volumes...", false);
    mnuTerrainStopComparing = action("mnuTerrainStopComparing", "&Stop comparing", false);
    mnuTerrainCompareSurface =
        action("mnuTerrainCompareSurface", "Compare with s&urface...", false);
    mnuTerrainDrawBoundary = action("mnuTerrainDrawBoundary", "Draw &boundary", true);
    mnuTerrainOpenBoundary = action("mnuTerrainOpenBoundary", "&Open boundary...", false);
    mnuTerrainClearBoundary = action("mnuTerrainClearBoundary", "Clear bou&ndary", false);
    mnuTerrainSaveBoundary = action("mnuTerrainSaveBoundary", "Save boundary &as...", false);
    mnuTerrainCoordinateSystem =
        action("mnuTerrainCoordinateSystem", "Coordinate s&ystem...", false);
    mnuTerrainExportGrid = action("mnuTerrainExportGrid", "Export elevation g&rid...", false);
    mnuTerrain3DView = action("mnuTerrain3DView", "3&D view", false);
    mnuTerrainTolerance = action("mnuTerrainTolerance", "Volume &tolerance...", false);
    mnuTerrain3DView->setShortcut(Qt::Key_F3);

    for (QAction* layer :
         {mnuTerrainColours, mnuTerrainHillshade, mnuTerrainShowContours, mnuTerrainDifference})
        Wire(layer, &QAction::triggered, &TfrmTINMap::TerrainLayersClick);
    Wire(mnuTerrainExaggeration, &QAction::triggered, &TfrmTINMap::mnuTerrainExaggerationClick);
    Wire(mnuTerrainContours, &QAction::triggered, &TfrmTINMap::mnuTerrainContoursClick);
    Wire(mnuTerrainExportContours, &QAction::triggered, &TfrmTINMap::mnuTerrainExportContoursClick);
    Wire(mnuTerrainProfile, &QAction::triggered, &TfrmTINMap::ProfileModeClick);
    Wire(mnuTerrainMeasure, &QAction::triggered, &TfrmTINMap::MeasureModeClick);
    Wire(mnuTerrainHighest, &QAction::triggered, &TfrmTINMap::mnuTerrainHighestClick);
    Wire(mnuTerrainLowest, &QAction::triggered, &TfrmTINMap::mnuTerrainLowestClick);
    Wire(mnuTerrainCompareLevel, &QAction::triggered, &TfrmTINMap::mnuTerrainCompareLevelClick);
    Wire(mnuTerrainVolumes, &QAction::triggered, &TfrmTINMap::mnuTerrainVolumesClick);
    Wire(mnuTerrainStopComparing, &QAction::triggered, &TfrmTINMap::mnuTerrainStopComparingClick);
    Wire(mnuTerrainCompareSurface, &QAction::triggered, &TfrmTINMap::mnuTerrainCompareSurfaceClick);
    Wire(mnuTerrainDrawBoundary, &QAction::triggered, &TfrmTINMap::BoundaryModeClick);
    Wire(mnuTerrainOpenBoundary, &QAction::triggered, &TfrmTINMap::mnuTerrainOpenBoundaryClick);
    Wire(mnuTerrainClearBoundary, &QAction::triggered, &TfrmTINMap::mnuTerrainClearBoundaryClick);
    Wire(mnuTerrainSaveBoundary, &QAction::triggered, &TfrmTINMap::mnuTerrainSaveBoundaryClick);
    Wire(mnuTerrainCoordinateSystem, &QAction::triggered,
         &TfrmTINMap::mnuTerrainCoordinateSystemClick);
    Wire(mnuTerrainExportGrid, &QAction::triggered, &TfrmTINMap::mnuTerrainExportGridClick);
    Wire(mnuTerrainTolerance, &QAction::triggered, &TfrmTINMap::mnuTerrainToleranceClick);
    ToleranceDialog = [](double current, QWidget* parent) {
        bool ok = false;
        const double tolerance = QInputDialog::getDouble(
            parent, "Volume tolerance",
            "Where the surfaces differ by this or less the ground counts as unchanged\n"
            "(the cut and fill areas are beyond it; the volumes are over everything):",
            current, 0, 1e9, 3, &ok);
        return ok ? std::optional(tolerance) : std::nullopt;
    };
    Wire(mnuTerrain3DView, &QAction::triggered, &TfrmTINMap::mnuTerrain3DViewClick);
    GridDialog = &TGridDialog::Ask;
    ComparingChanged();

    ExaggerationDialog = [](double current, QWidget* parent) {
        return AskNumber(parent, "Vertical exaggeration", "Elevations stretched by:", current, 0.01,
                         1000, 2, 0.5);
    };
    LevelDialog = [](double suggested, QWidget* parent) {
        return AskNumber(parent, "Compare with level", "Elevation of the level:", suggested, -1e12,
                         1e12, 3);
    };
    CompareSurfaceDialog = [](QWidget* parent) {
        return AskOpenFileName(parent, "Compare with surface",
                               "Surfaces (*.vrk *.xml *.landxml *.ply *.obj *.2dm);;"
                               "All files (*)");
    };
    CoordinateSystemDialog = &TCoordinateSystemDialog::Ask;
    BoundaryDialog = [](QWidget* parent) {
        return AskOpenFileName(parent, "Open boundary",
                               "GIS files (*.geojson *.json *.gpkg *.shp *.dxf);;"
                               "GeoJSON files (*.geojson *.json);;GeoPackage files (*.gpkg);;"
                               "Shapefiles (*.shp);;DXF drawings (*.dxf)");
    };
    SaveDialog = [](const QString& caption, const QString& filter, QWidget* parent) {
        return AskSaveFileName(parent, caption, QString(), filter);
    };

    frmMeasure = new TfrmMeasure(this);
    frmVolumes = new TfrmVolumes(this);
    frmProfile = new TfrmProfile(this);
    for (QWidget* tool : {static_cast<QWidget*>(frmMeasure), static_cast<QWidget*>(frmVolumes),
                          static_cast<QWidget*>(frmProfile)})
        CloseOnEscape(tool);
    frmProfile->OnHover = [this](std::optional<TPlanPoint> place) {
        FProfileMarker = place;
        MapView1->viewport()->update();
    };
    frmProfile->OnClose = [this] { ProfileClosed(); };
    frmVolumes->OnToleranceChanged = [this](double tolerance) {
        FTolerance = tolerance;
        mnuTerrainVolumesClick();
    };
    frmVolumes->Map = [this] {
        TTerrainLayers difference = FTerrain;
        difference.Colours = difference.Hillshade = difference.Contours = false;
        difference.Difference = true;
        return VolumeReportMap(*FModel, difference, FBoundary ? &*FBoundary : nullptr,
                               LengthUnitText(FModel->Header.CoordinateUnits).trimmed(), 1000, 700);
    };
    frmMeasure->OnSave = [this](const std::vector<TMeasuredPoint>& points, bool polygon) {
        SaveMeasured(points, polygon);
    };
}

void TfrmTINMap::SaveMeasured(const std::vector<TMeasuredPoint>& points, bool polygon) {
    TVectorFormat format;
    const QString fileName = AskVectorFileName(polygon ? "Save polygon" : "Save line", format);
    if (fileName.isEmpty())
        return;
    const TCoordinateSystem* system = FSystem ? &*FSystem : nullptr;
    if (polygon) {
        TBoundary outline{{{}}};
        for (const TMeasuredPoint& p : points)
            outline.Rings[0].push_back({p.Easting, p.Northing});
        return WriteVectorPolygon(fileName, format, "measured", outline, system,
                                  FModel->Header.CoordinateUnits);
    }
    // A 3D line through the surface at its corners; a corner off the model at 0.
    TVectorLine line;
    line.DxfLayer = "MEASURED";
    for (const TMeasuredPoint& p : points)
        line.Points.push_back(
            {p.Easting, p.Northing, std::isfinite(p.Elevation) ? p.Elevation : 0.0});
    WriteVectorLines(fileName, format, "measured", {line}, false, system,
                     FModel->Header.CoordinateUnits);
}

void TfrmTINMap::CreateTerrainMenu() {
    QMenu* terrain = menuBar()->addMenu("&Terrain");
    terrain->addActions({mnuTerrainColours, mnuTerrainHillshade, mnuTerrainExaggeration});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainContours, mnuTerrainShowContours, mnuTerrainExportContours});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainProfile, mnuTerrainMeasure});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainHighest, mnuTerrainLowest});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainCompareSurface, mnuTerrainCompareLevel, mnuTerrainDifference,
                         mnuTerrainVolumes, mnuTerrainStopComparing});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainDrawBoundary, mnuTerrainOpenBoundary, mnuTerrainSaveBoundary,
                         mnuTerrainClearBoundary});
    terrain->addSeparator();
    terrain->addActions({mnuTerrainCoordinateSystem, mnuTerrainExportGrid});
    terrain->addSeparator();
    terrain->addAction(mnuTerrain3DView);
    terrain->addSeparator();
    terrain->addActions({mnuTerrainBuildSurface, mnuTerrainTolerance});
}

void TfrmTINMap::mnuTerrain3DViewClick() {
    // Made at the first use: a machine without OpenGL never needs it, and the plan view is the
    // same either way.
    if (!frm3DView) {
        if (const QString problem = TTerrainView3D::OpenGLProblem(); !problem.isEmpty())
            throw Exception(problem.toStdString()); // shown as every error is; nothing changes
        frm3DView = new TTerrainView3D(this);
        FitOnScreen(*frm3DView);
        CloseOnEscape(frm3DView);
        frm3DView->OnSelectTriangle = [this](TTriangle* triangle) { SelectTriangle(triangle); };
        frm3DView->SetModel(FModel.get());
        frm3DView->SetSelectedTriangle(FSelectedTriangle);
    }
    frm3DView->show();
    Update3DView();
    frm3DView->raise();
    frm3DView->activateWindow();
}

std::shared_ptr<const TComparedSurface> TfrmTINMap::ComparedIn3D(const TTriangleMesh& surface) {
    const double reach = FTerrainCache.SurfaceDifferenceRamp(*FModel, surface).MaxValue();
    if (!F3DCompared || F3DComparedKey != std::tuple(FModel.get(), &surface, reach)) {
        F3DCompared = CompareSurfaceIn3D(*FModel, surface, reach);
        F3DComparedKey = {FModel.get(), &surface, reach};
    }
    return F3DCompared;
}

void TfrmTINMap::Update3DView() {
    if (!frm3DView)
        return;
    TView3DLayers layers{FTerrain.Colours, Layers().Triangles, FTerrain.Exaggeration};
    if (FTerrain.ShowsDifference() && !FTerrain.CompareSurface) // a level compared with
        layers.Level = FTerrain.CompareLevel;
    if (FTerrain.ShowsDifference() && FTerrain.CompareSurface)
        layers.Compared = ComparedIn3D(*FTerrain.CompareSurface);
    frm3DView->SetLayers(layers);
    frm3DView->SetComparison(FTerrain.CompareSurface);
    if (!frm3DView->isVisible())
        return;
    // The lines the plan shows, laid on the ground, when they have changed.
    T3DLineSources sources{FTerrain.Contours, FTerrain.Contour, FProfileLine, FBoundary};
    if (F3DLineSources == sources)
        return;
    F3DLineSources = std::move(sources);
    const auto colour = [](const QColor& c) { return uint32_t(c.rgb()); };
    std::vector<TLine3D> lines;
    if (FTerrain.Contours)
        lines = ContourLines3D(FTerrainCache.Contours(FModel->Triangles(), FTerrain.Contour),
                               colour(ToQColor(ContourColor)));
    auto add = [&](std::vector<TLine3D> more) {
        lines.insert(lines.end(), std::make_move_iterator(more.begin()),
                     std::make_move_iterator(more.end()));
    };
    if (FProfileLine.size() >= 2)
        add(DrapeLine(*FModel, FProfileLine, colour(ProfileLineColour)));
    if (FBoundary)
        for (std::vector<TPlanPoint> ring : FBoundary->Rings) {
            if (!ring.empty())
                ring.push_back(ring.front());
            add(DrapeLine(*FModel, ring, colour(BoundaryColour)));
        }
    frm3DView->SetLines(std::move(lines));
}

void TfrmTINMap::TerrainLayersClick() {
    FTerrain.Colours = mnuTerrainColours->isChecked();
    FTerrain.Hillshade = mnuTerrainHillshade->isChecked();
    FTerrain.Contours = mnuTerrainShowContours->isChecked();
    FTerrain.Difference = mnuTerrainDifference->isChecked();
    MapView1->Repaint();
    Update3DView();
}

void TfrmTINMap::mnuTerrainExaggerationClick() {
    if (const auto value = ExaggerationDialog(FTerrain.Exaggeration, this)) {
        FTerrain.Exaggeration = *value;
        Update3DView();
        if (FTerrain.Hillshade)
            MapView1->Repaint();
    }
}

TContourSettings TfrmTINMap::DefaultContours() {
    const auto [low, high] = FTerrainCache.ValueRange(FModel->Vertices());
    TContourSettings settings;
    settings.Interval = DefaultContourInterval(low, high);
    return settings;
}

void TfrmTINMap::mnuTerrainContoursClick() {
    const auto [low, high] = FTerrainCache.ValueRange(FModel->Vertices());
    TfrmContours dialog(FTerrain.Contour, low, high, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    {
        // Traced here rather than in the paint, so that a failure leaves the layer as it was.
        const TWaitCursor wait;
        FTerrainCache.Contours(FModel->Triangles(), dialog.Settings());
    }
    FTerrain.Contour = dialog.Settings();
    FContoursChosen = true;
    FTerrain.Contours = true;
    mnuTerrainShowContours->setChecked(true);
    MapView1->Repaint();
}

QString TfrmTINMap::AskVectorFileName(const QString& caption, TVectorFormat& format) {
    const QString filter = "GeoJSON files (*.geojson *.json);;GeoPackage files (*.gpkg);;"
                           "Shapefiles (*.shp);;DXF drawings (*.dxf)";
    const QString fileName = WithFilterExtension(SaveDialog(caption, filter, this), filter);
    format = TVectorFormat::GeoJson; // a name of none of them: as typed, in GeoJSON
    VectorFormatFromExtension(fileName, format);
    return fileName;
}

void TfrmTINMap::mnuTerrainExportContoursClick() {
    TVectorFormat format;
    const QString fileName = AskVectorFileName("Export contours", format);
    if (fileName.isEmpty())
        return;
    const TWaitCursor wait;
    const auto& lines = FTerrainCache.Contours(FModel->Triangles(), FTerrain.Contour);
    // GeoJSON without a system keeps the coordinates as they are.
    if (format == TVectorFormat::GeoJson && !FSystem)
        SaveFile(fileName, [&](QIODevice& out) { WriteContoursGeoJson(lines, out); });
    else
        WriteVectorLines(fileName, format, "contours", ContourVectorLines(lines), true,
                         FSystem ? &*FSystem : nullptr, FModel->Header.CoordinateUnits);
}

void TfrmTINMap::GoToExtremePoint(bool highest) {
    const TTriVertex* point = ExtremeVertex(FModel->Vertices(), highest);
    if (!point) {
        statusBar()->showMessage("The model has no point with a finite elevation.", 10000);
        return;
    }
    FPointMarker = TPlanPoint{point->Easting, point->Northing};
    MapView1->CenterView(true, point->Easting, point->Northing, MapView1->State().Zoom);
    const QChar separator = SystemDecimalSeparator();
    statusBar()->showMessage(QString("%1 point: %2 at %3, %4")
                                 .arg(highest ? "Highest" : "Lowest",
                                      FormatFixed(point->Value, 3, separator),
                                      FormatFixed(point->Easting, 3, separator),
                                      FormatFixed(point->Northing, 3, separator)),
                             10000);
}

void TfrmTINMap::mnuTerrainCompareLevelClick() {
    const auto [low, high] = FTerrainCache.ValueRange(FModel->Vertices());
    const auto level = LevelDialog(FTerrain.CompareLevel.value_or((low + high) / 2), this);
    if (!level)
        return;
    ForgetComparison();
    FTerrain.CompareLevel = *level;
    FTerrain.Difference = true;
    ComparingChanged();
    MapView1->Repaint();
    mnuTerrainVolumesClick();
}

namespace {
// The sides of the mesh's triangles that have no neighbour: its outline.
std::vector<TPlanSegment> OutlineOf(const TTriangleMesh& mesh) {
    std::vector<TPlanSegment> outline;
    const TTriangles& triangles = mesh.Triangles();
    for (int i = 0; i < triangles.Count(); ++i) {
        const TTriangle* t = triangles.TriangleAt(i);
        for (int k = 1; t && k <= 3; ++k) {
            const TTriVertex *a = t->Vertex(k), *b = t->Vertex(NextSide(k));
            if (!t->Neighbour(k) && a && b)
                outline.push_back({{a->Easting, a->Northing}, {b->Easting, b->Northing}});
        }
    }
    return outline;
}
} // namespace

void TfrmTINMap::ForgetComparison() {
    if (frm3DView) // it may be building its tiles from the surface
        frm3DView->SetComparison(nullptr);
    FTerrain.CompareSurface = nullptr;
    FComparison.reset();
    FComparisonOutline.clear();
    FTerrainCache.ForgetSurfaceDifference();
    F3DCompared.reset();
}

void TfrmTINMap::mnuTerrainCompareSurfaceClick() {
    const QString fileName = CompareSurfaceDialog(this);
    if (!fileName.isEmpty())
        CompareWithSurface(fileName);
}

void TfrmTINMap::CompareWithSurface(const QString& fileName) {
    // Of a LandXML file's several surfaces (the existing and the design ground), the user's.
    QString surfaceName;
    if (SurfaceFormatOfName(fileName) == TSurfaceFormat::LandXml)
        if (const QStringList names = LandXmlSurfaceNames(fileName.toStdString());
            names.size() > 1) {
            const std::optional<int> chosen =
                ChoiceDialog("Compare with surface",
                             "The file holds several surfaces; compare with:", names, this);
            if (!chosen || *chosen < 0 || *chosen >= names.size())
                return;
            surfaceName = names[*chosen];
        }
    const TWaitCursor wait;
    // Read whole before anything changes: a file that cannot be read leaves the comparison.
    auto surface = std::make_unique<TVandrelTINModel>();
    ReadSurfaceFile(*surface, fileName.toStdString(), {surfaceName, {}});
    ForgetComparison();
    FComparisonOutline = OutlineOf(*surface);
    FComparison = std::move(surface);
    FTerrainCache.ForgetSurfaceDifference();
    FTerrain.CompareLevel.reset();
    FTerrain.CompareSurface = FComparison.get();
    FTerrain.Difference = true;
    ComparingChanged();
    MapView1->Repaint();
    mnuTerrainVolumesClick();
}

void TfrmTINMap::mnuTerrainVolumesClick() {
    if (!FTerrain.Comparing())
        return;
    const TWaitCursor wait;
    QString against =
        FComparison ? "surface " + FComparison->InternalName
                    : "level " + FormatFixed(*FTerrain.CompareLevel, 3, SystemDecimalSeparator());
    if (FBoundary)
        against += " within the boundary";
    const TComparison with{FComparison.get(), FTerrain.CompareLevel.value_or(0), FTolerance};
    // Against a level without a boundary, each triangle is split on its own.
    const TVolumes volumes =
        FComparison || FBoundary
            ? CompareVolumes(FModel->Triangles(), with, FBoundary ? &*FBoundary : nullptr)
            : VolumesToLevel(FModel->Triangles(), with.Level, FTolerance);
    TVolumeReport report;
    report.Model = FModel->InternalName;
    report.Against = against;
    report.Unit = LengthUnitText(FModel->Header.CoordinateUnits).trimmed();
    report.Volumes = volumes;
    report.Tolerance = FTolerance;
    report.Created = QDateTime::currentDateTime().toString(Qt::ISODate);
    report.Program = QString(ApplicationTitle) + ' ' + VRK_VERSION;
    report.ModelFile = FModelFile;
    report.System = FSystem ? FSystem->Name() : QString();
    if (FBoundary)
        report.Boundary = BoundaryParticulars(*FBoundary, QString(), report.Unit);
    frmVolumes->ShowReport(report);
}

void TfrmTINMap::mnuTerrainToleranceClick() {
    const std::optional<double> tolerance = ToleranceDialog(FTolerance, this);
    if (!tolerance || !(*tolerance >= 0))
        return;
    FTolerance = *tolerance;
    if (frmVolumes->isVisible()) // its figures follow
        mnuTerrainVolumesClick();
}

void TfrmTINMap::mnuTerrainStopComparingClick() {
    FTerrain.CompareLevel.reset();
    ForgetComparison();
    FTerrain.Difference = false;
    frmVolumes->close();
    ComparingChanged();
    MapView1->Repaint();
}

void TfrmTINMap::ComparingChanged() {
    const bool comparing = FTerrain.Comparing();
    mnuTerrainDifference->setChecked(FTerrain.Difference);
    for (QAction* item : {mnuTerrainDifference, mnuTerrainVolumes, mnuTerrainStopComparing})
        item->setEnabled(comparing);
    mnuTerrainClearBoundary->setEnabled(FBoundary.has_value());
    mnuTerrainSaveBoundary->setEnabled(FBoundary.has_value());
}

void TfrmTINMap::BoundaryModeClick() {
    StartLineMode(TLineUse::Boundary);
}

void TfrmTINMap::mnuTerrainOpenBoundaryClick() {
    const QString fileName = BoundaryDialog(this);
    if (fileName.isEmpty())
        return;
    const std::string path = fileName.toStdString();
    // Of a file of several polygons, the one chosen, or all of them as their union.
    std::string where;
    if (const auto features = PolygonFeatures(path); !features.empty()) {
        QStringList items{"All of them, as their union"};
        for (const TPolygonFeature& feature : features)
            items << QString::fromStdString(feature.Label);
        const std::optional<int> chosen = ChoiceDialog(
            "Open boundary", "The file holds several polygons; the boundary is:", items, this);
        if (!chosen)
            return;
        if (*chosen > 0)
            where = features[size_t(*chosen - 1)].Where;
    }
    SetBoundary(ReadBoundaryPolygon(path, where));
}

void TfrmTINMap::mnuTerrainCoordinateSystemClick() {
    const QString current =
        FSystem ? (FSystem->Epsg() ? QString("EPSG:%1").arg(*FSystem->Epsg()) : FSystem->Wkt())
                : QString();
    const bool hasFile = !FModelFile.isEmpty();
    const std::optional<TSystemChoice> choice = CoordinateSystemDialog(current, hasFile, this);
    if (!choice)
        return;
    if (choice->Text.trimmed().isEmpty())
        return SetCoordinateSystem(std::nullopt);
    QString problem;
    auto system = TCoordinateSystem::FromText(choice->Text, problem);
    if (!system)
        throw Exception(problem.toStdString());
    if (choice->SaveBeside && hasFile) // as GIS programs read it: ESRI's WKT
        SaveFile(PrjPathBeside(FModelFile),
                 [&](QIODevice& out) { out.write(system->Wkt().toUtf8()); });
    SetCoordinateSystem(std::move(system));
}

void TfrmTINMap::mnuTerrainExportGridClick() {
    // A suggestion of about a thousand cells across the model.
    double minE, minN, maxE, maxN;
    FModel->Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    const double across = std::max(maxE - minE, maxN - minN);
    const double suggested = across > 0 && std::isfinite(across)
                                 ? std::pow(10.0, std::round(std::log10(across / 1000)))
                                 : 1.0;
    const std::optional<TGridRequest> request =
        GridDialog(suggested, {minE, minN, maxE, maxN}, this);
    if (!request)
        return;
    std::optional<TCoordinateSystem> system = FSystem;
    std::optional<TGridFrame> frame;
    QString problem;
    if (!request->Like.isEmpty()) {
        if (!(frame = GridFrameLike(request->Like, MostGridCells, system, problem)))
            problem = request->Like + ": " + problem;
    } else {
        frame = GridFrameFor(*FModel, request->Cell, request->Extent, problem);
    }
    if (!frame)
        throw Exception(problem.toStdString());
    const QString filter = "GeoTIFF grids (*.tif)";
    const QString fileName =
        WithFilterExtension(SaveDialog("Export elevation grid", filter, this), filter);
    if (fileName.isEmpty())
        return;
    const TWaitCursor wait;
    WriteElevationGeoTiff(fileName, *frame, SampleElevations(*FModel, *frame, GridNoData),
                          system ? &*system : nullptr);
}

void TfrmTINMap::SetCoordinateSystem(std::optional<TCoordinateSystem> system) {
    FSystem = std::move(system);
    FSystemPanel->setText(FSystem ? FSystem->Name() : QString());
    FSystemPanel->setVisible(FSystem.has_value());
}

void TfrmTINMap::mnuTerrainSaveBoundaryClick() {
    if (!FBoundary)
        return;
    TVectorFormat format;
    const QString fileName = AskVectorFileName("Save boundary", format);
    if (fileName.isEmpty())
        return;
    WriteVectorPolygon(fileName, format, "boundary", *FBoundary, FSystem ? &*FSystem : nullptr,
                       FModel->Header.CoordinateUnits);
}

void TfrmTINMap::mnuTerrainClearBoundaryClick() {
    SetBoundary(std::nullopt);
}

void TfrmTINMap::SetBoundary(std::optional<TBoundary> boundary) {
    FBoundary = std::move(boundary);
    ComparingChanged();
    MapView1->viewport()->update();
    if (frmVolumes->isVisible())
        mnuTerrainVolumesClick();
}

void TfrmTINMap::ModelReadStarts() {
    // The check of the model on show still reading it ends first; its rows are that model's.
    FinishHealthCheck();
    if (frm3DView) // its tiles are being made from the triangles about to go
        frm3DView->SetModel(nullptr);
    F3DLineSources.reset(); // they lie on the old ground
    // Every triangle is replaced: what was computed from them, and a line drawn over them, go.
    FTerrainCache.Reset();
    FPointMarker.reset();
    CancelProfileLine();
    frmProfile->close();
    frmVolumes->close(); // its figures are the old model's; the level stays compared with
}

void TfrmTINMap::ModelRead() {
    // The user's contours stay while they suit the new model's range; the default interval is
    // the new model's own.
    const auto [low, high] = FTerrainCache.ValueRange(FModel->Vertices());
    if (FContoursChosen && ContourSettingsProblem(FTerrain.Contour, low, high).isEmpty())
        return;
    const TContourSettings chosen = FTerrain.Contour;
    FTerrain.Contour = DefaultContours();
    FTerrain.Contour.Base = 0;
    FTerrain.Contour.IndexEvery = chosen.IndexEvery;
    FTerrain.Contour.Labels = chosen.Labels;
    if (FContoursChosen)
        statusBar()->showMessage(
            QString("The contours chosen do not suit this model's elevations; the interval %1 "
                    "is used.")
                .arg(QLocale::system().toString(FTerrain.Contour.Interval)),
            10000);
    FContoursChosen = false;
}

void TfrmTINMap::DrawTerrainLayers(TMapView& view) {
    // The contour settings always suit the model: checked by the dialog, reset at every read.
    if (!(FTerrain.Colours || FTerrain.Hillshade || FTerrain.Contours ||
          FTerrain.ShowsDifference()))
        return;
    try {
        DrawTerrain(view, *FModel, FTerrain, FTerrainCache);
    } catch (...) {
        // A layer that cannot be made (out of memory) goes off with its memory, so that the
        // next paint shows the model instead of failing again.
        FTerrain.Colours = FTerrain.Hillshade = FTerrain.Contours = FTerrain.Difference = false;
        for (QAction* layer :
             {mnuTerrainColours, mnuTerrainHillshade, mnuTerrainShowContours, mnuTerrainDifference})
            layer->setChecked(false);
        FTerrainCache.Reset();
        ReturnFreeMemory();
        QTimer::singleShot(0, this, [this] { RunGuarded([&] { MapView1->Repaint(); }); });
        throw;
    }
}

bool TfrmTINMap::InProfileMode() const {
    return MapView1->MouseMode() == TMapMouseMode::mmProfile;
}

void TfrmTINMap::StartLineMode(TLineUse use) {
    if (FLineUse != use) // a line drawn for another use goes
        CancelProfileLine();
    FLineUse = use;
    MapView1->SetMouseMode(TMapMouseMode::mmProfile); // the same clicks draw every line
    ShowLineMode();
}

void TfrmTINMap::ProfileModeClick() {
    StartLineMode(TLineUse::Profile);
}

void TfrmTINMap::MeasureModeClick() {
    StartLineMode(TLineUse::Measure);
}

void TfrmTINMap::ShowLineMode() {
    const bool on = InProfileMode(); // refused without mouse zoom
    const bool profile = FLineUse == TLineUse::Profile;
    mnuTerrainProfile->setChecked(on && profile);
    mnuTerrainMeasure->setChecked(on && FLineUse == TLineUse::Measure);
    mnuTerrainDrawBoundary->setChecked(on && FLineUse == TLineUse::Boundary);
    mnuEditDeleteInside->setChecked(on && FLineUse == TLineUse::DeleteInside);
    mnuEditAddBreakline->setChecked(on && FLineUse == TLineUse::Breakline);
    mnuEditAddPoint->setChecked(on && FLineUse == TLineUse::AddPoint);
    mnuEditDeletePoint->setChecked(on && FLineUse == TLineUse::DeletePoint);
    btnProfile->setChecked(on && profile);
    FSlopePanel->setVisible(on && FLineUse == TLineUse::Measure);
    frmTriInfo->SetShowsMeasures(on && FLineUse == TLineUse::Measure);
    if (!on)
        (MapView1->MouseMode() == TMapMouseMode::mmPan ? btnPanMode : btnZoomMode)
            ->setChecked(true);
    else if (!profile) { // a mode of the menu's alone: no mode button stays down
        QButtonGroup* modes = btnProfile->group();
        modes->setExclusive(false);
        for (QToolButton* mode : {btnZoomMode, btnPanMode, btnProfile})
            mode->setChecked(false);
        modes->setExclusive(true);
    }
}

void TfrmTINMap::ProfileClick(int x, int y) {
    if (FIgnoreProfileRelease) {
        FIgnoreProfileRelease = false;
        return;
    }
    const TPlanPoint point{MapView1->PixelToWorldX(x), MapView1->PixelToWorldY(y)};
    if (!FProfileDrawing) { // a new line replaces the one shown
        FProfileLine.clear();
        FProfileMarker.reset();
        FProfileDrawing = true;
    }
    FProfileLine.push_back(point);
    FProfileRubber = point;
    MapView1->viewport()->update();
}

void TfrmTINMap::FinishProfileLine() {
    FIgnoreProfileRelease = true;
    if (!FProfileDrawing)
        return;
    FProfileDrawing = false;
    FProfileRubber.reset();
    const TWaitCursor wait;
    if (FLineUse == TLineUse::Boundary)
        return FinishBoundary();
    if (FLineUse == TLineUse::DeleteInside || FLineUse == TLineUse::Breakline)
        return FinishEditLine();
    if (FLineUse == TLineUse::Measure) {
        std::vector<TMeasuredPoint> points;
        for (const TPlanPoint& p : FProfileLine) {
            double value = NullValue;
            const bool on = FModel->FindTriangle(p.X, p.Y, value) && value != NullValue;
            points.push_back({p.X, p.Y, on ? value : std::nan("")});
        }
        frmMeasure->ShowMeasure(MeasureLine(*FModel, FProfileLine),
                                MeasureSegments(*FModel, FProfileLine), MeasuredArea(),
                                LengthUnitText(FModel->Header.CoordinateUnits).trimmed(), points);
    } else
        frmProfile->ShowProfile(ComputeProfile(*FModel, FProfileLine), LineLength(FProfileLine));
    MapView1->viewport()->update();
}

std::optional<TAreaMeasure> TfrmTINMap::MeasuredArea() const {
    // Three corners or more also close into a polygon, its area measured.
    const TBoundary polygon{{FProfileLine}};
    if (FProfileLine.size() < 3 || !BoundaryProblem(polygon).empty())
        return std::nullopt;
    return MeasureArea(FModel->Triangles(), polygon);
}

void TfrmTINMap::FinishBoundary() {
    TBoundary boundary{{FProfileLine}};
    FProfileLine.clear();
    if (const std::string problem = BoundaryProblem(boundary); !problem.empty()) {
        statusBar()->showMessage(QString("No boundary: %1.").arg(problem.c_str()), 10000);
        MapView1->viewport()->update();
        return;
    }
    SetBoundary(std::move(boundary));
}

void TfrmTINMap::CancelProfileLine() {
    if (!FProfileDrawing)
        return;
    FProfileDrawing = false;
    FProfileRubber.reset();
    FProfileLine.clear();
    MapView1->viewport()->update();
}

void TfrmTINMap::ProfileClosed() {
    if (FProfileDrawing)
        return; // a new line is on its way
    FProfileLine.clear();
    FProfileMarker.reset();
    MapView1->viewport()->update();
}

void TfrmTINMap::DrawTerrainOverlay(QPainter& painter) {
    auto pixel = [this](const TPlanPoint& p) {
        return QPointF(MapView1->WorldToPixelX(p.X), MapView1->WorldToPixelY(p.Y));
    };
    if (!FComparisonOutline.empty()) { // where the surface compared with ends
        painter.setPen(QPen(ComparisonOutlineColour, 2, Qt::DashLine));
        for (const TPlanSegment& side : FComparisonOutline)
            painter.drawLine(pixel(side.A), pixel(side.B));
    }
    if (FBoundary) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(BoundaryColour, 2));
        painter.setBrush(Qt::NoBrush);
        for (const auto& ring : FBoundary->Rings) {
            QPolygonF polygon;
            for (const TPlanPoint& p : ring)
                polygon << pixel(p);
            painter.drawPolygon(polygon);
        }
    }
    if (FProfileLine.empty() && !FProfileMarker && !FPointMarker)
        return;
    if (FPointMarker) { // a ring round the point gone to
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(ProfileLineColour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(pixel(*FPointMarker), 7, 7);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ProfileLineColour, 2));
    for (size_t i = 1; i < FProfileLine.size(); ++i)
        painter.drawLine(pixel(FProfileLine[i - 1]), pixel(FProfileLine[i]));
    if (FProfileDrawing && FProfileRubber && !FProfileLine.empty()) {
        painter.setPen(QPen(ProfileLineColour, 1, Qt::DashLine));
        painter.drawLine(pixel(FProfileLine.back()), pixel(*FProfileRubber));
    }
    if (FProfileMarker) {
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(QColor(255, 230, 0));
        painter.drawEllipse(pixel(*FProfileMarker), 4, 4);
    }
}

void TfrmTINMap::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && FProfileDrawing) {
        RunGuarded([&] { CancelProfileLine(); });
        return;
    }
    QMainWindow::keyPressEvent(event);
}
