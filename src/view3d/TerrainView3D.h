#pragma once
// The 3D view window: the model in perspective, lit by the hillshade's light and coloured by the
// elevation ramp, drawn with OpenGL from the level of detail of TTerrainTiles. The tiles are
// built on other threads while the window shows how far they are; the mesh is uploaded once.
// A click on the surface hands the triangle the plan look-up finds there to OnSelectTriangle.
#include "OrbitCamera.h"
#include "TerrainRenderer3D.h"

#include <QOpenGLExtraFunctions>
#include <QOpenGLWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class TTriangle;
class TTriangleMesh;
class TTerrainTiles;

class TTerrainView3D : public QOpenGLWidget, protected QOpenGLExtraFunctions {
public:
    explicit TTerrainView3D(QWidget* parent = nullptr);
    ~TTerrainView3D() override;

    // The model to show; null forgets it, waiting for a build under way to stop. The model
    // must stay unchanged until it is forgotten.
    void SetModel(const TTriangleMesh* mesh);
    // The other surface the model is compared with, drawn with it in its own tint; null for
    // none. It too must stay unchanged until it is replaced.
    void SetComparison(const TTriangleMesh* surface);
    void SetLayers(const TView3DLayers& layers);
    void SetSelectedTriangle(const TTriangle* triangle);
    // The lines laid on the ground (contours, the profile line, the boundary).
    void SetLines(std::vector<TLine3D> lines);
    // Back to the view of the whole model.
    void ResetView();
    TOrbitCamera& Camera() { return FCamera; }
    // True once the tiles are built and every level sampled.
    bool Ready() const;
    // Triangles drawn in the last frame.
    int64_t LastFrameTriangles() const { return FLastFrameTriangles; }
    // Why the view cannot draw (no OpenGL 3.3), or empty.
    QString Problem() const { return FProblem; }
    // The surface point under a pixel of the widget, in the scene, if any.
    std::optional<TVec3> SurfaceAt(QPoint pixel, const TTriangle** triangle = nullptr) const;

    std::function<void(TTriangle*)> OnSelectTriangle;

    // Whether this machine can make the OpenGL 3.3 context the view needs; otherwise why not.
    static QString OpenGLProblem();

protected:
    void initializeGL() override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void StartBuild();
    // Builds the tiles of the model and the comparison anew, from a stopped build.
    void Rebuild();
    void StopBuild();
    void DrawProgress();
    TRay RayAt(QPointF pixel) const;

    const TTriangleMesh* FMesh = nullptr;
    std::unique_ptr<TTerrainTiles> FTiles; // owned by the build thread until FBuilt
    const TTriangleMesh* FComparison = nullptr;
    std::unique_ptr<TTerrainTiles> FComparisonTiles; // owned by the thread until FComparisonBuilt
    std::atomic<bool> FComparisonBuilt{false};
    TTerrainRenderer3D FComparisonRenderer;
    std::thread FBuild;
    std::atomic<bool> FCancel{false}, FBuilt{false};
    std::atomic<int> FProgress{0}; // per mille
    TView3DLayers FLayers;
    TOrbitCamera FCamera;
    bool FCameraSet = false;
    const TTriangle* FSelected = nullptr;
    std::vector<TLine3D> FLines;
    bool FLinesChanged = false;
    QString FProblem;
    QString FBuildError; // written by the build thread before FBuildFailed
    std::atomic<bool> FBuildFailed{false};
    int64_t FLastFrameTriangles = 0;

    TTerrainRenderer3D FRenderer;
    bool FRendererReady = false;

    QPoint FPressAt, FLastAt;
    Qt::MouseButton FDragButton = Qt::NoButton;
    std::optional<TVec3> FPivot;
};
