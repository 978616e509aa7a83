// The main window under a seeded random hand: wheel, drags, zoom rectangles, keys, layers,
// resizes, the 3D view, surfaces built and saved, for several models and window sizes. The window
// must come through alive and, in the sanitizer build, without a word from the sanitizers.
// VRK_STRESS_SEED replays a run with another seed.
#include "Components/MapView.h"
#include "GuiTestSupport.h"
#include "TerrainGenerator.h"
#include "app/MainWindow.h"
#include "app/MeasureWindow.h"
#include "app/RecentFiles.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGraphicsView>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {
// A jittered terrain with the triangles whose centres lie in a disc taken out, and the
// neighbours across its rim cut.
TModelData TerrainWithHole(int cells) {
    TModelData whole = GenerateTerrain(cells, cells, 10, 7, 500000, 4000000);
    const double centre = cells * 10 / 2.0, radius = cells * 10 / 5.0;
    std::vector<int32_t> renumbered(whole.Triangles.size(), -1);
    TModelData holed;
    holed.Vertices = whole.Vertices;
    for (size_t i = 0; i < whole.Triangles.size(); ++i) {
        double e = 0, n = 0;
        for (int32_t v : whole.Triangles[i].Vertices) {
            e += whole.Vertices[size_t(v - 1)].Easting - 500000;
            n += whole.Vertices[size_t(v - 1)].Northing - 4000000;
        }
        if (std::hypot(e / 3 - centre, n / 3 - centre) < radius)
            continue;
        renumbered[i] = int32_t(holed.Triangles.size() + 1);
        holed.Triangles.push_back(whole.Triangles[i]);
    }
    for (size_t t = 0; t < holed.Triangles.size(); ++t) {
        bool edge = false;
        for (int32_t& neighbour : holed.Triangles[t].Neighbours) {
            neighbour = neighbour > 0 ? renumbered[size_t(neighbour - 1)] : -1;
            edge = edge || neighbour < 0;
        }
        if (edge)
            holed.Edges.push_back(int32_t(t + 1));
    }
    return holed;
}

enum class TModelKind { Sample, Terrain, Hole };
enum class TWindowSize { Opening, Maximised, TallNarrow };

struct TStressCase {
    TModelKind Model;
    TWindowSize Size;
    int Actions;
};

std::string CaseName(const ::testing::TestParamInfo<TStressCase>& info) {
    static const std::map<TModelKind, std::string> models{{TModelKind::Sample, "Sample"},
                                                          {TModelKind::Terrain, "Terrain"},
                                                          {TModelKind::Hole, "Hole"}};
    static const std::map<TWindowSize, std::string> sizes{{TWindowSize::Opening, "Opening"},
                                                          {TWindowSize::Maximised, "Maximised"},
                                                          {TWindowSize::TallNarrow, "TallNarrow"}};
    return models.at(info.param.Model) + sizes.at(info.param.Size);
}

class GuiStressTest : public ::testing::TestWithParam<TStressCase> {
protected:
    QString ModelFile() {
        switch (GetParam().Model) {
        case TModelKind::Sample: { // a copy: a system may be saved beside it
            const QString copy = dir.filePath("sample.vrk");
            EXPECT_TRUE(QFile::copy(QString(VRK_SAMPLES_DIR) + "/sample.vrk", copy));
            return copy;
        }
        case TModelKind::Terrain: // about 200,000 triangles of survey coordinates
            return Saved("terrain.vrk", GenerateTerrain(320, 320, 2.5, 3, 485000, 3650000));
        case TModelKind::Hole:
            return Saved("hole.vrk", TerrainWithHole(60));
        }
        return {};
    }

    QString Saved(const char* name, const TModelData& data) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(SaveBytes(path.toStdString(), WriteModel(data)));
        return path;
    }

    void Show() {
        switch (GetParam().Size) {
        case TWindowSize::Opening:
            window.show();
            break;
        case TWindowSize::Maximised:
            window.resize(1600, 975);
            window.showMaximized();
            break;
        case TWindowSize::TallNarrow:
            window.resize(300, 1000);
            window.show();
            break;
        }
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget* Map() { return window.MapView()->viewport(); }
    QPoint AnyPoint() {
        // Now and then a point on or just past the border, where rounding is tightest.
        const int w = Map()->width(), h = Map()->height();
        if (Pick(4) == 0)
            return {Pick(2) ? w - 1 : 0, int(Pick(h + 1))};
        return {int(Pick(w + 2)) - 1, int(Pick(h + 2)) - 1};
    }
    int Pick(int below) { return int(random() % uint32_t(std::max(1, below))); }

    void Wheel(QPoint at, int angle, QWidget* target = nullptr) {
        target = target ? target : Map();
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &event);
    }

    void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
        Hover(Map(), from);
        QTest::mousePress(Map(), button, {}, from);
        QTest::mouseMove(Map(), (from + to) / 2);
        QTest::mouseMove(Map(), to);
        QTest::mouseRelease(Map(), button, {}, to);
    }

    void Toggle(const char* action) {
        if (QAction* item = window.findChild<QAction*>(action); item && item->isEnabled())
            item->trigger();
    }

    // The picture a pause of the hand leaves: the exact view, not the moved image.
    void Settle() {
        QCoreApplication::processEvents();
        if (window.MapView()->ShowsMovedImage() || Pick(3) == 0)
            window.MapView()->Repaint();
    }

    void Act() {
        static const std::vector<std::pair<int, Qt::KeyboardModifiers>> keys{
            {Qt::Key_Plus, Qt::ControlModifier},
            {Qt::Key_Minus, Qt::ControlModifier},
            {Qt::Key_0, Qt::ControlModifier},
            {Qt::Key_Left, Qt::AltModifier},
            {Qt::Key_Backspace, {}},
            {Qt::Key_Left, {}},
            {Qt::Key_Right, {}},
            {Qt::Key_Up, {}},
            {Qt::Key_Down, {}}};
        static const char* const layers[] = {"mnuTerrainColours",      "mnuTerrainHillshade",
                                             "mnuTerrainShowContours", "mnuTerrainDifference",
                                             "mnuOptionsTriangles",    "mnuOptionsEdges",
                                             "mnuOptionsStartPoints",  "mnuOptionsLimits"};
        switch (Pick(27)) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5: { // the wheel, in and out, one or more notches
            const QPoint at = AnyPoint();
            Hover(Map(), at);
            for (int notch = Pick(4); notch >= 0; --notch)
                Wheel(at, (Pick(3) == 0 ? -1 : 1) * (Pick(4) == 0 ? 40 : 120));
            break;
        }
        case 6:
        case 7:
            Drag(Qt::MiddleButton, AnyPoint(), AnyPoint());
            break;
        case 8:
        case 9: // a zoom rectangle, sometimes too small to zoom
            window.findChild<QToolButton*>("btnZoomMode")->click();
            Drag(Qt::LeftButton, AnyPoint(), AnyPoint());
            break;
        case 10:
        case 11:
        case 12: {
            const auto& [key, modifiers] = keys[size_t(Pick(int(keys.size())))];
            QTest::keyClick(&window, Qt::Key(key), modifiers);
            break;
        }
        case 13:
        case 14:
            Toggle(layers[Pick(std::size(layers))]);
            break;
        case 15: { // resized during the run: tiny, narrow, wide or huge
            static const QSize sizes[] = {
                {160, 120}, {300, 1000}, {1600, 975}, {2400, 1400}, {515, 392}};
            window.showNormal();
            window.resize(sizes[Pick(std::size(sizes))]);
            break;
        }
        case 16: // a click selects
            QTest::mouseClick(Map(), Qt::LeftButton, {}, AnyPoint());
            break;
        case 17:
            window.findChild<QToolButton*>("btnPanMode")->click();
            Drag(Qt::LeftButton, AnyPoint(), AnyPoint());
            break;
        case 18:
            Hover(Map(), AnyPoint());
            break;
        case 19:
            if (Pick(8) == 0) { // the 3D view, or the reason there is none
                Toggle("mnuTerrain3DView");
                if (QWidget* view = window.findChild<QWidget*>("frm3DView"))
                    view->close();
            }
            break;
        case 20: // a surface built from survey points, the model on show let go unsaved
            if (Pick(3) == 0)
                Toggle("mnuTerrainBuildSurface");
            break;
        case 21: // saved as a model file
            if (Pick(3) == 0)
                Toggle("mnuFileSaveAs");
            break;
        case 22:
        case 23:
        case 24: { // an edit, a mode of the Edit menu's clicks, or undo and redo
            static const char* const edits[] = {
                "mnuEditDeleteTriangle", "mnuEditSwapSide",    "mnuEditDeleteLong",
                "mnuEditAddPoint",       "mnuEditDeletePoint", "mnuEditAddBreakline",
                "mnuEditDeleteInside",   "mnuEditUndo",        "mnuEditRedo"};
            Toggle(edits[Pick(std::size(edits))]);
            if (Pick(2) == 0)
                QTest::mouseClick(Map(), Qt::LeftButton, {}, AnyPoint());
            break;
        }
        case 25: { // a grid, a coordinate system, a recent file, a line measured and saved
            static const char* const tools[] = {"mnuTerrainExportGrid",
                                                "mnuTerrainCoordinateSystem", "mnuTerrainMeasure"};
            const int tool = Pick(4);
            if (tool == 3) {
                if (QMenu* recent = window.findChild<QMenu*>("mnuFileRecent");
                    recent && !recent->actions().isEmpty())
                    recent->actions().front()->trigger();
                break;
            }
            Toggle(tools[tool]);
            if (tool == 2) {
                QTest::mouseClick(Map(), Qt::LeftButton, {}, AnyPoint());
                QTest::mouseDClick(Map(), Qt::LeftButton, {}, AnyPoint());
                if (auto* save = window.Measure()->findChild<QPushButton*>("btnSave"))
                    save->click();
            }
            break;
        }
        case 26: // the print layout: a scale, an orientation, a size, the wheel, a PDF
            PrintLayout();
            break;
        }
        Settle();
    }

    void PrintLayout() {
        Toggle("mnuFilePrintLayout");
        TPrintLayoutDialog* layout = window.PrintLayout();
        ASSERT_TRUE(layout);
        static const char* const scales[] = {"Fit", "1:500", "1:1", "1:250000", "1:x"};
        layout->findChild<QComboBox*>("cbxScale")->setEditText(scales[Pick(5)]);
        layout->findChild<QComboBox*>("cbxOrientation")->setCurrentIndex(Pick(2));
        if (Pick(2))
            layout->showMaximized();
        else
            layout->resize(100 + Pick(1500), 100 + Pick(1000));
        QCoreApplication::processEvents();
        QWidget* preview = layout->findChild<QPrintPreviewWidget*>()->findChild<QGraphicsView*>();
        for (int notch = Pick(4); notch > 0; --notch)
            Wheel(QPoint(preview->width() / 2, preview->height() / 2), Pick(2) ? 120 : -120,
                  preview);
        if (layout->Plan() && Pick(2))
            layout->findChild<QPushButton*>("btnSavePdf")->click();
        layout->close();
    }

    // The gesture that crashed: a large window, the mouse over the map, the wheel turned.
    void MaximiseAndWheel() {
        window.showNormal();
        window.resize(1600, 975);
        Settle();
        const QPoint middle(Map()->width() / 2, Map()->height() / 2);
        Hover(Map(), middle);
        for (int notch = 0; notch < 8; ++notch) {
            Wheel(middle + QPoint(notch * 7, -notch * 5), 120);
            Settle();
        }
    }

    QTemporaryDir dir;
    TfrmTINMap window;
    std::minstd_rand random;
};

TEST_P(GuiStressTest, SurvivesARandomHand) {
    const uint32_t seed = qEnvironmentVariableIsSet("VRK_STRESS_SEED")
                              ? uint32_t(qEnvironmentVariableIntValue("VRK_STRESS_SEED"))
                              : uint32_t(1 + int(GetParam().Model) * 3 + int(GetParam().Size));
    random.seed(seed);
    for (const QString& file : RecentFiles::List())
        RecentFiles::Remove(file); // another case's, gone with its folder
    window.FillRecentFiles();
    SCOPED_TRACE("VRK_STRESS_SEED=" + std::to_string(seed));
    // A level to compare with, so that the difference layer has something to show.
    window.LevelDialog = [](double suggested, QWidget*) { return std::optional(suggested); };
    // Survey points to build from, and a model file to save to; what is unsaved is let go.
    TModelData grid = GenerateTerrain(30, 20, 4, 9, 485000, 3650000);
    QFile points(dir.filePath("points.csv"));
    ASSERT_TRUE(points.open(QIODevice::WriteOnly));
    points.write("x,y,z\n");
    for (const auto& v : grid.Vertices)
        points.write(QString("%1,%2,%3\n")
                         .arg(v.Easting, 0, 'f', 4)
                         .arg(v.Northing, 0, 'f', 4)
                         .arg(v.Value, 0, 'f', 4)
                         .toUtf8());
    points.close();
    TBuildRequest request;
    request.Files.Points = {points.fileName()};
    request.Options.MaxEdge = 12;
    window.BuildSurfaceDialog = [request](QWidget*) { return std::optional(request); };
    window.UnsavedDialog = [](QWidget*) { return TfrmTINMap::TUnsavedAnswer::Discard; };
    const QString saved = dir.filePath("saved.vrk");
    window.SaveDialog = [this, saved](const QString& caption, const QString&, QWidget*) {
        return caption.contains("grid")     ? dir.filePath("grid.tif")
               : caption.contains("layout") ? dir.filePath("sheet.pdf")
               : caption.startsWith("Save l") || caption.startsWith("Save p")
                   ? dir.filePath("measured.gpkg")
                   : saved;
    };
    // A grid over the model, an extent or like the last; a system saved beside the model.
    window.GridDialog = [this](double cell, const std::array<double, 4>& extent, QWidget*) {
        const int kind = Pick(3);
        return std::optional<TGridRequest>(
            {cell * 20, kind == 1 ? std::optional(extent) : std::nullopt,
             kind == 2 && QFile::exists(dir.filePath("grid.tif")) ? dir.filePath("grid.tif")
                                                                  : QString()});
    };
    window.CoordinateSystemDialog = [this](const QString&, bool canSave, QWidget*) {
        return std::optional<TSystemChoice>({Pick(2) ? "EPSG:32616" : "", canSave && Pick(2)});
    };
    // The Edit menu's questions take what they offer.
    window.EditNumberDialog = [](const QString&, double proposed, QWidget*) {
        return std::optional(proposed);
    };
    window.EditTextDialog = [](const QString&, const QString& proposed, QWidget*) {
        return std::optional(proposed);
    };
    window.ChoiceDialog = [](const QString&, const QString&, const QStringList&, QWidget*) {
        return std::optional(0);
    };
    Show();
    window.OpenModel(ModelFile());
    Toggle("mnuTerrainCompareLevel");
    Settle();
    for (int i = 0; i < GetParam().Actions; ++i)
        Act();
    MaximiseAndWheel();
    EXPECT_TRUE(window.isVisible());
    EXPECT_GT(window.Model().Triangles().Count(), 0) << "the model is still there";
    for (const QString& error : ReportedErrors())
        EXPECT_TRUE(error.contains("OpenGL"))
            << "only the 3D view may be missing: " << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    ModelsAndSizes, GuiStressTest,
    ::testing::Values(TStressCase{TModelKind::Sample, TWindowSize::Opening, 200},
                      TStressCase{TModelKind::Sample, TWindowSize::Maximised, 200},
                      TStressCase{TModelKind::Sample, TWindowSize::TallNarrow, 200},
                      TStressCase{TModelKind::Terrain, TWindowSize::Opening, 100},
                      TStressCase{TModelKind::Terrain, TWindowSize::Maximised, 100},
                      TStressCase{TModelKind::Terrain, TWindowSize::TallNarrow, 100},
                      TStressCase{TModelKind::Hole, TWindowSize::Opening, 200},
                      TStressCase{TModelKind::Hole, TWindowSize::Maximised, 200},
                      TStressCase{TModelKind::Hole, TWindowSize::TallNarrow, 200}),
    CaseName);
} // namespace
