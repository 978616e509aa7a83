// The 3D view window in the real program: it opens from the Terrain menu, shows the model, and
// a click on the surface selects the triangle there through the main window. It needs OpenGL 3.3:
// the test command runs it on a virtual display with Mesa's software renderer (and sets
// VRK_REQUIRE_OPENGL, so that a missing renderer fails instead of skipping).
#include "app/MainWindow.h"
#include "model/Geometry.h"
#include "view3d/TerrainTiles.h"
#include "view3d/TerrainView3D.h"
#include "vrk/VRKModel.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <set>

namespace {
QString Sample() {
    return QString(VRK_SAMPLES_DIR) + "/sample.vrk";
}

bool OpenGLMissing() {
    const QString problem = TTerrainView3D::OpenGLProblem();
    if (problem.isEmpty())
        return false;
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("VRK_REQUIRE_OPENGL")) << problem.toStdString();
    return true;
}

void WaitReady(TTerrainView3D& view) {
    QElapsedTimer waited;
    waited.start();
    while (!view.Ready() && waited.elapsed() < 30000)
        QTest::qWait(20);
}

// The sample open in the main window, and its 3D view open and built; skipped without OpenGL.
struct View3DWindowTest : ::testing::Test {
    void SetUp() override {
        if (OpenGLMissing())
            GTEST_SKIP() << "no OpenGL 3.3 here";
        window.show();
        window.OpenModel(Sample());
        window.findChild<QAction*>("mnuTerrain3DView")->trigger();
        view = window.View3D();
        ASSERT_NE(view, nullptr);
        WaitReady(*view);
    }
    TfrmTINMap window;
    TTerrainView3D* view = nullptr;
};

struct TPictureFacts {
    double Coverage = 0; // of pixels that are not the background
    int Hues = 0;        // distinct hues among them, in steps of 30 degrees
};

TPictureFacts FactsOf(const QImage& picture) {
    const QRgb background = picture.pixel(0, 0);
    int covered = 0;
    std::set<int> hues;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor colour = picture.pixelColor(x, y);
            if (colour.rgb() == background)
                continue;
            ++covered;
            if (colour.hsvSaturation() > 60)
                hues.insert(colour.hsvHue() / 30);
        }
    return {double(covered) / (picture.width() * picture.height()), int(hues.size())};
}
} // namespace

TEST_F(View3DWindowTest, ShowsTheModelInItsColoursAndAClickSelectsTheTriangleThere) {
    ASSERT_TRUE(view->Ready());
    EXPECT_EQ(view->windowTitle(), "3D view");

    // Grey, then in the elevation ramp: the surface covers much of the window either way.
    const TPictureFacts grey = FactsOf(view->grabFramebuffer());
    EXPECT_GT(grey.Coverage, 0.15);
    window.findChild<QAction*>("mnuTerrainColours")->trigger();
    const TPictureFacts coloured = FactsOf(view->grabFramebuffer());
    EXPECT_GT(coloured.Coverage, 0.15);
    EXPECT_GE(coloured.Hues, 2) << "the ramp runs from green through yellow-brown";
    EXPECT_GT(view->LastFrameTriangles(), 0);

    // A click at a triangle's centre selects that triangle in every window.
    const TTriangle* target =
        window.Model().Triangles().Triangle(window.Model().Triangles().Count() / 2);
    TTerrainTiles frame(window.Model());
    double x = 0, y = 0;
    TVec3 centre;
    for (int k = 1; k <= 3; ++k)
        centre = centre + TVec3{target->Vertex(k)->Easting - frame.CentreE,
                                target->Vertex(k)->Northing - frame.CentreN,
                                target->Vertex(k)->Value - frame.CentreZ} *
                              (1.0 / 3);
    ASSERT_TRUE(view->Camera().Project(centre, view->width(), view->height(), x, y));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(int(std::lround(x)), int(std::lround(y))));
    EXPECT_EQ(window.SelectedTriangle(), target);
}

TEST_F(View3DWindowTest, OpeningAnotherModelRebuildsTheViewWithoutLosingIt) {
    // Read again while the view shows the first: it waits for its tiles, then builds anew.
    window.OpenModel(Sample());
    WaitReady(*view);
    EXPECT_TRUE(view->Ready());
    EXPECT_GT(FactsOf(view->grabFramebuffer()).Coverage, 0.15);
}

TEST_F(View3DWindowTest, MouseAndKeysTurnZoomPanCentreAndReset) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view));
    const QPoint middle(view->width() / 2, view->height() / 2);
    ASSERT_TRUE(view->SurfaceAt(middle)) << "the framed model fills the middle";
    const TOrbitCamera framed = view->Camera();

    // A left drag turns the view about the ground under the cursor, which stays under it.
    const TVec3 ground = *view->SurfaceAt(middle);
    QTest::mousePress(view, Qt::LeftButton, {}, middle);
    QMouseEvent move(QEvent::MouseMove, QPointF(middle + QPoint(40, 10)), QPointF(), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(view, &move);
    QTest::mouseRelease(view, Qt::LeftButton, {}, middle + QPoint(40, 10));
    EXPECT_NE(view->Camera().Azimuth(), framed.Azimuth());
    double x = 0, y = 0;
    ASSERT_TRUE(view->Camera().Project(ground, view->width(), view->height(), x, y));
    EXPECT_NEAR(x, middle.x(), 1);
    EXPECT_NEAR(y, middle.y(), 1);

    // The wheel brings the eye nearer the ground under the cursor; Home frames the model again.
    const double before = view->Camera().Distance();
    QWheelEvent wheel(QPointF(middle), view->mapToGlobal(QPointF(middle)), {}, {0, 240},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view, &wheel);
    EXPECT_LT(view->Camera().Distance(), before * 0.7);
    QTest::keyClick(view, Qt::Key_Home);
    view->grabFramebuffer(); // a frame, which frames the model
    EXPECT_NEAR(view->Camera().Distance(), framed.Distance(), 1e-9);
    EXPECT_NEAR(view->Camera().Azimuth(), framed.Azimuth(), 1e-9);

    // A double click centres the view on the ground there.
    const QPoint aside = middle + QPoint(60, 30);
    const auto there = view->SurfaceAt(aside);
    ASSERT_TRUE(there);
    QTest::mouseDClick(view, Qt::LeftButton, {}, aside);
    EXPECT_NEAR(view->Camera().Target().X, there->X, 1e-9);
    EXPECT_NEAR(view->Camera().Target().Y, there->Y, 1e-9);
}

namespace {
// The share of pixels of the comparison's blue tint.
double BlueShare(const QImage& picture) {
    int blue = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            blue += c.blue() > c.red() + 40 && c.blue() > c.green() + 10;
        }
    return double(blue) / (picture.width() * picture.height());
}

double RedShare(const QImage& picture) {
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            red += c.red() > c.blue() + 60;
        }
    return double(red) / (picture.width() * picture.height());
}

} // namespace

TEST_F(View3DWindowTest, ASurfaceComparedWithColoursTheGroundOrIsDrawnBesideIt) {
    EXPECT_LT(BlueShare(view->grabFramebuffer()), 0.001) << "grey without a comparison";
    // A level plane over the whole model at its middle elevation, as an OBJ.
    double minE, minN, minV, maxE, maxN, maxV;
    window.Model().Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    QTemporaryDir dir;
    const QString plane = dir.filePath("plane.obj");
    QFile obj(plane);
    ASSERT_TRUE(obj.open(QIODevice::WriteOnly));
    const double z = (minV + maxV) / 2;
    obj.write(QString("o Plane\nv %1 %2 %5\nv %3 %2 %5\nv %3 %4 %5\nv %1 %4 %5\nf 1 2 3 4\n")
                  .arg(minE, 0, 'f', 3)
                  .arg(minN, 0, 'f', 3)
                  .arg(maxE, 0, 'f', 3)
                  .arg(maxN, 0, 'f', 3)
                  .arg(z, 0, 'f', 3)
                  .toUtf8());
    obj.close();
    window.CompareSurfaceDialog = [&](QWidget*) { return plane; };
    window.findChild<QAction*>("mnuTerrainCompareSurface")->trigger();
    ASSERT_NE(window.Comparison(), nullptr);
    WaitReady(*view);
    // With the difference on, the ground in cut and fill as against a level at that height.
    const QImage coloured = view->grabFramebuffer();
    EXPECT_GT(RedShare(coloured), 0.02) << "cut where the ground is above the plane";
    EXPECT_GT(BlueShare(coloured), 0.02) << "fill where it is under";
    // Without it, the plane itself in its tint, where it is above the ground.
    window.findChild<QAction*>("mnuTerrainDifference")->trigger();
    WaitReady(*view);
    const QImage beside = view->grabFramebuffer();
    EXPECT_GT(BlueShare(beside), 0.05) << "the plane shows where it is above";
    EXPECT_LT(RedShare(beside), 0.001);
    window.findChild<QAction*>("mnuTerrainStopComparing")->trigger();
    WaitReady(*view);
    EXPECT_LT(BlueShare(view->grabFramebuffer()), 0.001);
}

// Compared with a level, the ground is in the cut and fill colours and the level a plane.
TEST_F(View3DWindowTest, ALevelComparedWithColoursTheGroundAndShowsAsAPlane) {
    const QImage plain = view->grabFramebuffer();
    EXPECT_LT(RedShare(plain), 0.001) << "grey without a comparison";
    double minE, minN, minV, maxE, maxN, maxV;
    window.Model().Vertices().GetExtent(minE, minN, minV, maxE, maxN, maxV);
    window.LevelDialog = [&](double, QWidget*) { return std::optional((minV + maxV) / 2); };
    window.findChild<QAction*>("mnuTerrainCompareLevel")->trigger();
    WaitReady(*view);
    const QImage compared = view->grabFramebuffer();
    EXPECT_GT(RedShare(compared), 0.02) << "cut where the ground is above the level";
    EXPECT_GT(BlueShare(compared), 0.02) << "fill, and the plane";
    window.findChild<QAction*>("mnuTerrainStopComparing")->trigger();
    WaitReady(*view);
    EXPECT_EQ(view->grabFramebuffer(), plain);
}

// On the X display when there is one (the offscreen platform has no OpenGL widgets), else
// offscreen, where the tests skip.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
