#include "SurfaceBuild.h"
#include "SurveyLines.h"
#include "SurveyPoints.h"
#include "import/SurfaceReaders.h"
#include "platform/FileNames.h"

namespace {
// Runs read, its failure named by the file: the readers of points and lines name it already,
// the mesh readers and the file system do not.
template <class Read> auto Named(const QString& fileName, Read read) {
    const std::string path = FileNameBytes(fileName).toStdString();
    try {
        return read(path);
    } catch (const EColumnsNeeded&) {
        throw;
    } catch (const ESurfaceReadError& error) {
        if (error.Message().rfind(path + ": ", 0) == 0)
            throw;
        throw ESurfaceReadError(path + ": " + error.Message());
    } catch (const EFOpenError& error) {
        throw ESurfaceReadError(path + ": " +
                                (error.Reason().empty() ? error.Message() : error.Reason()));
    }
}
} // namespace

std::vector<TSurfacePoint> ReadSurveyPoints(const QString& fileName, const QString& columns,
                                            const std::set<int>& classes) {
    return Named(fileName, [&](const std::string& path) {
        const TSurfaceFormat mesh = SurfaceFormatOfName(fileName);
        if (IsLasFile(path))
            return ReadLasPoints(path, classes);
        if (IsGisFileName(path))
            return ReadGisPoints(path);
        if (mesh == TSurfaceFormat::Ply || mesh == TSurfaceFormat::Obj)
            return ReadOtherSurface(path).Points; // a mesh's vertices, its faces aside
        return ReadTextPoints(path, columns);
    });
}

TSurfaceData BuildSurface(const TSurveyFiles& files, const TTriangulationOptions& options,
                          TTriangulationReport& report) {
    TSurfaceData surface;
    BuildSurfaceInto(files, options, report,
                     [&](const TSurfaceView& view) { surface = SurfaceOf(view); });
    return surface;
}

void BuildSurfaceInto(const TSurveyFiles& files, const TTriangulationOptions& options,
                      TTriangulationReport& report,
                      const std::function<void(const TSurfaceView&)>& use) {
    std::vector<TSurfacePoint> points;
    for (const QString& file : files.Points) {
        auto read = ReadSurveyPoints(file, files.Columns, files.Classes);
        if (points.empty())
            points = std::move(read); // one file of millions: no copy
        else
            points.insert(points.end(), read.begin(), read.end());
    }
    std::vector<TBreakline> breaklines;
    for (const QString& file : files.Breaklines) {
        const auto read = Named(file, [](const std::string& path) { return ReadBreaklines(path); });
        breaklines.insert(breaklines.end(), read.begin(), read.end());
    }
    std::optional<TBoundary> boundary;
    if (!files.Boundary.isEmpty())
        boundary = Named(files.Boundary, [&](const std::string& path) {
            return ReadBoundaryPolygon(path, files.BoundaryWhere.toStdString());
        });
    // The file names go before the triangulation's own refusals, not before use's.
    bool handedOver = false;
    try {
        TriangulateSurveyInto(std::move(points), breaklines, boundary ? &*boundary : nullptr,
                              options, report, [&](const TSurfaceView& view) {
                                  handedOver = true;
                                  use(view);
                              });
    } catch (const ESurfaceReadError& error) {
        if (handedOver)
            throw;
        throw ESurfaceReadError(FileNameBytes(files.Points.join(", ")).toStdString() + ": " +
                                error.Message());
    }
}
