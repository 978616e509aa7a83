#include "TerrainView3D.h"
#include "TerrainPick.h"
#include "TerrainTiles.h"
#include "model/Geometry.h"
#include "terrain/ColourRamp.h"
#include "terrain/Hillshade.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>
#include <cmath>
#include <vector>

namespace {
constexpr int ClickTolerance = 4;
constexpr int RampSteps = 256;

QSurfaceFormat ViewFormat() {
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    return format;
}

const char* const VertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 1) in float present;
uniform mat4 viewProjection;
uniform float exaggeration;
out vec3 scenePosition;
out float elevation;
out float valid;
void main() {
    scenePosition = vec3(position.xy, position.z * exaggeration);
    elevation = position.z;
    valid = present;
    gl_Position = viewProjection * vec4(scenePosition, 1.0);
}
)";

// Lit as the hillshade lights the plan: the slope toward the light brightens the tint by up to
// a quarter, away from it darkens it to 40 per cent.
const char* const FragmentShader = R"(#version 330 core
in vec3 scenePosition;
in float elevation;
in float valid;
uniform sampler2D ramp;
uniform bool coloured;
uniform bool lit;
uniform vec4 flatColour;
uniform float low;
uniform float high;
uniform vec3 light;
out vec4 colour;
void main() {
    if (valid < 0.999)
        discard;
    if (!lit) {
        colour = flatColour;
        return;
    }
    vec3 normal = normalize(cross(dFdx(scenePosition), dFdy(scenePosition)));
    if (normal.z < 0.0)
        normal = -normal;
    float factor = 0.4 + 0.6 * max(dot(normal, light), 0.0) / light.z;
    float at = high > low ? clamp((elevation - low) / (high - low), 0.0, 1.0) : 0.5;
    vec3 base = coloured ? texture(ramp, vec2(at, 0.5)).rgb : vec3(0.72);
    colour = vec4(min(base * factor, vec3(1.0)), 1.0);
}
)";
} // namespace

TTerrainView3D::TTerrainView3D(QWidget* parent) : QOpenGLWidget(parent) {
    setWindowFlag(Qt::Window);
    setWindowTitle("3D view");
    setObjectName("frm3DView");
    setFormat(ViewFormat());
    setFocusPolicy(Qt::StrongFocus);
    resize(1000, 800);
    // While the tiles are built, the window shows how far they are and draws the levels done.
    auto* timer = new QTimer(this);
    timer->setInterval(150);
    connect(timer, &QTimer::timeout, this, [this] {
        if (FMesh && (!FBuilt || FTiles->ReadyLevels() > FUploadedLevels))
            update();
    });
    timer->start();
}

TTerrainView3D::~TTerrainView3D() {
    StopBuild();
    if (isValid()) {
        makeCurrent();
        FPositions.destroy();
        FCorners.destroy();
        FGridPoints.destroy();
        FGridPattern.destroy();
        FLinePoints.destroy();
        FMeshArray.destroy();
        FGridArray.destroy();
        FLineArray.destroy();
        if (FRampTexture)
            glDeleteTextures(1, &FRampTexture);
        doneCurrent();
    }
}

QString TTerrainView3D::OpenGLProblem() {
    if (QGuiApplication::platformName() == "offscreen")
        return "The 3D view needs a display with OpenGL; this program runs without one.";
    QOffscreenSurface surface;
    surface.setFormat(ViewFormat());
    surface.create();
    QOpenGLContext context;
    context.setFormat(ViewFormat());
    if (!context.create() || !context.makeCurrent(&surface))
        return "The 3D view needs OpenGL 3.3, and this display offers no OpenGL.";
    const QSurfaceFormat got = context.format();
    if (std::pair(got.majorVersion(), got.minorVersion()) < std::pair(3, 3))
        return QString("The 3D view needs OpenGL 3.3; this display offers %1.%2.")
            .arg(got.majorVersion())
            .arg(got.minorVersion());
    context.doneCurrent();
    return {};
}

void TTerrainView3D::StopBuild() {
    FCancel = true;
    if (FBuild.joinable())
        FBuild.join();
    FCancel = false;
}

void TTerrainView3D::SetModel(const TTriangleMesh* mesh) {
    StopBuild();
    FMesh = mesh;
    FTiles.reset();
    FBuilt = false;
    FProgress = 0;
    FUploadedLevels = 0;
    FMeshUploaded = false;
    FCameraSet = false;
    FSelected = nullptr;
    if (FMesh)
        StartBuild();
    update();
}

void TTerrainView3D::StartBuild() {
    // The look-up index is made here, on the window's thread, so that the sampling threads and
    // the plan view's look-ups only ever read it.
    FMesh->Index();
    FBuild = std::thread([this, mesh = FMesh] {
        try {
            auto tiles = std::make_unique<TTerrainTiles>(*mesh);
            FTiles = std::move(tiles);
            FProgress = 300;
            FBuilt = true; // the window reads the tiles from here on
            FTiles->SampleGrids(
                *mesh, [this](int done, int total) { FProgress = 300 + 700 * done / total; },
                &FCancel);
        } catch (const std::exception& error) {
            FProblem = QString("The 3D view could not be built: %1").arg(error.what());
        }
    });
}

bool TTerrainView3D::Ready() const {
    return FBuilt && FTiles->ReadyLevels() == FTiles->Levels();
}

void TTerrainView3D::SetLayers(const TView3DLayers& layers) {
    FLayers = layers;
    update();
}

void TTerrainView3D::SetSelectedTriangle(const TTriangle* triangle) {
    FSelected = triangle;
    update();
}

void TTerrainView3D::ResetView() {
    FCameraSet = false;
    update();
}

void TTerrainView3D::initializeGL() {
    initializeOpenGLFunctions();
    if (FMeshUploaded) {
        // A new context (the window moved to another screen): the mesh, whose arrays went to
        // the old one, is built again.
        FMeshUploaded = false;
        QTimer::singleShot(0, this, [this] { SetModel(FMesh); });
    }
    const QSurfaceFormat got = context()->format();
    if (std::pair(got.majorVersion(), got.minorVersion()) < std::pair(3, 3)) {
        FProblem = OpenGLProblem();
        return;
    }
    if (!FProgram.addShaderFromSourceCode(QOpenGLShader::Vertex, VertexShader) ||
        !FProgram.addShaderFromSourceCode(QOpenGLShader::Fragment, FragmentShader) ||
        !FProgram.link()) {
        FProblem = "The 3D view's shaders do not build: " + FProgram.log();
        return;
    }
    FMeshArray.create();
    FGridArray.create();
    FLineArray.create();
}

void TTerrainView3D::Upload() {
    if (!FMeshUploaded) {
        FMeshArray.bind();
        FPositions.create();
        FPositions.bind();
        FPositions.allocate(FTiles->Positions().data(),
                            int(FTiles->Positions().size() * sizeof(float)));
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        FCorners.create();
        FCorners.bind();
        FCorners.allocate(FTiles->Corners().data(),
                          int(FTiles->Corners().size() * sizeof(uint32_t)));
        FMeshArray.release();

        FGridArray.bind();
        FGridPoints.create();
        FGridPoints.bind();
        FGridPoints.allocate(int(FTiles->GridPoints().size() * sizeof(float)));
        glEnableVertexAttribArray(0);
        glEnableVertexAttribArray(1);
        const auto& pattern = TTerrainTiles::GridPattern();
        FGridPattern.create();
        FGridPattern.bind();
        FGridPattern.allocate(pattern.data(), int(pattern.size() * sizeof(uint32_t)));
        FGridArray.release();

        FLineArray.bind();
        FLinePoints.create();
        FLinePoints.bind();
        FLinePoints.allocate(3 * 3 * sizeof(float));
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        FLineArray.release();

        // The ramp of the plan view over the model's range.
        const TColourRamp ramp(FTiles->Low().Z, FTiles->High().Z);
        std::vector<uint32_t> texels(RampSteps);
        for (int i = 0; i < RampSteps; ++i) {
            const uint32_t argb = ramp.ColourAtFraction(i / double(RampSteps - 1));
            // As bytes R, G, B, A.
            texels[size_t(i)] =
                ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16) | 0xFF000000u;
        }
        glGenTextures(1, &FRampTexture);
        glBindTexture(GL_TEXTURE_2D, FRampTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, RampSteps, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     texels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        FMeshUploaded = true;
        FTiles->ReleaseMeshArrays(); // the GPU holds them now
    }
    // The grids of the levels sampled since the last frame.
    const int ready = FTiles->ReadyLevels();
    if (ready > FUploadedLevels) {
        FGridPoints.bind();
        const int tileBytes = TTerrainTiles::GridVertices * 4 * int(sizeof(float));
        for (size_t t = 0; t < FTiles->Tiles().size(); ++t) {
            const int depth = FTiles->Tiles()[t].Depth;
            if (depth >= FUploadedLevels && depth < ready)
                FGridPoints.write(int(t) * tileBytes,
                                  FTiles->GridPoints().data() + t * size_t(tileBytes / 4),
                                  tileBytes);
        }
        FUploadedLevels = ready;
    }
}

void TTerrainView3D::paintGL() {
    glClearColor(0.93f, 0.94f, 0.96f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!FProblem.isEmpty() || !FMesh || !FBuilt)
        return DrawProgress();
    Upload();
    const double x = FLayers.Exaggeration;
    TVec3 low = FTiles->Low(), high = FTiles->High();
    low.Z *= x;
    high.Z *= x;
    if (!FCameraSet) {
        FCamera.Frame(low, high);
        FCameraSet = true;
    }
    const TTileSelection selection = FTiles->Select(FCamera, width(), height(), x);
    FLastFrameTriangles = selection.Triangles;
    // Near and far planes around the model's box, seen from the eye.
    const TVec3 centre = (low + high) * 0.5, eye = FCamera.Eye();
    const double radius = std::sqrt(Dot(high - low, high - low)) / 2 + 1e-6;
    const double toCentre = std::sqrt(Dot(centre - eye, centre - eye));
    const double farPlane = toCentre + radius * 1.5;
    const double nearPlane = std::max(farPlane * 1e-5, toCentre - radius * 1.5);

    FProgram.bind();
    FProgram.setUniformValue("viewProjection",
                             FCamera.ViewProjection(width(), height(), nearPlane, farPlane));
    FProgram.setUniformValue("exaggeration", float(x));
    FProgram.setUniformValue("coloured", FLayers.Colours);
    FProgram.setUniformValue("lit", true);
    FProgram.setUniformValue("low", float(FTiles->Low().Z));
    FProgram.setUniformValue("high", float(FTiles->High().Z));
    const double lightZ = LevelGroundShade(); // the hillshade's light, 45 degrees up
    FProgram.setUniformValue("light", QVector3D(float(-0.5), float(0.5), float(lightZ)));
    FProgram.setUniformValue("ramp", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, FRampTexture);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1, 1);

    auto drawExact = [&] {
        FMeshArray.bind();
        glVertexAttrib1f(1, 1.0f);
        for (int t : selection.Exact) {
            const TTile& tile = FTiles->Tiles()[size_t(t)];
            glDrawElements(GL_TRIANGLES, GLsizei(tile.CornerCount), GL_UNSIGNED_INT,
                           reinterpret_cast<void*>(tile.FirstCorner * sizeof(uint32_t)));
        }
        FMeshArray.release();
    };
    drawExact();
    FGridArray.bind();
    FGridPoints.bind();
    const GLsizei patternCorners = GLsizei(TTerrainTiles::GridPattern().size());
    for (int t : selection.Grids) {
        const size_t first = size_t(t) * TTerrainTiles::GridVertices * 4 * sizeof(float);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                              reinterpret_cast<void*>(first));
        glVertexAttribPointer(1, 1, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                              reinterpret_cast<void*>(first + 3 * sizeof(float)));
        glDrawElements(GL_TRIANGLES, patternCorners, GL_UNSIGNED_INT, nullptr);
    }
    FGridArray.release();
    glDisable(GL_POLYGON_OFFSET_FILL);

    // The sides of the exact triangles, over the surface.
    using TPolygonMode = void (*)(GLenum, GLenum);
    const auto polygonMode =
        reinterpret_cast<TPolygonMode>(context()->getProcAddress("glPolygonMode"));
    if (FLayers.Sides && polygonMode) {
        FProgram.setUniformValue("lit", false);
        FProgram.setUniformValue("flatColour", QVector4D(0, 0.45f, 0, 1));
        polygonMode(GL_FRONT_AND_BACK, GL_LINE);
        drawExact();
        polygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    // The selected triangle, seen through whatever hides it.
    if (FSelected && FSelected->Vertex(1) && FSelected->Vertex(2) && FSelected->Vertex(3)) {
        float corners[9];
        for (int k = 0; k < 3; ++k) {
            const TTriVertex* v = FSelected->Vertex(k + 1);
            corners[k * 3] = float(v->Easting - FTiles->CentreE);
            corners[k * 3 + 1] = float(v->Northing - FTiles->CentreN);
            corners[k * 3 + 2] = float(v->Value - FTiles->CentreZ);
        }
        FProgram.setUniformValue("lit", false);
        FProgram.setUniformValue("flatColour", QVector4D(1, 0, 0, 1));
        glDisable(GL_DEPTH_TEST);
        FLineArray.bind();
        FLinePoints.bind();
        FLinePoints.write(0, corners, sizeof(corners));
        glVertexAttrib1f(1, 1.0f);
        glDrawArrays(GL_LINE_LOOP, 0, 3);
        FLineArray.release();
    }
    FProgram.release();
    glDisable(GL_DEPTH_TEST);
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
