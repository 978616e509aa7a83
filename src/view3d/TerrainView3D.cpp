#include "TerrainView3D.h"
#include "TerrainPick.h"
#include "TerrainTiles.h"
#include "model/Geometry.h"
#include "terrain/ColourRamp.h"
#include "terrain/Hillshade.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <vector>

namespace {
constexpr int ClickTolerance = 4;
// The surface compared with: a light blue, so that where it lies above the model it shows.
constexpr uint32_t ComparisonTint = 0xFF7FAEDC;

} // namespace

TTerrainView3D::TTerrainView3D(QWidget* parent) : QOpenGLWidget(parent) {
    setWindowFlag(Qt::Window);
    setWindowTitle("3D view");
    setObjectName("frm3DView");
    setFormat(TTerrainRenderer3D::Format());
    setFocusPolicy(Qt::StrongFocus);
    resize(1000, 800);
    // While the tiles are built, the window shows how far they are and draws the levels done.
    auto* timer = new QTimer(this);
    timer->setInterval(150);
    connect(timer, &QTimer::timeout, this, [this] {
        if (FMesh && !Ready())
            update();
    });
    timer->start();
}

TTerrainView3D::~TTerrainView3D() {
    StopBuild();
    if (isValid()) {
        makeCurrent();
        FRenderer.Release();
        FComparisonRenderer.Release();
        doneCurrent();
    }
}

QString TTerrainView3D::OpenGLProblem() {
    if (QGuiApplication::platformName() == "offscreen")
        return "The 3D view needs a display with OpenGL; this program runs without one.";
    return TOffscreenOpenGL().Problem();
}

void TTerrainView3D::StopBuild() {
    FCancel = true;
    if (FBuild.joinable())
        FBuild.join();
    FCancel = false;
}

void TTerrainView3D::SetModel(const TTriangleMesh* mesh) {
    StopBuild();
    if (FBuildFailed) { // the last model's failure
        FProblem.clear();
        FBuildFailed = false;
    }
    FMesh = mesh;
    FCameraSet = false;
    FSelected = nullptr;
    Rebuild();
}

void TTerrainView3D::SetComparison(const TTriangleMesh* surface) {
    if (surface == FComparison)
        return;
    StopBuild();
    FComparison = surface;
    Rebuild(); // the view stays where it is
}

void TTerrainView3D::Rebuild() {
    FTiles.reset();
    FBuilt = false;
    FComparisonTiles.reset();
    FComparisonBuilt = false;
    FProgress = 0;
    FRenderer.Reset();
    FComparisonRenderer.Reset();
    if (FMesh)
        StartBuild();
    update();
}

void TTerrainView3D::StartBuild() {
    // The look-up index is made here, on the window's thread, so that the sampling threads and
    // the plan view's look-ups only ever read it.
    FMesh->Index();
    if (FComparison)
        FComparison->Index();
    FBuild = std::thread([this, mesh = FMesh, comparison = FComparison] {
        try {
            auto tiles = std::make_unique<TTerrainTiles>(*mesh);
            FTiles = std::move(tiles);
            FProgress = 300;
            FBuilt = true; // the window reads the tiles from here on
            FTiles->SampleGrids(
                *mesh, [this](int done, int total) { FProgress = 300 + 700 * done / total; },
                &FCancel);
            if (comparison && !FCancel) {
                auto other = std::make_unique<TTerrainTiles>(*comparison, FTiles.get());
                other->SampleGrids(*comparison, nullptr, &FCancel);
                FComparisonTiles = std::move(other);
                FComparisonBuilt = true;
            }
        } catch (const std::exception& error) {
            FBuildError = QString("The 3D view could not be built: %1").arg(error.what());
            FBuildFailed = true; // after the text: the window reads the text once it sees this
        }
    });
}

bool TTerrainView3D::Ready() const {
    const auto done = [](const TTerrainTiles& tiles) {
        return tiles.ReadyLevels() == tiles.Levels();
    };
    return FBuilt && done(*FTiles) &&
           (!FComparison || (FComparisonBuilt && done(*FComparisonTiles)));
}

void TTerrainView3D::SetLayers(const TView3DLayers& layers) {
    if (layers == FLayers) // the plan hands them at every drawing
        return;
    FLayers = layers;
    update();
}

void TTerrainView3D::SetSelectedTriangle(const TTriangle* triangle) {
    FSelected = triangle;
    update();
}

void TTerrainView3D::SetLines(std::vector<TLine3D> lines) {
    FLines = std::move(lines);
    FLinesChanged = true;
    update();
}

void TTerrainView3D::ResetView() {
    FCameraSet = false;
    update();
}

void TTerrainView3D::initializeGL() {
    initializeOpenGLFunctions();
    if (FRendererReady) {
        // A new context (the window moved to another screen): the mesh, whose arrays went to
        // the old one, is built again.
        QTimer::singleShot(0, this, [this] { SetModel(FMesh); });
    }
    FRenderer.Reset();
    FProblem = FRenderer.Initialize();
    if (FProblem.isEmpty())
        FProblem = FComparisonRenderer.Initialize();
    FRendererReady = FProblem.isEmpty();
}

void TTerrainView3D::paintGL() {
    glClearColor(0.93f, 0.94f, 0.96f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (FBuildFailed && FProblem.isEmpty())
        FProblem = FBuildError;
    if (!FProblem.isEmpty() || !FMesh || !FBuilt)
        return DrawProgress();
    if (FRenderer.Upload(*FTiles) || FLinesChanged) {
        FRenderer.SetLines(*FTiles, FLines);
        FLinesChanged = false;
    }
    if (!FCameraSet) {
        TVec3 low = FTiles->Low(), high = FTiles->High();
        low.Z *= FLayers.Exaggeration;
        high.Z *= FLayers.Exaggeration;
        FCamera.Frame(low, high);
        FCameraSet = true;
    }
    const qreal ratio = devicePixelRatioF();
    FLastFrameTriangles = FRenderer.Draw(*FTiles, FCamera, int(width() * ratio),
                                         int(height() * ratio), FLayers, FSelected);
    // Compared in colours, the other surface is not drawn beside the model.
    if (FComparisonBuilt && !FLayers.Compared) {
        FComparisonRenderer.Upload(*FComparisonTiles);
        TView3DLayers other = FLayers;
        other.Colours = other.Sides = false;
        other.Level.reset(); // a level is compared with the model, not with this surface
        other.Plain = ComparisonTint;
        FLastFrameTriangles +=
            FComparisonRenderer.Draw(*FComparisonTiles, FCamera, int(width() * ratio),
                                     int(height() * ratio), other, nullptr);
    }
    if (!Ready())
        DrawProgress();
}

void TTerrainView3D::DrawProgress() {
    QPainter painter(this);
    painter.setPen(Qt::black);
    const QString text = !FProblem.isEmpty() ? FProblem
                         : !FMesh            ? QString("No model")
                                  : QString("Building the 3D view: %1%").arg(FProgress / 10);
    painter.drawText(rect().adjusted(10, 10, -10, -10), Qt::AlignLeft | Qt::AlignTop, text);
}

TRay TTerrainView3D::RayAt(QPointF pixel) const {
    return FCamera.RayThrough(pixel.x(), pixel.y(), width(), height());
}

std::optional<TVec3> TTerrainView3D::SurfaceAt(QPoint pixel, const TTriangle** triangle) const {
    if (!FMesh || !FBuilt)
        return std::nullopt;
    const TSurfaceHit hit = PickSurface(*FMesh, *FTiles, RayAt(pixel), FLayers.Exaggeration);
    if (!hit.Triangle)
        return std::nullopt;
    if (triangle) {
        // The triangle the plan view's look-up finds at that place.
        double value = 0;
        *triangle = FMesh->FindTriangle(hit.Easting, hit.Northing, value);
    }
    return hit.Scene;
}

void TTerrainView3D::mousePressEvent(QMouseEvent* event) {
    FPressAt = FLastAt = event->position().toPoint();
    FDragButton = event->button();
    FPivot = SurfaceAt(FPressAt);
}

void TTerrainView3D::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint step = at - FLastAt;
    FLastAt = at;
    if (FDragButton == Qt::LeftButton) {
        FCamera.OrbitAbout(FPivot.value_or(FCamera.Target()), -step.x() * 0.4, step.y() * 0.3);
    } else if (FDragButton == Qt::RightButton || FDragButton == Qt::MiddleButton) {
        // The ground under the cursor follows it.
        const TVec3 pivot = FPivot.value_or(FCamera.Target());
        TVec3 forward, right, up;
        FCamera.Axes(forward, right, up);
        const double depth = Dot(pivot - FCamera.Eye(), forward);
        const double unitsPerPixel = 1 / FCamera.PixelsPerUnit(depth, height());
        FCamera.Pan(right * (-step.x() * unitsPerPixel) + up * (step.y() * unitsPerPixel));
    } else {
        return;
    }
    update();
}

void TTerrainView3D::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint moved = event->position().toPoint() - FPressAt;
    const bool click = moved.manhattanLength() < ClickTolerance;
    if (click && FDragButton == Qt::LeftButton && event->button() == Qt::LeftButton) {
        const TTriangle* triangle = nullptr;
        if (SurfaceAt(FPressAt, &triangle) && triangle && OnSelectTriangle)
            OnSelectTriangle(const_cast<TTriangle*>(triangle));
    }
    FDragButton = Qt::NoButton;
}

void TTerrainView3D::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const auto point = SurfaceAt(event->position().toPoint())) {
        FCamera.CentreOn(*point);
        update();
    }
}

void TTerrainView3D::wheelEvent(QWheelEvent* event) {
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const auto point = SurfaceAt(event->position().toPoint());
    FCamera.ZoomToward(point.value_or(FCamera.Target()), std::pow(0.8, steps));
    update();
}

void TTerrainView3D::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Home || event->key() == Qt::Key_R)
        return ResetView();
    QOpenGLWidget::keyPressEvent(event);
}
