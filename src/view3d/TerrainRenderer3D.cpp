#include "TerrainRenderer3D.h"
#include "ComparedSurface.h"
#include "TerrainTiles.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "terrain/ColourRamp.h"
#include "terrain/Hillshade.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QVector2D>
#include <cmath>
#include <optional>
#include <vector>

namespace {
constexpr int RampSteps = 256;

QString VersionProblem(const QSurfaceFormat& got) {
    if (std::pair(got.majorVersion(), got.minorVersion()) >= std::pair(3, 3))
        return {};
    return QString("The 3D view needs OpenGL 3.3; this display offers %1.%2.")
        .arg(got.majorVersion())
        .arg(got.minorVersion());
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
uniform sampler2D differenceRamp;
uniform bool difference;
uniform bool againstSurface;
uniform sampler2D compared;
uniform vec2 comparedCorner;
uniform vec2 comparedSize;
uniform float level;
uniform float reach;
uniform bool coloured;
uniform vec3 plain;
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
    // A skirt (its lower points marked 2) fills a crack in the ground: lit as level ground.
    vec3 normal = valid > 1.001 ? vec3(0.0, 0.0, 1.0)
                                : normalize(cross(dFdx(scenePosition), dFdy(scenePosition)));
    if (normal.z < 0.0)
        normal = -normal;
    float factor = 0.4 + 0.6 * max(dot(normal, light), 0.0) / light.z;
    float at = high > low ? clamp((elevation - low) / (high - low), 0.0, 1.0) : 0.5;
    vec3 base = coloured ? texture(ramp, vec2(at, 0.5)).rgb : plain;
    // d = level - z, or other - z where the other surface is, over the ramp from -reach (cut) to
    // reach (fill).
    float above = level;
    if (againstSurface)
        above = texture(compared, vec2(scenePosition.x - comparedCorner.x,
                                       comparedCorner.y - scenePosition.y) / comparedSize).r;
    if (difference && !isnan(above))
        base = texture(differenceRamp,
                       vec2(clamp((above - elevation + reach) / (2.0 * reach), 0.0, 1.0), 0.5)).rgb;
    colour = vec4(min(base * factor, vec3(1.0)), 1.0);
}
)";
} // namespace

QSurfaceFormat TTerrainRenderer3D::Format() {
    QSurfaceFormat format;
    format.setVersion(3, 3);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setDepthBufferSize(24);
    return format;
}

QString TTerrainRenderer3D::Initialize() {
    initializeOpenGLFunctions();
    if (const QString problem = VersionProblem(QOpenGLContext::currentContext()->format());
        !problem.isEmpty())
        return problem;
    FProgram.removeAllShaders(); // from an earlier context
    if (!FProgram.addShaderFromSourceCode(QOpenGLShader::Vertex, VertexShader) ||
        !FProgram.addShaderFromSourceCode(QOpenGLShader::Fragment, FragmentShader) ||
        !FProgram.link())
        return "The 3D view's shaders do not build: " + FProgram.log();
    FMeshArray.create();
    FGridArray.create();
    FLineArray.create();
    FOverlayArray.create();
    return {};
}

void TTerrainRenderer3D::Release() {
    for (QOpenGLBuffer* buffer :
         {&FPositions, &FCorners, &FGridPoints, &FGridPattern, &FLinePoints})
        buffer->destroy();
    FMeshArray.destroy();
    FGridArray.destroy();
    FLineArray.destroy();
    for (unsigned* texture : {&FRampTexture, &FDifferenceTexture, &FComparedTexture})
        if (*texture)
            glDeleteTextures(1, texture);
    FRampTexture = FDifferenceTexture = FComparedTexture = 0;
    FComparedLoaded.reset();
    FDifferenceReach = -1;
    Reset();
}

void TTerrainRenderer3D::Reset() {
    FMeshUploaded = false;
    FUploadedLevels = 0;
}

void TTerrainRenderer3D::DrawFlat(const float* corners, int count, unsigned mode,
                                  const QVector4D& colour) {
    FProgram.setUniformValue("lit", false);
    FProgram.setUniformValue("flatColour", colour);
    FLineArray.bind();
    FLinePoints.bind();
    FLinePoints.write(0, corners, count * 3 * int(sizeof(float)));
    glVertexAttrib1f(1, 1.0f);
    glDrawArrays(mode, 0, count);
    FLineArray.release();
}

void TTerrainRenderer3D::LoadRamp(unsigned& texture, const TColourRamp& ramp) {
    std::vector<uint32_t> texels(RampSteps);
    for (int i = 0; i < RampSteps; ++i) {
        const uint32_t argb = ramp.ColourAtFraction(i / double(RampSteps - 1));
        // As bytes R, G, B, A.
        texels[size_t(i)] =
            ((argb >> 16) & 0xFF) | (argb & 0xFF00) | ((argb & 0xFF) << 16) | 0xFF000000u;
    }
    if (!texture)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, RampSteps, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
}

bool TTerrainRenderer3D::Upload(TTerrainTiles& tiles, const TTileSelection* only) {
    const bool meshNow = !FMeshUploaded;
    if (meshNow) {
        // For one frame, only the exact triangles it draws (and the points, only if any).
        const bool allExact = !only, anyExact = allExact || !only->Exact.empty();
        FMeshArray.bind();
        FPositions.create();
        FPositions.bind();
        FPositions.allocate(tiles.Positions().data(),
                            anyExact ? int(tiles.Positions().size() * sizeof(float)) : 0);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        FCorners.create();
        FCorners.bind();
        FCorners.allocate(allExact ? tiles.Corners().data() : nullptr,
                          anyExact ? int(tiles.Corners().size() * sizeof(uint32_t)) : 0);
        if (!allExact)
            for (const int leaf : only->Exact) {
                const TTile& tile = tiles.Tiles()[size_t(leaf)];
                FCorners.write(int(tile.FirstCorner * int64_t(sizeof(uint32_t))),
                               tiles.Corners().data() + tile.FirstCorner,
                               int(tile.CornerCount * int64_t(sizeof(uint32_t))));
            }
        FMeshArray.release();

        FGridArray.bind();
        FGridPoints.create();
        FGridPoints.bind();
        FGridPoints.allocate(int(tiles.GridPoints().size() * sizeof(float)));
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
        FLinePoints.allocate(4 * 3 * sizeof(float)); // a triangle's outline, the level's plane
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
        FLineArray.release();

        // The ramp of the plan view over the model's range.
        LoadRamp(FRampTexture, TColourRamp(tiles.Low().Z, tiles.High().Z));
        FMeshUploaded = true;
        tiles.ReleaseMeshArrays(); // the GPU holds them now
    }
    // The grids of the levels sampled since the last call.
    const int ready = tiles.ReadyLevels();
    if (ready > FUploadedLevels) {
        FGridPoints.bind();
        const int tileFloats = TTerrainTiles::GridVertices * 4;
        for (size_t t = 0; t < tiles.Tiles().size(); ++t) {
            const int depth = tiles.Tiles()[t].Depth;
            if (depth >= FUploadedLevels && depth < ready)
                FGridPoints.write(int(t) * tileFloats * int(sizeof(float)),
                                  tiles.GridPoints().data() + t * size_t(tileFloats),
                                  tileFloats * int(sizeof(float)));
        }
        FUploadedLevels = ready;
    }
    return meshNow;
}

void TTerrainRenderer3D::SetLines(const TTerrainTiles& tiles, const std::vector<TLine3D>& lines) {
    std::vector<float> points;
    FLineRuns.clear();
    for (const TLine3D& line : lines) {
        FLineRuns.push_back({line.Colour, int(points.size() / 3), int(line.Points.size())});
        for (const TVec3& p : line.Points)
            points.insert(points.end(), {float(p.X - tiles.CentreE), float(p.Y - tiles.CentreN),
                                         float(p.Z - tiles.CentreZ)});
    }
    FOverlayArray.bind();
    FOverlayPoints.create();
    FOverlayPoints.bind();
    FOverlayPoints.allocate(points.data(), int(points.size() * sizeof(float)));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(float), nullptr);
    FOverlayArray.release();
}

void TTerrainRenderer3D::SetDifference(const TTerrainTiles& tiles, const TView3DLayers& layers) {
    // Against a level, the plan's cut and fill ramp over -reach..reach, reach the farthest the
    // model's range lies from the level; against a surface, the plan's reach.
    const double level = layers.Level.value_or(0) - tiles.CentreZ;
    const double reach = layers.Compared ? layers.Compared->Reach
                                         : std::max(std::abs(level - tiles.Low().Z),
                                                    std::abs(level - tiles.High().Z));
    const bool difference = layers.Level || layers.Compared;
    FProgram.setUniformValue("difference", difference);
    FProgram.setUniformValue("againstSurface", layers.Compared != nullptr);
    if (!difference)
        return;
    if (reach != FDifferenceReach) {
        glActiveTexture(GL_TEXTURE1);
        LoadRamp(FDifferenceTexture, TColourRamp(-reach, reach, TRampKind::Difference));
        FDifferenceReach = reach;
    }
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, FDifferenceTexture);
    FProgram.setUniformValue("differenceRamp", 1);
    FProgram.setUniformValue("level", float(level));
    FProgram.setUniformValue("reach", float(reach > 0 ? reach : 1));
    if (layers.Compared) {
        glActiveTexture(GL_TEXTURE2);
        if (FComparedLoaded != layers.Compared) {
            LoadCompared(tiles, *layers.Compared);
            FComparedLoaded = layers.Compared;
        }
        glBindTexture(GL_TEXTURE_2D, FComparedTexture);
        const TGridFrame& frame = layers.Compared->Frame;
        FProgram.setUniformValue("compared", 2);
        FProgram.setUniformValue("comparedCorner", QVector2D(float(frame.West - tiles.CentreE),
                                                             float(frame.North - tiles.CentreN)));
        FProgram.setUniformValue("comparedSize", QVector2D(float(frame.Columns * frame.Cell),
                                                           float(frame.Rows * frame.Cell)));
    }
    glActiveTexture(GL_TEXTURE0);
}

void TTerrainRenderer3D::LoadCompared(const TTerrainTiles& tiles,
                                      const TComparedSurface& compared) {
    if (!FComparedTexture)
        glGenTextures(1, &FComparedTexture);
    glBindTexture(GL_TEXTURE_2D, FComparedTexture);
    // From the scene's centre, as the model's elevations are.
    std::vector<float> heights(compared.Elevations.size());
    for (size_t i = 0; i < heights.size(); ++i)
        heights[i] = float(compared.Elevations[i] - tiles.CentreZ);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R32F, compared.Frame.Columns, compared.Frame.Rows, 0, GL_RED,
                 GL_FLOAT, heights.data());
    // Between cell centres the elevation is interpolated; next to a cell without one it is none.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void TTerrainRenderer3D::DrawExact(const TTerrainTiles& tiles, const std::vector<int>& exact) {
    FMeshArray.bind();
    glVertexAttrib1f(1, 1.0f);
    for (int t : exact) {
        const TTile& tile = tiles.Tiles()[size_t(t)];
        glDrawElements(GL_TRIANGLES, GLsizei(tile.CornerCount), GL_UNSIGNED_INT,
                       reinterpret_cast<void*>(tile.FirstCorner * sizeof(uint32_t)));
    }
    FMeshArray.release();
}

int64_t TTerrainRenderer3D::Draw(const TTerrainTiles& tiles, const TOrbitCamera& camera, int width,
                                 int height, const TView3DLayers& layers,
                                 const TTriangle* selected) {
    const double x = layers.Exaggeration;
    TVec3 low = tiles.Low(), high = tiles.High();
    low.Z *= x;
    high.Z *= x;
    const TTileSelection selection = tiles.Select(camera, height, x);
    // Near and far planes around the model's box, seen from the eye.
    const TVec3 centre = (low + high) * 0.5, eye = camera.Eye();
    const double radius = std::sqrt(Dot(high - low, high - low)) / 2 + 1e-6;
    const double toCentre = std::sqrt(Dot(centre - eye, centre - eye));
    const double farPlane = toCentre + radius * 1.5;
    const double nearPlane = std::max(farPlane * 1e-5, toCentre - radius * 1.5);

    FProgram.bind();
    FProgram.setUniformValue("viewProjection",
                             camera.ViewProjection(width, height, nearPlane, farPlane));
    FProgram.setUniformValue("exaggeration", float(x));
    FProgram.setUniformValue("coloured", layers.Colours);
    FProgram.setUniformValue("plain", QVector3D(((layers.Plain >> 16) & 0xFF) / 255.0f,
                                                ((layers.Plain >> 8) & 0xFF) / 255.0f,
                                                (layers.Plain & 0xFF) / 255.0f));
    FProgram.setUniformValue("lit", true);
    FProgram.setUniformValue("low", float(tiles.Low().Z));
    FProgram.setUniformValue("high", float(tiles.High().Z));
    // The hillshade's light: from the north-west, 45 degrees up.
    const double up = LevelGroundShade(), across = std::sqrt(1 - up * up) * std::sqrt(0.5);
    FProgram.setUniformValue("light", QVector3D(float(-across), float(across), float(up)));
    FProgram.setUniformValue("ramp", 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, FRampTexture);
    SetDifference(tiles, layers);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1, 1);
    DrawExact(tiles, selection.Exact);
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
    const auto polygonMode = reinterpret_cast<TPolygonMode>(
        QOpenGLContext::currentContext()->getProcAddress("glPolygonMode"));
    if (layers.Sides && polygonMode) {
        FProgram.setUniformValue("lit", false);
        FProgram.setUniformValue("flatColour", QVector4D(0, 0.45f, 0, 1));
        polygonMode(GL_FRONT_AND_BACK, GL_LINE);
        DrawExact(tiles, selection.Exact);
        polygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
    // The level, a translucent plane over the model's box: the ground shows through it.
    if (layers.Level) {
        const float z = float(*layers.Level - tiles.CentreZ), x0 = float(tiles.Low().X),
                    x1 = float(tiles.High().X);
        const float y0 = float(tiles.Low().Y), y1 = float(tiles.High().Y);
        const float corners[12] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z};
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDepthMask(GL_FALSE);
        DrawFlat(corners, 4, GL_TRIANGLE_FAN, QVector4D(0.25f, 0.45f, 0.85f, 0.4f));
        glDepthMask(GL_TRUE);
        glDisable(GL_BLEND);
    }
    // The lines on the ground: the surface lies a little behind them (the polygon offset).
    if (!FLineRuns.empty()) {
        FProgram.setUniformValue("lit", false);
        FOverlayArray.bind();
        glVertexAttrib1f(1, 1.0f);
        for (const TLineRun& run : FLineRuns) {
            FProgram.setUniformValue("flatColour", QVector4D(((run.Colour >> 16) & 0xFF) / 255.0f,
                                                             ((run.Colour >> 8) & 0xFF) / 255.0f,
                                                             (run.Colour & 0xFF) / 255.0f, 1));
            glDrawArrays(GL_LINE_STRIP, run.First, run.Count);
        }
        FOverlayArray.release();
    }
    // The selected triangle, seen through whatever hides it.
    if (selected && selected->Vertex(1) && selected->Vertex(2) && selected->Vertex(3)) {
        float corners[9];
        for (int k = 0; k < 3; ++k) {
            const TTriVertex* v = selected->Vertex(k + 1);
            corners[k * 3] = float(v->Easting - tiles.CentreE);
            corners[k * 3 + 1] = float(v->Northing - tiles.CentreN);
            corners[k * 3 + 2] = float(v->Value - tiles.CentreZ);
        }
        glDisable(GL_DEPTH_TEST);
        DrawFlat(corners, 3, GL_LINE_LOOP, QVector4D(1, 0, 0, 1));
    }
    FProgram.release();
    glDisable(GL_DEPTH_TEST);
    return selection.Triangles;
}

TOffscreenOpenGL::TOffscreenOpenGL() {
    FSurface.setFormat(TTerrainRenderer3D::Format());
    FSurface.create();
    FContext.setFormat(TTerrainRenderer3D::Format());
    if (!FContext.create() || !FContext.makeCurrent(&FSurface)) {
        FProblem = "The 3D view needs OpenGL 3.3, and this display offers no OpenGL.";
        return;
    }
    FProblem = VersionProblem(FContext.format());
}

TOffscreenOpenGL::~TOffscreenOpenGL() {
    if (QOpenGLContext::currentContext() == &FContext)
        FContext.doneCurrent();
}

QImage RenderTerrainPicture3D(const TTriangleMesh& mesh, const TView3DLayers& layers, int width,
                              int height, double azimuth, double elevation,
                              TOffscreenOpenGL* context) {
    std::optional<TOffscreenOpenGL> own;
    TOffscreenOpenGL& gl = context ? *context : own.emplace();
    if (!gl.Problem().isEmpty())
        throw Exception(
            (gl.Problem() + " Run it on a display (a virtual one will do).").toStdString());
    TTerrainTiles tiles(mesh);
    TVec3 low = tiles.Low(), high = tiles.High();
    low.Z *= layers.Exaggeration;
    high.Z *= layers.Exaggeration;
    TOrbitCamera camera;
    camera.Frame(low, high);
    camera.SetView(camera.Target(), azimuth, elevation, camera.Distance());
    // Only what this one frame draws is sampled and uploaded.
    const TTileSelection drawn = tiles.SampleGridsFor(mesh, camera, height, layers.Exaggeration);
    QImage picture;
    {
        TTerrainRenderer3D renderer;
        if (const QString problem = renderer.Initialize(); !problem.isEmpty())
            throw Exception(problem.toStdString()); // the shaders
        QOpenGLFramebufferObjectFormat format;
        format.setAttachment(QOpenGLFramebufferObject::Depth);
        QOpenGLFramebufferObject target(width, height, format);
        target.bind();
        renderer.Upload(tiles, &drawn);
        auto& functions = *gl.Context().extraFunctions();
        functions.glViewport(0, 0, width, height);
        functions.glClearColor(0.93f, 0.94f, 0.96f, 1);
        functions.glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer.Draw(tiles, camera, width, height, layers, nullptr);
        picture = target.toImage();
        target.release();
        renderer.Release();
    }
    return picture;
}
