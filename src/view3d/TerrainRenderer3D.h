#pragma once
#include <optional>
// Draws the tiles of TTerrainTiles with OpenGL 3.3: the 3D view window and the 3D picture
// without a window both draw through it. It holds the GPU's copies of the mesh and the grids.
#include "DrapedLines.h"
#include "OrbitCamera.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLBuffer>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLVertexArrayObject>
#include <QString>
#include <QVector4D>

#include <memory>

class TTriangle;
class TTriangleMesh;
class TColourRamp;
class TTerrainTiles;
struct TTileSelection;
struct TComparedSurface;

struct TView3DLayers {
    bool Colours = false;
    bool Sides = false;
    double Exaggeration = 1;
    uint32_t Plain = 0xFFB8B8B8; // 0xAARRGGBB, lit, when the colours are off
    // A level the model is compared with: the ground in the plan's cut and fill colours of
    // d = level - z, and the level a translucent plane.
    std::optional<double> Level = std::nullopt;
    // Another surface the model is compared with: the ground in the same colours of d = other - z.
    std::shared_ptr<const TComparedSurface> Compared = nullptr;
    bool operator==(const TView3DLayers&) const = default;
};

class TTerrainRenderer3D : protected QOpenGLExtraFunctions {
public:
    // In a current context: why it cannot draw there (no OpenGL 3.3), or empty.
    QString Initialize();
    // In the context: gives the GPU's memory back.
    void Release();
    // Sends what is new: the mesh and the ramp at the first call after Reset, then the grids
    // of the levels sampled since. The mesh's arrays are freed once sent. True when the mesh
    // was sent now: lines set before belong to another model's frame. With only, of the
    // exact triangles just those that selection draws (for a single frame).
    bool Upload(TTerrainTiles& tiles, const TTileSelection* only = nullptr);
    // A new model: everything is sent again.
    void Reset();
    // The lines laid on the surface, in the model's coordinates, drawn over it from now on.
    void SetLines(const TTerrainTiles& tiles, const std::vector<TLine3D>& lines);
    // Draws a frame into the current framebuffer of width x height pixels; returns the
    // triangles drawn.
    int64_t Draw(const TTerrainTiles& tiles, const TOrbitCamera& camera, int width, int height,
                 const TView3DLayers& layers, const TTriangle* selected);
    static QSurfaceFormat Format();

private:
    void DrawExact(const TTerrainTiles& tiles, const std::vector<int>& exact);
    // A few corners (at most four) in one colour, unlit: a triangle's outline, the level.
    void DrawFlat(const float* corners, int count, unsigned mode, const QVector4D& colour);
    // The ramp as a texture of a row of colours (made when texture is 0).
    void LoadRamp(unsigned& texture, const TColourRamp& ramp);
    // The cut and fill colours of d = level - z or d = other - z, or neither.
    void SetDifference(const TTerrainTiles& tiles, const TView3DLayers& layers);
    // The compared surface's elevations, from the scene's centre, as a texture (unit 2).
    void LoadCompared(const TTerrainTiles& tiles, const TComparedSurface& compared);

    QOpenGLShaderProgram FProgram;
    QOpenGLVertexArrayObject FMeshArray, FGridArray, FLineArray;
    QOpenGLBuffer FPositions{QOpenGLBuffer::VertexBuffer}, FCorners{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer FGridPoints{QOpenGLBuffer::VertexBuffer},
        FGridPattern{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer FLinePoints{QOpenGLBuffer::VertexBuffer};
    QOpenGLVertexArrayObject FOverlayArray;
    QOpenGLBuffer FOverlayPoints{QOpenGLBuffer::VertexBuffer};
    struct TLineRun {
        uint32_t Colour;
        int First, Count;
    };
    std::vector<TLineRun> FLineRuns;
    unsigned FRampTexture = 0;
    unsigned FDifferenceTexture = 0; // the cut and fill ramp of FDifferenceReach
    double FDifferenceReach = -1;
    unsigned FComparedTexture = 0;
    std::shared_ptr<const TComparedSurface> FComparedLoaded; // the one FComparedTexture holds
    bool FMeshUploaded = false;
    int FUploadedLevels = 0;
};

// An OpenGL 3.3 context of its own, current on an offscreen surface while it lives: for
// drawing without a window, and for asking whether the machine can draw at all.
class TOffscreenOpenGL {
public:
    TOffscreenOpenGL();
    ~TOffscreenOpenGL();
    TOffscreenOpenGL(const TOffscreenOpenGL&) = delete;
    TOffscreenOpenGL& operator=(const TOffscreenOpenGL&) = delete;
    // Why there is no context to draw with (no OpenGL, or an older one), or empty.
    QString Problem() const { return FProblem; }
    QOpenGLContext& Context() { return FContext; }

private:
    QOffscreenSurface FSurface;
    QOpenGLContext FContext;
    QString FProblem;
};

// The model drawn in 3D without a window, in an offscreen OpenGL context (it needs a display,
// a virtual one will do, or an offscreen OpenGL platform). The camera looks at the model from
// azimuth and elevation (degrees), framing all of it. Raises Exception when there is no OpenGL
// 3.3. The context is made here unless one made beforehand (while the model was read) is given.
QImage RenderTerrainPicture3D(const TTriangleMesh& mesh, const TView3DLayers& layers, int width,
                              int height, double azimuth, double elevation,
                              TOffscreenOpenGL* context = nullptr);
