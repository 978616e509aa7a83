// vrkinfo volume FILE (OTHER | --level Z): cut, fill and net between two surfaces.
#include "Run.h"
#include "app/ModelPicture.h"
#include "app/TerrainDrawing.h"
#include "compare/Difference.h"
#include "compare/Volumes.h"
#include "export/SavedFile.h"
#include "export/VolumeReportPages.h"
#include "vrk/VRKModel.h"

#include <QDateTime>
#include <QFileInfo>
#include <QGuiApplication>
#include <cmath>

namespace vrkinfo {
int TRun::Volume(const QString& file, const std::optional<QString>& other) {
    if (FLine.Level.has_value() == other.has_value())
        throw TUsageError{other ? "volume takes OTHER or --level Z, not both"
                                : "volume needs OTHER or --level Z"};
    std::optional<double> level;
    if (FLine.Level && !(level = ParseCoordinate(*FLine.Level)))
        throw TUsageError{QString("not a number: '%1'").arg(*FLine.Level)};
    if (FLine.Report && !VolumeReportFormatKnown(*FLine.Report))
        throw TUsageError{QString("cannot tell the report's format from '%1': .pdf, .html, .csv "
                                  "or .json")
                              .arg(*FLine.Report)};
    if (FLine.Report && QFileInfo(*FLine.Report).suffix().toLower() == "pdf" &&
        !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw TUsageError{"the PDF report is laid out with the viewer's fonts, which this run "
                          "has not"};
    double tolerance = 0; // where |d| is within it the ground counts as unchanged
    if (FLine.Tolerance) {
        const auto given = ParseCoordinate(*FLine.Tolerance);
        if (!given || *given < 0)
            throw TUsageError{
                QString("--tolerance needs a length of 0 or more: '%1'").arg(*FLine.Tolerance)};
        tolerance = *given;
    }
    if (FLine.OtherSurface && !other)
        throw TUsageError{"--other-surface names a surface of OTHER, which volume is not given"};
    if (FLine.ZeroLine && !other)
        throw TUsageError{"--zero-line needs OTHER: a level meets the model where its contour is"};
    const TVectorFormat zeroLineFormat =
        FLine.ZeroLine ? VectorFormatFor(*FLine.ZeroLine) : TVectorFormat::GeoJson;
    TBoundary boundary;
    if (FLine.Boundary && !ReadPolygon(boundary, *FLine.Boundary))
        return ExitUnreadable;
    TVandrelTINModel model, surface;
    if (!Read(model, file) || (other && !Read(surface, *other, true)))
        return ExitUnreadable;
    const TComparison with{other ? &surface : nullptr, level.value_or(0), tolerance};
    const TBoundary* within = FLine.Boundary ? &boundary : nullptr;
    // Against a level without a boundary, each triangle is split on its own.
    const TVolumes volumes = other || within ? CompareVolumes(model.Triangles(), with, within)
                                             : VolumesToLevel(model.Triangles(), *level, tolerance);
    if (level && !(std::isfinite(volumes.Cut) && std::isfinite(volumes.Fill) &&
                   std::isfinite(volumes.Cut - volumes.Fill)))
        throw TUsageError{QString("the level %1 lies so far from the model that its volume "
                                  "overflows a number")
                              .arg(*FLine.Level)};
    WriteFigures(file, VolumeFigures(volumes, FLine.Tolerance.has_value()));
    if (FLine.Report) {
        TVolumeReport report;
        report.Model = model.InternalName;
        report.Against = other ? "surface " + surface.InternalName : "level " + *FLine.Level;
        report.Unit = LengthUnitText(model.Header.CoordinateUnits).trimmed();
        report.Volumes = volumes;
        report.Tolerance = tolerance;
        report.Created = QDateTime::currentDateTime().toString(Qt::ISODate);
        report.Program = QString("vrkinfo ") + VRK_VERSION;
        report.ModelFile = QFileInfo(file).absoluteFilePath();
        report.AgainstFile = other ? QFileInfo(*other).absoluteFilePath() : QString();
        const std::optional<TCoordinateSystem> system = SystemFor(file, model);
        report.System = system ? system->Name() : QString();
        if (within)
            report.Boundary = BoundaryParticulars(boundary, *FLine.Boundary, report.Unit);
        QImage map; // on the PDF, the difference in plan
        if (QFileInfo(*FLine.Report).suffix().toLower() == "pdf") {
            TTerrainLayers difference;
            difference.CompareSurface = other ? &surface : nullptr;
            difference.CompareLevel = level;
            difference.Difference = true;
            map = VolumeReportMap(model, difference, within, report.Unit, 1000, 700);
        }
        try {
            SaveFile(*FLine.Report,
                     [&](QIODevice& out) { WriteVolumeReport(report, *FLine.Report, out, map); });
        } catch (const Exception& error) {
            return Failed(*FLine.Report, FileErrorText(error));
        }
    }
    if (FLine.ZeroLine) { // where the two surfaces meet
        const TSurfaceDifference difference = CompareSurfaces(model, surface);
        const std::optional<TCoordinateSystem> system = SystemFor(file, model);
        NoteNoSystem(*FLine.ZeroLine, zeroLineFormat, system);
        try {
            WriteVectorLines(*FLine.ZeroLine, zeroLineFormat, "zero_line",
                             ZeroLineVectorLines(difference.ZeroLine, model), false,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        } catch (const Exception& error) {
            return GisFailed(*FLine.ZeroLine, error);
        }
    }
    return ExitDone;
}
} // namespace vrkinfo
