// The Terrain menu, the contour dialog and the profile mode, driven as a user would.
#include "Components/Canvas.h"
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "SurfaceModel.h"
#include "app/ContourDialog.h"
#include "app/CoordinateSystemDialog.h"
#include "app/MainWindow.h"
#include "app/MapFurniture.h"
#include "app/MeasureWindow.h"
#include "app/ProfileWindow.h"
#include "app/Settings.h"
#include "app/TerrainDrawing.h"
#include "app/VolumesWindow.h"
#include "app/WindowPlaces.h"
#include "build/SurveyLines.h"
#include "compare/Boundary.h"
#include "compare/Volumes.h"
#include "gis/CoordinateSystem.h"
#include "gis/GdalFiles.h"
#include "inspect/TriangleInfoWindow.h"
#include "platform/NumberText.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogrsf_frmts.h>
#include <sys/stat.h>

namespace {
// A cone: 0 at the rim of radius 50 about (50, 50), 100 at the top.
double Cone(double x, double y) {
    return 100 - 2 * std::min(50.0, std::hypot(x - 50, y - 50));
}

struct TerrainWindowTest : ::testing::Test {
    void SetUp() override {
        ReportedErrors().clear();
        model = dir.filePath("cone.vrk");
        SaveBytes(model.toStdString(), WriteModel(SurfaceModel(20, 20, 5, Cone)));
        window = std::make_unique<TfrmTINMap>(QStringList{model});
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QCoreApplication::processEvents();
    }
    QAction* Action(const char* name) { return window->findChild<QAction*>(name); }
    QToolButton* Button(const char* name) { return window->findChild<QToolButton*>(name); }
    QWidget* Client() { return window->MapView()->viewport(); }
    QPoint Pixel(double e, double n) {
        return {window->MapView()->WorldToPixelX(e), window->MapView()->WorldToPixelY(n)};
    }
    void Click(QPoint at) {
        Hover(Client(), at);
        QTest::mouseClick(Client(), Qt::LeftButton, {}, at);
    }
    // Runs the contour dialog, typing the interval and pressing OK until it closes or a second
    // text is needed; returns the problems shown.
    QStringList RunContourDialog(const QStringList& intervals, const QString& base = "0") {
        QStringList problems;
        QTimer::singleShot(0, [&] {
            auto* dialog = dynamic_cast<TfrmContours*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("txtBase")->setText(base);
            for (const QString& interval : intervals) {
                dialog->findChild<QLineEdit*>("txtInterval")->setText(interval);
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
                if (!dialog->isVisible())
                    return;
                problems << dialog->findChild<QLabel*>("lblProblem")->text();
            }
            dialog->reject();
        });
        Action("mnuTerrainContours")->trigger();
        return problems;
    }
    QTemporaryDir dir;
    QString model;
    std::unique_ptr<TfrmTINMap> window;
};
} // namespace

TEST_F(TerrainWindowTest, TheMenuSitsBetweenOptionsAndHelpWithEveryLayerOff) {
    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Options", "&Terrain", "&Edit", "&Help"}));
    QStringList items;
    for (QAction* item : window->menuBar()->actions()[2]->menu()->actions())
        items << (item->isSeparator() ? "-" : item->text() + (item->isChecked() ? " [x]" : ""));
    EXPECT_EQ(items, (QStringList{"&Elevation colours",
                                  "&Hillshade",
                                  "Vertical e&xaggeration...",
                                  "-",
                                  "&Contours...",
                                  "Show contours",
                                  "Export contours...",
                                  "-",
                                  "Elevation &profile",
                                  "&Measure",
                                  "-",
                                  "Go to hi&ghest point",
                                  "Go to lo&west point",
                                  "-",
                                  "Compare with s&urface...",
                                  "Compare with &level...",
                                  "Show &difference",
                                  "&Volumes...",
                                  "&Stop comparing",
                                  "-",
                                  "Draw &boundary",
                                  "&Open boundary...",
                                  "Save boundary &as...",
                                  "Clear bou&ndary",
                                  "-",
                                  "Coordinate s&ystem...",
                                  "Export elevation g&rid...",
                                  "-",
                                  "3&D view",
                                  "-",
                                  "Bu&ild surface...",
                                  "Volume &tolerance..."}));
    EXPECT_EQ(Button("btnProfile")->toolTip(), "Elevation profile");
    EXPECT_GT(Button("btnProfile")->x(), Button("btnPrint")->x()) << "after the specified buttons";
}

TEST_F(TerrainWindowTest, LayersSwitchedOnAndOffAgainLeaveThePictureAsItWas) {
    const QImage plain = window->MapView()->Image();
    for (const char* layer :
         {"mnuTerrainColours", "mnuTerrainHillshade", "mnuTerrainShowContours"}) {
        Action(layer)->trigger();
        EXPECT_NE(window->MapView()->Image(), plain) << layer;
        Action(layer)->trigger();
        EXPECT_EQ(window->MapView()->Image(), plain) << layer;
    }
    // The cone's top is pale in the tint.
    Action("mnuTerrainColours")->trigger();
    const QImage tinted = window->MapView()->Image();
    const QPoint top = Pixel(50, 50);
    int palest = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx) {
            const QColor c = tinted.pixelColor(top + QPoint(dx, dy));
            palest = std::max(palest, std::min({c.red(), c.green(), c.blue()}));
        }
    EXPECT_GT(palest, 200);
    // All three together: the fills under the contours, the triangle sides on top.
    Action("mnuTerrainHillshade")->trigger();
    Action("mnuTerrainShowContours")->trigger();
    const QImage all = window->MapView()->Image();
    EXPECT_GT(CountColour(all, QColor(0, 128, 0)), 100) << "triangle sides drawn over the fills";
    EXPECT_GT(CountColour(all, QColor(0x96, 0x5A, 0x1E)), 50) << "contours";
}

TEST_F(TerrainWindowTest, TheContourDialogRefusesBadIntervalsAndShowsTheLayerOnOk) {
    const QStringList problems = RunContourDialog({"0", "-5", "abc", "0.001", "12.5"});
    ASSERT_EQ(problems.size(), 4);
    EXPECT_TRUE(problems[0].contains("greater than 0"));
    EXPECT_TRUE(problems[1].contains("greater than 0"));
    EXPECT_TRUE(problems[2].contains("greater than 0"));
    EXPECT_TRUE(problems[3].contains("more than 10000 levels"));
    EXPECT_TRUE(Action("mnuTerrainShowContours")->isChecked());
    EXPECT_DOUBLE_EQ(window->Terrain().Contour.Interval, 12.5);
    EXPECT_TRUE(window->Terrain().Contours);
    // A cancelled dialog changes nothing.
    RunContourDialog({});
    EXPECT_DOUBLE_EQ(window->Terrain().Contour.Interval, 12.5);
    // Show contours switches the layer off and on again.
    const QImage shown = window->MapView()->Image();
    Action("mnuTerrainShowContours")->trigger();
    EXPECT_FALSE(window->Terrain().Contours);
    Action("mnuTerrainShowContours")->trigger();
    EXPECT_EQ(window->MapView()->Image(), shown);
}

TEST_F(TerrainWindowTest, ABaseLevelTooFarForTheIntervalIsRefusedNotTraced) {
    // At 1e16 a double cannot tell levels 1 apart: tracing them would never end.
    const QStringList problems = RunContourDialog({"1"}, "10000000000000000");
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].contains("too close together")) << problems[0].toStdString();
    EXPECT_FALSE(window->Terrain().Contours);
}

TEST_F(TerrainWindowTest, ContoursChosenStayForTheNextModelWhileTheySuitIt) {
    RunContourDialog({"12.5"});
    // A cone ten times as high: 12.5 still gives few enough levels.
    const QString high = dir.filePath("high.vrk");
    SaveBytes(high.toStdString(), WriteModel(SurfaceModel(20, 20, 5, [](double x, double y) {
                  return Cone(x, y) * 10;
              })));
    window->OpenModel(high);
    EXPECT_DOUBLE_EQ(window->Terrain().Contour.Interval, 12.5);
    EXPECT_TRUE(window->statusBar()->currentMessage().isEmpty());
    // Ten thousand times higher again: 80,000 levels; the new model's own interval, and why.
    const QString mountain = dir.filePath("mountain.vrk");
    SaveBytes(mountain.toStdString(), WriteModel(SurfaceModel(20, 20, 5, [](double x, double y) {
                  return Cone(x, y) * 10000;
              })));
    window->OpenModel(mountain);
    EXPECT_DOUBLE_EQ(window->Terrain().Contour.Interval, 100000);
    EXPECT_TRUE(window->statusBar()->currentMessage().contains("do not suit"));
    // Settings never chosen follow each model.
    window->OpenModel(model);
    EXPECT_DOUBLE_EQ(window->Terrain().Contour.Interval, 10);
}

TEST_F(TerrainWindowTest, AnExportThatCannotBeWrittenSaysWhy) {
    // A name of the user's for the device that is always full.
    const QString full = dir.filePath("full.geojson");
    ASSERT_TRUE(QFile::link("/dev/full", full));
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return full; };
    Action("mnuTerrainExportContours")->trigger();
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_EQ(ReportedErrors()[0], "Cannot write file " + full + ": No space left on device");
    struct stat status;
    ASSERT_EQ(::stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode)) << "the device is still a device";
}

TEST_F(TerrainWindowTest, ContoursExportAsGeoJson) {
    const QString file = dir.filePath("contours");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return file; };
    Action("mnuTerrainExportContours")->trigger();
    QFile written(file + ".geojson");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << "the extension is added";
    const QJsonDocument document = QJsonDocument::fromJson(written.readAll());
    EXPECT_EQ(document["type"].toString(), "FeatureCollection");
    // The cone from 0 to 100 gets the default interval 10: closed rings at 0 to 90 (0 where
    // the cone meets the flat ground round it, 100 only its top point).
    const QJsonArray features = document["features"].toArray();
    ASSERT_EQ(features.size(), 10);
    for (const QJsonValue& feature : features) {
        const QJsonArray points = feature["geometry"]["coordinates"].toArray();
        EXPECT_EQ(points.first(), points.last());
    }
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST_F(TerrainWindowTest, ProfileModeDrawsALineByClicksAndADoubleClickShowsItsProfile) {
    Button("btnProfile")->click();
    EXPECT_TRUE(Action("mnuTerrainProfile")->isChecked());
    EXPECT_EQ(window->MapView()->MouseMode(), TMapMouseMode::mmProfile);
    Click(Pixel(10, 50));
    EXPECT_TRUE(window->DrawingProfile());
    EXPECT_EQ(window->SelectedTriangle(), nullptr) << "a click draws, it does not select";
    Click(Pixel(50, 50));
    DoubleClick(Client(), Pixel(90, 20));
    EXPECT_FALSE(window->DrawingProfile());
    ASSERT_EQ(window->ProfileLine().size(), 3u);
    TfrmProfile* profile = window->Profile();
    ASSERT_TRUE(profile->isVisible());
    const auto& points = profile->Plot()->Profile();
    ASSERT_GT(points.size(), 10u);
    EXPECT_TRUE(profile->Plot()->Note().isEmpty());
    // The cone's top lies on the line: the highest breakpoint is near 100.
    double highest = 0;
    for (const TProfilePoint& p : points)
        highest = std::max(highest, p.Value);
    EXPECT_NEAR(highest, 100, 3);

    // The readout follows the mouse over the plot, and the map marks the place.
    const QImage before = Client()->grab().toImage();
    // Clear of the main window: the offscreen platform has no stacking of windows and gives
    // the mouse to the first window found under it.
    profile->move(0, 0);
    QTest::mouseMove(profile->Plot(), QPoint(profile->Plot()->width() / 2, 50));
    EXPECT_TRUE(profile->ReadoutText().startsWith("Distance "))
        << profile->ReadoutText().toStdString();
    QCoreApplication::processEvents();
    EXPECT_NE(Client()->grab().toImage(), before) << "the marker";

    // Saved as CSV, a row a breakpoint.
    const QString csv = dir.filePath("profile.csv");
    profile->SaveDialog = [&](QWidget*) { return csv; };
    profile->findChild<QPushButton*>("btnExport")->click();
    QFile written(csv);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll().count('\n'), qsizetype(points.size()) + 1);
    // Only under a CSV name.
    const QString gpkg = dir.filePath("profile_line.gpkg");
    profile->SaveDialog = [&](QWidget*) { return gpkg; };
    const qsizetype errors = ReportedErrors().size();
    profile->findChild<QPushButton*>("btnExport")->click();
    EXPECT_EQ(ReportedErrors().size(), errors + 1);
    EXPECT_FALSE(QFileInfo::exists(gpkg));

    // Closing the window takes the line off the map.
    profile->close();
    EXPECT_TRUE(window->ProfileLine().empty());
}

TEST_F(TerrainWindowTest, EscapeOrAnotherModeCancelsALineAndEmptyLinesGetANote) {
    Button("btnProfile")->click();
    Click(Pixel(10, 50));
    Click(Pixel(40, 50));
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->DrawingProfile());
    EXPECT_TRUE(window->ProfileLine().empty());
    Click(Pixel(10, 50));
    Button("btnZoomMode")->click();
    EXPECT_FALSE(window->DrawingProfile());
    EXPECT_FALSE(Action("mnuTerrainProfile")->isChecked());
    EXPECT_EQ(window->MapView()->MouseMode(), TMapMouseMode::mmZoom);

    // A double click on the first point: a line of no length.
    Action("mnuTerrainProfile")->trigger();
    DoubleClick(Client(), Pixel(30, 30));
    ASSERT_TRUE(window->Profile()->isVisible());
    EXPECT_TRUE(window->Profile()->Plot()->Note().contains("no length"));
    // Wholly off the mesh.
    Click(Pixel(-20, -20));
    DoubleClick(Client(), Pixel(-20, 110));
    EXPECT_TRUE(window->Profile()->Plot()->Note().contains("does not cross"));
    EXPECT_TRUE(ReportedErrors().isEmpty()) << "notes, not error boxes";
}

TEST_F(TerrainWindowTest, ThePrintedPageCarriesTheTint) {
    Action("mnuTerrainColours")->trigger();
    const QString pdf = dir.filePath("page.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(150);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    window->PrintView(printer);
    QProcess::execute("pdftoppm", {"-r", "50", "-png", "-singlefile", pdf, dir.filePath("page")});
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    int coloured = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            coloured += std::max({c.red(), c.green(), c.blue()}) -
                            std::min({c.red(), c.green(), c.blue()}) >
                        40;
        }
    EXPECT_GT(coloured, 1000);
}

namespace {
bool Overlap(const TIntRect& a, const TIntRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}
} // namespace

TEST_F(TerrainWindowTest, OverAFillTheSidesOfDenseTrianglesGiveWayAtEveryZoom) {
    // 80,000 triangles about a pixel across at the full view.
    const QString dense = dir.filePath("dense.vrk");
    SaveBytes(dense.toStdString(), WriteModel(SurfaceModel(200, 200, 0.5, [](double x, double y) {
                  return Cone(x, y);
              })));
    window->OpenModel(dense);
    auto sidePixels = [&] {
        const QImage image = window->MapView()->Image();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixel(x, y) == QColor(0, 128, 0).rgb();
        return count;
    };
    const int plain = sidePixels();
    EXPECT_GT(plain, 10000) << "the sides cover the model";
    Action("mnuTerrainColours")->trigger();
    EXPECT_LT(sidePixels(), plain / 100) << "the colours show";
    // Zoomed in far enough, the sides are back over the colours.
    window->MapView()->SetZoom(64);
    EXPECT_GT(sidePixels(), 1000);
    Action("mnuTerrainColours")->trigger();
    window->MapView()->ZoomExtents();
    EXPECT_EQ(sidePixels(), plain) << "without a fill, every side as before";
}

TEST_F(TerrainWindowTest, LabelsNeverLieOnEachOtherTheLegendOrTheScaleBar) {
    window->resize(900, 700);
    QCoreApplication::processEvents();
    Action("mnuTerrainColours")->trigger();
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<TfrmContours*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("txtInterval")->setText("2");
        dialog->findChild<QSpinBox*>("spnIndexEvery")->setValue(1); // every line labelled
        dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
    Action("mnuTerrainContours")->trigger();
    const std::vector<TIntRect>& labels = window->LabelBoxes();
    ASSERT_GT(labels.size(), 10u);
    ASSERT_TRUE(window->LegendBox().has_value());
    TMapView& view = *window->MapView();
    TImageCanvas canvas(const_cast<QImage&>(view.Image()));
    const std::vector<TIntRect> overlays = view.OverlayBounds(canvas);
    ASSERT_FALSE(overlays.empty());
    for (size_t i = 0; i < labels.size(); ++i) {
        for (size_t k = i + 1; k < labels.size(); ++k)
            EXPECT_FALSE(Overlap(labels[i], labels[k])) << i << " and " << k;
        EXPECT_FALSE(Overlap(labels[i], *window->LegendBox())) << i;
        for (const TIntRect& overlay : overlays)
            EXPECT_FALSE(Overlap(labels[i], overlay)) << i;
    }
    // The legend keeps off the model where the window has room beside it.
    const TMapViewState& s = view.State();
    const TIntRect model{s.WorldToPixelX(s.MinX), s.WorldToPixelY(s.MaxY), s.WorldToPixelX(s.MaxX),
                         s.WorldToPixelY(s.MinY)};
    EXPECT_FALSE(Overlap(*window->LegendBox(), model));
}

TEST(LegendBoxTest, BesideTheModelWhereThereIsRoomElseNowhere) {
    const TIntRect area{0, 0, 1000, 800};
    // Room on the right: bottom-aligned with the model, a margin from the area's edge.
    EXPECT_EQ(LegendBox(area, {100, 100, 800, 700}, 100, 150, 10), (TIntRect{890, 550, 990, 700}));
    // Only on the left.
    EXPECT_EQ(LegendBox(area, {150, 100, 950, 700}, 100, 150, 10), (TIntRect{10, 550, 110, 700}));
    // Only below: just under the model, right-aligned with it.
    EXPECT_EQ(LegendBox(area, {0, 0, 1000, 600}, 100, 150, 10), (TIntRect{890, 610, 990, 760}));
    // Only above: just over it.
    EXPECT_EQ(LegendBox(area, {0, 200, 1000, 800}, 100, 150, 10), (TIntRect{890, 40, 990, 190}));
    // The model fills the area.
    EXPECT_FALSE(LegendBox(area, {5, 5, 995, 795}, 100, 150, 10).has_value());
}

TEST_F(TerrainWindowTest, GoToTheHighestAndTheLowestPointCentresAndMarksThem) {
    window->MapView()->SetZoom(4);
    Action("mnuTerrainHighest")->trigger();
    ASSERT_TRUE(window->PointMarker().has_value());
    EXPECT_EQ(*window->PointMarker(), (TPlanPoint{50, 50})) << "the cone's top";
    const TMapViewState& s = window->MapView()->State();
    EXPECT_NEAR(s.ViewLeft + s.ViewWidth / 2, 50, 1e-9);
    EXPECT_NEAR(s.ViewBottom + s.ViewHeight / 2, 50, 1e-9);
    EXPECT_EQ(window->statusBar()->currentMessage(), "Highest point: 100.000 at 50.000, 50.000");
    // The rim is all at 0: the first of its points in collection order, the grid's corner.
    Action("mnuTerrainLowest")->trigger();
    EXPECT_EQ(*window->PointMarker(), (TPlanPoint{0, 0}));
    EXPECT_TRUE(window->MapView()->State().CrossVisible(0, 0));
    window->OpenModel(model);
    EXPECT_FALSE(window->PointMarker().has_value()) << "gone with the model it marked";
}

TEST_F(TerrainWindowTest, ComparingWithALevelShowsTheDifferenceAndItsVolumes) {
    EXPECT_FALSE(Action("mnuTerrainVolumes")->isEnabled()) << "nothing compared yet";
    const QImage plain = window->MapView()->Image();
    double suggested = 0;
    window->LevelDialog = [&](double offered, QWidget*) {
        suggested = offered;
        return std::optional(50.0);
    };
    Action("mnuTerrainCompareLevel")->trigger();
    EXPECT_DOUBLE_EQ(suggested, 50) << "the middle of the model's range";
    EXPECT_TRUE(Action("mnuTerrainDifference")->isChecked());
    // The cone's top is above the level: cut, red; the flat ground round it is below: fill, blue.
    const QImage compared = window->MapView()->Image();
    const QRgb top = compared.pixel(Pixel(46, 52)), ground = compared.pixel(Pixel(3, 7));
    EXPECT_GT(qRed(top), qBlue(top));
    EXPECT_GT(qBlue(ground), qRed(ground));
    EXPECT_TRUE(window->LegendBox().has_value());
    // The report: the same figures as the computation, with the units.
    TfrmVolumes* volumes = window->Volumes();
    ASSERT_TRUE(volumes->isVisible());
    const TVolumes expected = VolumesToLevel(window->Model().Triangles(), 50);
    EXPECT_TRUE(volumes->Text().contains("against level 50.000"));
    EXPECT_TRUE(volumes->Text().contains(
        "cut: " + FormatFixed(expected.Cut, 3, SystemDecimalSeparator()) + " m³"));
    const QString saved = dir.filePath("volumes");
    volumes->SaveDialog = [&](QWidget*) { return saved + ".json"; };
    volumes->btnSaveClick();
    QFile json(saved + ".json");
    ASSERT_TRUE(json.open(QIODevice::ReadOnly));
    EXPECT_DOUBLE_EQ(QJsonDocument::fromJson(json.readAll())["fill"].toDouble(), expected.Fill);
    // A tolerance: the figures follow, the unchanged area beside the others, the volumes stay.
    window->ToleranceDialog = [](double current, QWidget*) {
        EXPECT_EQ(current, 0);
        return std::optional(2.5);
    };
    Action("mnuTerrainTolerance")->trigger();
    const TVolumes tolerant = VolumesToLevel(window->Model().Triangles(), 50, 2.5);
    EXPECT_TRUE(volumes->Text().contains(
        "unchanged area: " + FormatFixed(tolerant.UnchangedArea, 3, SystemDecimalSeparator())));
    EXPECT_TRUE(volumes->Text().contains(
        "cut: " + FormatFixed(expected.Cut, 3, SystemDecimalSeparator()) + " m³"));
    EXPECT_GT(tolerant.UnchangedArea, 0);
    // The window's own field: typed, the figures follow it, and the menu's question offers it.
    auto* field = volumes->findChild<QDoubleSpinBox*>("edtTolerance");
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->value(), 2.5);
    field->setValue(7.25);
    const TVolumes wider = VolumesToLevel(window->Model().Triangles(), 50, 7.25);
    EXPECT_TRUE(volumes->Text().contains(
        "unchanged area: " + FormatFixed(wider.UnchangedArea, 3, SystemDecimalSeparator())));
    EXPECT_GT(wider.UnchangedArea, tolerant.UnchangedArea);
    window->ToleranceDialog = [](double current, QWidget*) {
        EXPECT_EQ(current, 7.25);
        return std::nullopt;
    };
    Action("mnuTerrainTolerance")->trigger();
    // Stopping leaves the picture as it was.
    Action("mnuTerrainStopComparing")->trigger();
    EXPECT_FALSE(volumes->isVisible());
    EXPECT_FALSE(Action("mnuTerrainDifference")->isEnabled());
    EXPECT_EQ(window->MapView()->Image(), plain);
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST_F(TerrainWindowTest, TheMeasureModeGivesALinesLengthsOnTheGround) {
    Action("mnuTerrainMeasure")->trigger();
    EXPECT_TRUE(Action("mnuTerrainMeasure")->isChecked());
    EXPECT_FALSE(Action("mnuTerrainProfile")->isChecked());
    EXPECT_FALSE(Button("btnProfile")->isChecked());
    EXPECT_FALSE(Button("btnZoomMode")->isChecked()) << "no mode button for this mode";
    // Across the cone's top from rim to rim: 60 in plan, climbing 100 - 2 * 5 = 90 and down.
    Click(Pixel(20, 50));
    DoubleClick(Client(), Pixel(80, 50));
    TfrmMeasure* measure = window->Measure();
    ASSERT_TRUE(measure->isVisible());
    EXPECT_FALSE(window->Profile()->isVisible()) << "a measure, not a profile";
    const QStringList lines = measure->Text().split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    const double plan = lines[0].section(' ', 2, 2).toDouble();
    const double ground = lines[1].section(' ', 2, 2).toDouble();
    EXPECT_NEAR(plan, 60, 0.5) << lines[0].toStdString();
    EXPECT_GT(ground, plan) << "longer on the slopes";
    EXPECT_TRUE(lines[2].startsWith("1: ")) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains("bearing 90.000")) << "due east";
    // Saved as a line through the ground at its corners.
    const QString saved = dir.filePath("measured.geojson");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return saved; };
    measure->findChild<QPushButton*>("btnSave")->click();
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonArray corners =
        QJsonDocument::fromJson(file.readAll())["features"][0]["geometry"]["coordinates"].toArray();
    ASSERT_EQ(corners.size(), 2);
    EXPECT_NEAR(corners[1][0].toDouble() - corners[0][0].toDouble(), plan, 5e-4); // as shown
    EXPECT_GT(corners[0][2].toDouble(), 0) << "its elevation on the cone";
    // The profile's own mode takes over again.
    Button("btnProfile")->click();
    EXPECT_TRUE(Action("mnuTerrainProfile")->isChecked());
    EXPECT_FALSE(Action("mnuTerrainMeasure")->isChecked());
}

// A tool window opens beside the map, never over the menu bar, and where it was left, also in a
// later run.
TEST_F(TerrainWindowTest, ToolWindowsOpenBesideTheMapAndWhereTheyWereLeft) {
    ProgramSettings()->remove("toolWindows");
    Action("mnuTerrainMeasure")->trigger();
    Click(Pixel(20, 50));
    DoubleClick(Client(), Pixel(80, 50));
    TfrmMeasure* measure = window->Measure();
    ASSERT_TRUE(measure->isVisible());
    const QRect bar(window->menuBar()->mapToGlobal(QPoint(0, 0)), window->menuBar()->size());
    EXPECT_FALSE(measure->frameGeometry().intersects(bar));
    EXPECT_TRUE(measure->screen()->availableGeometry().contains(measure->pos()));
    measure->move(measure->pos() + QPoint(10, 20));
    const QPoint left = measure->pos();
    measure->close();
    ShowToolWindow(*measure);
    EXPECT_EQ(measure->pos(), left);
    measure->close();
    TfrmMeasure later(window.get());
    ShowToolWindow(later);
    EXPECT_EQ(later.pos(), left);
    // A place kept near the screen's edge, for a window that has grown since: wholly on it.
    later.close();
    const QRect screen = later.screen()->availableGeometry();
    ProgramSettings()->setValue("toolWindows/" + later.objectName(),
                                screen.bottomRight() - QPoint(5, 5));
    TfrmMeasure grown(window.get());
    ShowToolWindow(grown);
    EXPECT_TRUE(screen.contains(grown.geometry()))
        << "at " << grown.x() << ", " << grown.y() << " " << grown.width() << "x" << grown.height()
        << " in " << screen.width() << "x" << screen.height();
}

TEST_F(TerrainWindowTest, ComparingWithAnotherSurfaceWithinABoundary) {
    const QImage plain = window->MapView()->Image();
    // A plane at 60 over the cone's western half, as an OBJ.
    const QString surface = dir.filePath("half.obj");
    QFile obj(surface);
    ASSERT_TRUE(obj.open(QIODevice::WriteOnly));
    obj.write("o Half\nv 0 0 60\nv 50 0 60\nv 50 100 60\nv 0 100 60\nf 1 2 3 4\n");
    obj.close();
    window->CompareSurfaceDialog = [&](QWidget*) { return surface; };
    Action("mnuTerrainCompareSurface")->trigger();
    ASSERT_NE(window->Comparison(), nullptr);
    EXPECT_TRUE(Action("mnuTerrainDifference")->isChecked());
    // Near the top the cone is above the plane: cut, red; the ground round it: fill, blue; the
    // eastern half has nothing to compare with and shows as before.
    const QImage compared = window->MapView()->Image();
    const QRgb top = compared.pixel(Pixel(46, 52)), ground = compared.pixel(Pixel(3, 7));
    EXPECT_GT(qRed(top), qBlue(top));
    EXPECT_GT(qBlue(ground), qRed(ground));
    EXPECT_EQ(compared.pixel(Pixel(77, 31)), plain.pixel(Pixel(77, 31)));
    TfrmVolumes* volumes = window->Volumes();
    ASSERT_TRUE(volumes->isVisible());
    const TVolumes whole = CompareVolumes(window->Model().Triangles(), {window->Comparison(), 0});
    EXPECT_DOUBLE_EQ(whole.Area, 5000);
    EXPECT_TRUE(volumes->Text().contains("against surface Half"));
    EXPECT_TRUE(volumes->Text().contains(
        "fill: " + FormatFixed(whole.Fill, 3, SystemDecimalSeparator()) + " m³"));

    // A boundary from GeoJSON bounds the figures; the report says so.
    const QString square = dir.filePath("square.geojson");
    QFile geojson(square);
    ASSERT_TRUE(geojson.open(QIODevice::WriteOnly));
    geojson.write(
        R"({"type":"Polygon","coordinates":[[[10,10],[40,10],[40,40],[10,40],[10,10]]]})");
    geojson.close();
    window->BoundaryDialog = [&](QWidget*) { return square; };
    Action("mnuTerrainOpenBoundary")->trigger();
    ASSERT_TRUE(window->Boundary().has_value());
    const TVolumes inside = CompareVolumes(window->Model().Triangles(), {window->Comparison(), 0},
                                           &*window->Boundary());
    EXPECT_DOUBLE_EQ(inside.Area, 900);
    EXPECT_TRUE(volumes->Text().contains("within the boundary"));
    EXPECT_TRUE(volumes->Text().contains(
        "cut: " + FormatFixed(inside.Cut, 3, SystemDecimalSeparator()) + " m³"));
    // Printed, the report is on paper.
    const QString pdf = dir.filePath("volumes.pdf");
    volumes->PrintDialog = [&](QPrinter& printer, QWidget*) {
        printer.setOutputFileName(pdf);
        return true;
    };
    volumes->btnPrintClick();
    // Printed and saved as PDF, the report carries the map of the difference.
    const QString reportPdf = dir.filePath("report.pdf");
    volumes->SaveDialog = [&](QWidget*) { return reportPdf; };
    volumes->btnSaveClick();
    for (const QString& file : {pdf, reportPdf}) {
        QFile report(file);
        ASSERT_TRUE(report.open(QIODevice::ReadOnly));
        EXPECT_TRUE(report.readAll().contains("/Subtype /Image")) << file.toStdString();
    }

    // A boundary drawn on the map replaces it; a file that is no surface changes nothing.
    Action("mnuTerrainDrawBoundary")->trigger();
    EXPECT_TRUE(Action("mnuTerrainDrawBoundary")->isChecked());
    Click(Pixel(5, 5));
    Click(Pixel(45, 5));
    DoubleClick(Client(), Pixel(5, 45));
    ASSERT_TRUE(window->Boundary().has_value());
    EXPECT_NEAR(PlanArea(*window->Boundary()), 800, 40);
    const QString broken = dir.filePath("broken.ply");
    QFile(broken).open(QIODevice::WriteOnly);
    window->CompareSurfaceDialog = [&](QWidget*) { return broken; };
    Action("mnuTerrainCompareSurface")->trigger();
    EXPECT_FALSE(ReportedErrors().isEmpty());
    EXPECT_EQ(window->Comparison()->InternalName, "Half");
    ReportedErrors().clear();
    // Of a LandXML file's two surfaces, the one the user chooses; cancelled, none.
    const QString twoSurfaces = dir.filePath("ground.xml");
    QFile xml(twoSurfaces);
    ASSERT_TRUE(xml.open(QIODevice::WriteOnly));
    for (const char* name : {"<LandXML><Surfaces>", "EG", "FG"})
        xml.write(QByteArray(name).startsWith('<')
                      ? QByteArray(name)
                      : "<Surface name=\"" + QByteArray(name) +
                            "\"><Definition surfType=\"TIN\"><Pnts><P id=\"1\">0 0 1</P>"
                            "<P id=\"2\">0 50 1</P><P id=\"3\">50 0 1</P></Pnts><Faces>"
                            "<F>1 2 3</F></Faces></Definition></Surface>");
    xml.write("</Surfaces></LandXML>");
    xml.close();
    std::optional<int> chosen = 1;
    QStringList offered;
    window->ChoiceDialog = [&](const QString&, const QString&, const QStringList& names, QWidget*) {
        offered = names;
        return chosen;
    };
    window->CompareSurfaceDialog = [&](QWidget*) { return twoSurfaces; };
    Action("mnuTerrainCompareSurface")->trigger();
    EXPECT_EQ(offered, (QStringList{"EG", "FG"}));
    EXPECT_EQ(window->Comparison()->InternalName, "FG");
    chosen.reset();
    window->CompareSurfaceDialog = [&](QWidget*) { return twoSurfaces; };
    Action("mnuTerrainCompareSurface")->trigger(); // cancelled: the comparison stays
    EXPECT_EQ(window->Comparison()->InternalName, "FG");
    // Saved, it reads back as the boundary it is.
    const QString saved = dir.filePath("drawn.geojson");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return saved; };
    Action("mnuTerrainSaveBoundary")->trigger();
    window->BoundaryDialog = [&](QWidget*) { return saved; };
    const TBoundary drawn = *window->Boundary();
    Action("mnuTerrainOpenBoundary")->trigger();
    EXPECT_DOUBLE_EQ(PlanArea(*window->Boundary()), PlanArea(drawn));
    // Of a file of several polygons the user picks one, or all of them as their union.
    const QString sites = dir.filePath("sites.geojson");
    QFile features(sites);
    ASSERT_TRUE(features.open(QIODevice::WriteOnly));
    features.write(R"({"type":"FeatureCollection","features":[)"
                   R"({"type":"Feature","properties":{"name":"yard"},"geometry":{"type":"Polygon",)"
                   R"("coordinates":[[[5,5],[9,5],[9,9],[5,9],[5,5]]]}},)"
                   R"({"type":"Feature","properties":{"name":"pit"},"geometry":{"type":"Polygon",)"
                   R"("coordinates":[[[20,20],[30,20],[30,30],[20,30],[20,20]]]}}]})");
    features.close();
    window->BoundaryDialog = [&](QWidget*) { return sites; };
    for (const auto& [pick, area] : {std::pair{2, 100.0}, {0, 116.0}}) {
        QStringList listed;
        window->ChoiceDialog = [&](const QString&, const QString&, const QStringList& items,
                                   QWidget*) {
            listed = items;
            return std::optional(pick);
        };
        Action("mnuTerrainOpenBoundary")->trigger();
        ASSERT_EQ(listed.size(), 3);
        EXPECT_TRUE(listed[2].startsWith("pit (feature ")) << listed[2].toStdString();
        EXPECT_DOUBLE_EQ(PlanArea(*window->Boundary()), area);
    }
    Action("mnuTerrainClearBoundary")->trigger();
    EXPECT_FALSE(window->Boundary().has_value());
    Action("mnuTerrainStopComparing")->trigger();
    EXPECT_EQ(window->Comparison(), nullptr);
    EXPECT_EQ(window->MapView()->Image(), plain);
}

TEST_F(TerrainWindowTest, AMeasuredLineClosesIntoAnAreaAndTheSlopeFollowsTheMouse) {
    QLabel* slope = window->findChild<QLabel*>("SlopePanel");
    EXPECT_FALSE(slope->isVisible()) << "the status bar as before";
    QWidget* info = window->TriInfo();
    const QSize designed = info->size();
    Action("mnuTerrainMeasure")->trigger();
    EXPECT_TRUE(slope->isVisible());
    // The triangle window gains its measuring rows, for the triangle it shows.
    EXPECT_GT(info->height(), designed.height());
    info->show();
    window->TriInfo()->ShowTriangle(window->Model().Triangles().TriangleAt(0));
    EXPECT_TRUE(info->findChild<QLabel*>("lblArea")->text().contains("in plan")) << "area";
    EXPECT_FALSE(info->findChild<QLabel*>("lblSlope")->text().isEmpty());
    // On the cone's eastern flank the ground falls away from the top.
    Hover(Client(), Pixel(76, 51));
    EXPECT_TRUE(slope->text().startsWith("Slope ")) << slope->text().toStdString();
    EXPECT_TRUE(slope->text().contains("aspect")) << slope->text().toStdString();
    Click(Pixel(60, 40));
    Click(Pixel(90, 40));
    DoubleClick(Client(), Pixel(90, 70));
    const QString text = window->Measure()->Text();
    EXPECT_TRUE(text.contains("Closed: plan area ")) << text.toStdString();
    // Saved as the polygon measured, whose area reads back.
    const QString saved = dir.filePath("measured.gpkg");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return saved; };
    window->Measure()->findChild<QPushButton*>("btnSave")->click();
    const double area = text.section("plan area ", 1).section(' ', 0, 0).toDouble();
    EXPECT_NEAR(PlanArea(ReadBoundaryPolygon(saved.toStdString())), area, 5e-4);
    Action("mnuTerrainProfile")->trigger();
    EXPECT_FALSE(slope->isVisible());
    EXPECT_EQ(info->size(), designed);
}

TEST_F(TerrainWindowTest, ACoordinateSystemPlacesTheExportsOnTheGround) {
    QLabel* panel = window->findChild<QLabel*>("SystemPanel");
    EXPECT_FALSE(panel->isVisible()) << "no system, no panel";
    // A .prj beside the model is read when it opens.
    QFile prj(dir.filePath("cone.prj"));
    ASSERT_TRUE(prj.open(QIODevice::WriteOnly));
    QString problem;
    prj.write(TCoordinateSystem::FromText("EPSG:32616", problem)->Wkt().toUtf8());
    prj.close();
    window->OpenModel(model);
    ASSERT_TRUE(window->CoordinateSystem().has_value());
    EXPECT_EQ(panel->text(), "WGS 84 / UTM zone 16N");
    EXPECT_TRUE(panel->isVisible());
    // The user chooses another for the session; a text that names none is refused.
    window->CoordinateSystemDialog = [](const QString& current, bool canSave, QWidget*) {
        EXPECT_EQ(current, "EPSG:32616");
        EXPECT_TRUE(canSave) << "a model file to save beside";
        return std::optional<TSystemChoice>({"EPSG:2193", false});
    };
    Action("mnuTerrainCoordinateSystem")->trigger();
    EXPECT_EQ(panel->text(), "NZGD2000 / New Zealand Transverse Mercator 2000");
    window->CoordinateSystemDialog = [](const QString&, bool, QWidget*) {
        return std::optional<TSystemChoice>({"no such system", true});
    };
    Action("mnuTerrainCoordinateSystem")->trigger();
    EXPECT_FALSE(ReportedErrors().isEmpty());
    ReportedErrors().clear();
    EXPECT_EQ(window->CoordinateSystem()->Epsg(), 2193) << "kept";
    // Saved beside the model, as the .prj a GIS program reads.
    window->CoordinateSystemDialog = [](const QString&, bool, QWidget*) {
        return std::optional<TSystemChoice>({"EPSG:2193", true});
    };
    Action("mnuTerrainCoordinateSystem")->trigger();
    QString source;
    const auto beside = TCoordinateSystem::OfModel(model, problem, source);
    ASSERT_TRUE(beside.has_value()) << problem.toStdString();
    EXPECT_EQ(beside->Epsg().value_or(0), 2193) << "read back as the same system";
    ASSERT_TRUE(prj.open(QIODevice::ReadOnly));
    EXPECT_TRUE(prj.readAll().startsWith("PROJCS[\"NZGD_2000_New_Zealand_Transverse_Mercator"));
    prj.close();

    // Contours to a GeoPackage carry the system; the picture lands where the view is.
    Action("mnuTerrainShowContours")->trigger();
    const QString gpkg = dir.filePath("contours.gpkg");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return gpkg; };
    Action("mnuTerrainExportContours")->trigger();
    InitGdal();
    std::unique_ptr<GDALDataset> contours(
        GDALDataset::Open(gpkg.toUtf8().constData(), GDAL_OF_VECTOR));
    ASSERT_TRUE(contours);
    EXPECT_EQ(
        contours->GetLayer(0)->GetFeatureCount(),
        GIntBig(TraceContours(window->Model().Triangles(), window->Terrain().Contour).size()));
    EXPECT_EQ(contours->GetLayer(0)->GetSpatialRef()->GetEPSGGeogCS(), 4167);
    const QString tif = dir.filePath("view.tif");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return tif; };
    window->PictureWidthDialog = [](int, QWidget*) { return std::optional(400); };
    Action("mnuFileExportPicture")->trigger();
    std::unique_ptr<GDALDataset> picture(
        GDALDataset::Open(tif.toUtf8().constData(), GDAL_OF_RASTER));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->GetRasterXSize(), 400);
    double transform[6];
    ASSERT_EQ(picture->GetGeoTransform(transform), CE_None);
    const TMapViewState& view = window->MapView()->State();
    EXPECT_DOUBLE_EQ(transform[0] + transform[1] / 2, view.ViewLeft);
    EXPECT_DOUBLE_EQ(transform[1], view.ViewWidth / 400);
    EXPECT_DOUBLE_EQ(transform[3] + transform[5] / 2, view.ViewBottom + view.ViewHeight);
    // A PNG gets its world file: the first pixel's centre at the view's top-left corner.
    const QString png = dir.filePath("view.png");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return png; };
    Action("mnuFileExportPicture")->trigger();
    QFile world(dir.filePath("view.pgw"));
    ASSERT_TRUE(world.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = world.readAll().split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_DOUBLE_EQ(lines[0].toDouble(), view.ViewWidth / 400);
    EXPECT_DOUBLE_EQ(lines[4].toDouble(), view.ViewLeft);
    EXPECT_DOUBLE_EQ(lines[5].toDouble(), view.ViewBottom + view.ViewHeight);
    { // and its system, as a GIS reads it
        std::unique_ptr<GDALDataset> placed(
            GDALDataset::FromHandle(GDALOpen(png.toUtf8().constData(), GA_ReadOnly)));
        ASSERT_TRUE(placed);
        ASSERT_NE(placed->GetSpatialRef(), nullptr);
        EXPECT_TRUE(placed->GetSpatialRef()->IsSame(&window->CoordinateSystem()->Reference()));
    }
    // The elevation grid, cell by cell as the look-up answers, in its system.
    const QString grid = dir.filePath("grid.tif");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return grid; };
    window->GridDialog = [](double suggested, const std::array<double, 4>& extent, QWidget*) {
        EXPECT_EQ(suggested, 0.1) << "about a thousand cells across the 100 m model";
        EXPECT_EQ(extent[2] - extent[0], 100);
        return std::optional<TGridRequest>({2.5, std::nullopt, QString()});
    };
    Action("mnuTerrainExportGrid")->trigger();
    std::unique_ptr<GDALDataset> elevations(
        GDALDataset::Open(grid.toUtf8().constData(), GDAL_OF_RASTER));
    ASSERT_TRUE(elevations);
    EXPECT_EQ(elevations->GetRasterXSize(), 40);
    EXPECT_EQ(elevations->GetSpatialRef()->GetEPSGGeogCS(), 4167);
    float centre = 0;
    ASSERT_EQ(elevations->GetRasterBand(1)->RasterIO(GF_Read, 20, 20, 1, 1, &centre, 1, 1,
                                                     GDT_Float32, 0, 0),
              CE_None);
    double value = 0;
    ASSERT_NE(window->Model().FindTriangle(51.25, 48.75, value), nullptr);
    EXPECT_EQ(centre, float(value));
    // On an extent of its own, and like another grid: cell on cell over it.
    const QString other = dir.filePath("other.tif");
    window->SaveDialog = [&](const QString&, const QString&, QWidget*) { return other; };
    for (const TGridRequest& request :
         {TGridRequest{5, std::array<double, 4>{-10, -10, 30, 20}, QString()},
          TGridRequest{1, std::nullopt, grid}}) {
        window->GridDialog = [&](double, const std::array<double, 4>&, QWidget*) {
            return std::optional(request);
        };
        Action("mnuTerrainExportGrid")->trigger();
        std::unique_ptr<GDALDataset> written(
            GDALDataset::Open(other.toUtf8().constData(), GDAL_OF_RASTER));
        ASSERT_TRUE(written);
        double at[6];
        ASSERT_EQ(written->GetGeoTransform(at), CE_None);
        double like[6];
        ASSERT_EQ(elevations->GetGeoTransform(like), CE_None);
        const double extent[6] = {-10, 5, 0, 20, 0, -5};
        EXPECT_TRUE(std::equal(at, at + 6, request.Extent ? extent : like));
        EXPECT_EQ(written->GetRasterXSize(), request.Extent ? 8 : 40);
        EXPECT_EQ(written->GetRasterYSize(), request.Extent ? 6 : elevations->GetRasterYSize());
    }
    window->CoordinateSystemDialog = [](const QString&, bool, QWidget*) {
        return std::optional<TSystemChoice>({"", false});
    };
    Action("mnuTerrainCoordinateSystem")->trigger();
    EXPECT_FALSE(window->CoordinateSystem().has_value());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(ReportedErrors().isEmpty());
}

TEST(MeasureWindowTest, TheTextNamesEveryLengthWithItsUnit) {
    TLineMeasure line;
    line.PlanLength = 100;
    line.SurfaceLength = 80;
    line.PlanOnMesh = 60;
    const QString text = MeasureText(line, {{100, 45, 12.5}, {20, 270, NAN}}, std::nullopt, "ft",
                                     {{10, 20, 5.25}, {80.7, 90.7, 6}, {60.7, 90.7, NAN}});
    EXPECT_EQ(text, "Plan length: 100.000 ft\n"
                    "Surface length: 80.000 ft (over 60.000 ft of the line on the model)\n"
                    "1: 100.000 ft, bearing 45.000°, grade 12.50 %\n"
                    "2: 20.000 ft, bearing 270.000°, grade off the model\n"
                    "Points (easting, northing, elevation):\n"
                    "1: 10.000, 20.000, 5.250\n"
                    "2: 80.700, 90.700, 6.000\n"
                    "3: 60.700, 90.700, off the model\n");
}

TEST_F(TerrainWindowTest, WithoutOpenGLThe3DViewSaysWhyAndThePlanStaysAsItIs) {
    // The offscreen platform of these tests has no OpenGL widgets.
    const QImage before = window->MapView()->grab().toImage();
    Action("mnuTerrain3DView")->trigger();
    ASSERT_EQ(ReportedErrors().size(), 1);
    EXPECT_TRUE(ReportedErrors()[0].startsWith("The 3D view needs"))
        << ReportedErrors()[0].toStdString();
    EXPECT_EQ(window->View3D(), nullptr);
    EXPECT_EQ(window->MapView()->grab().toImage(), before);
    EXPECT_EQ(Action("mnuTerrain3DView")->shortcut(), QKeySequence(Qt::Key_F3));
}

TEST(MapFurnitureTest, TheScaleBarIsARoundLengthThatFits) {
    for (const auto& [most, length] : {std::pair{1000.0, 1000.0},
                                       {999.0, 500.0},
                                       {4.9, 2.0},
                                       {0.07, 0.05},
                                       {1e-9, 1e-9},
                                       {2.5e6, 2e6},
                                       {0.0, 0.0},
                                       {-3.0, 0.0},
                                       {NAN, 0.0},
                                       {INFINITY, 0.0}})
        EXPECT_DOUBLE_EQ(ScaleBarLength(most), length) << most;
}

// The list of systems is searched by name or code; a row chosen gives its code; Enter accepts.
TEST(CoordinateSystemDialogTest, SearchChooseAndAcceptWithEnter) {
    TCoordinateSystemDialog dialog("", true, nullptr);
    dialog.open();
    auto* search = dialog.findChild<QLineEdit*>("txtSearch");
    auto* list = dialog.findChild<QListView*>("lstSystems");
    QTest::keyClicks(search, "utm zone 16n");
    ASSERT_GT(list->model()->rowCount(), 0);
    QStringList rows;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        rows << list->model()->index(r, 0).data().toString();
    EXPECT_TRUE(rows.contains("EPSG:32616  WGS 84 / UTM zone 16N")) << rows.join('|').toStdString();
    list->setCurrentIndex(
        list->model()->index(int(rows.indexOf("EPSG:32616  WGS 84 / UTM zone 16N")), 0));
    EXPECT_EQ(dialog.Choice().Text, "EPSG:32616");
    dialog.findChild<QCheckBox*>("chkSaveBeside")->setChecked(true);
    QTest::keyClick(dialog.findChild<QLineEdit*>("txtSystem"), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.Choice().SaveBeside);
    // Without a model file there is nothing to save beside.
    TCoordinateSystemDialog fileless("EPSG:4326", false, nullptr);
    fileless.findChild<QCheckBox*>("chkSaveBeside")->setChecked(true);
    EXPECT_FALSE(fileless.Choice().SaveBeside);
}

TEST(WindowPlacesTest, AWindowLargerThanItsScreenIsFittedToIt) {
    const QRect screen(0, 0, 960, 540); // 1920 x 1080 at a scale of 2
    const struct {
        QRect Wanted;
        bool Wholly;
        QRect Fitted;
    } cases[] = {
        {{301, 107, 515, 392}, true, {301, 107, 515, 392}}, // fits: as it is
        {{0, 0, 1000, 800}, false, {8, 32, 944, 500}},
        {{600, 300, 500, 300}, false, {600, 300, 500, 300}}, // its size fits: where put
        {{600, 300, 500, 300}, true, {452, 232, 500, 300}},  // wholly: moved back in
        {{100, 100, 400, 600}, false, {100, 32, 400, 500}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FittedGeometry(c.Wanted, screen, c.Wholly), c.Fitted) << c.Wanted.x();
}
