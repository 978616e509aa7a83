// vrkinfo build POINTS... OUT: a surface of survey points, breaklines and a boundary.
#include "Run.h"
#include "build/SurfaceBuild.h"
#include "build/SurveyPoints.h"
#include "export/ModelWriters.h"
#include "export/SavedFile.h"
#include "import/SurfaceData.h"
#include "platform/FileNames.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>

namespace vrkinfo {
namespace {
// The options of build, checked before any file is read.
TTriangulationOptions BuildOptions(const TCommandLine& line, std::set<int>& classes) {
    if (line.Columns && !ColumnLettersValid(*line.Columns))
        throw TUsageError{QString("--columns needs the letters of the columns, one each of N, E "
                                  "and Z, P and D as they come (such as PNEZD or PENZD): '%1'")
                              .arg(*line.Columns)};
    if (line.Class && !ClassesFromText(*line.Class, classes))
        throw TUsageError{
            QString("--class needs classes 0 to 255, with commas: '%1'").arg(*line.Class)};
    TTriangulationOptions options;
    if (line.MaxEdge) {
        const auto length = ParseCoordinate(*line.MaxEdge);
        if (!length || !(*length > 0))
            throw TUsageError{
                QString("--max-edge needs a length greater than 0: '%1'").arg(*line.MaxEdge)};
        options.MaxEdge = *length;
    }
    return options;
}
} // namespace

int TRun::WriteSurfaceFile(const TSurfaceView& surface, const QString& name,
                           const QString& output) {
    try {
        SaveFile(output, [&](QIODevice& out) { WriteVrkSurface(surface, name, 1, out); });
    } catch (const Exception& error) {
        return Failed(output, FileErrorText(error));
    }
    return ExitDone;
}

int TRun::Build(const QStringList& pointFiles, const QString& output) {
    const TModelFormat format = ModelFormatFor(output);
    std::optional<TCoordinateSystem> system; // checked before the files are read
    if (FLine.Crs) {
        QString problem;
        system = TCoordinateSystem::FromText(*FLine.Crs, problem);
        if (!system)
            throw TUsageError{problem};
    }
    TSurveyFiles files;
    const TTriangulationOptions options = BuildOptions(FLine, files.Classes);
    files.Points = pointFiles;
    files.Breaklines = FLine.Breaklines;
    files.Boundary = FLine.Boundary.value_or(QString());
    files.BoundaryWhere = FLine.BoundaryWhere.value_or(QString());
    files.Columns = FLine.Columns.value_or(QString());
    TTriangulationReport report;
    const QString name = FLine.Name.value_or(QFileInfo(output).completeBaseName());
    TVandrelTINModel model; // for the formats written from a model
    std::optional<int> written;
    try {
        if (format == TModelFormat::Vrk) // straight from the triangulation: no copy between
            BuildSurfaceInto(files, options, report, [&](const TSurfaceView& surface) {
                written = WriteSurfaceFile(surface, name, output);
            });
        else {
            TSurfaceData surface = BuildSurface(files, options, report);
            surface.Name = name;
            BuildModel(model, std::move(surface));
        }
    } catch (const EColumnsNeeded& error) {
        throw TUsageError{QString::fromStdString(error.Message())};
    } catch (const ESurfaceReadError& error) { // it names the file
        FErr << "vrkinfo: " << FileNameFromBytes(QByteArray::fromStdString(error.Message()))
             << '\n';
        return ExitUnreadable;
    }
    if (report.Repeated > 0)
        FErr << "vrkinfo: " << report.Repeated
             << " points at the place of an earlier one left out (" << report.RepeatedOtherValue
             << " of them with another elevation)\n";
    return written ? *written : WriteModelFile(model, format, output, system);
}
} // namespace vrkinfo
