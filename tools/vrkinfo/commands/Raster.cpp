// vrkinfo raster FILE --cell SIZE OUT.tif: the elevation grid as GeoTIFF.
#include "Run.h"
#include "gis/RasterFiles.h"
#include "terrain/ElevationGrid.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>
#include <array>

namespace vrkinfo {
int TRun::Raster(const QString& file, const QString& output) {
    if (FLine.Like && (FLine.Cell || !FLine.Extent.isEmpty()))
        throw TUsageError{"--like takes the grid's extent and cell size: not with --cell or "
                          "--extent"};
    if (!FLine.Cell && !FLine.Like)
        throw TUsageError{"raster needs --cell SIZE"};
    if (const QString suffix = QFileInfo(output).suffix().toLower();
        suffix != "tif" && suffix != "tiff")
        throw TUsageError{QString("raster writes GeoTIFF (.tif or .tiff), not '%1'").arg(output)};
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    std::optional<TCoordinateSystem> system = SystemFor(file, model);
    std::optional<TGridFrame> frame;
    if (FLine.Like) {
        QString problem;
        if (!(frame = GridFrameLike(*FLine.Like, 1000000000, system, problem))) {
            Failed(*FLine.Like, problem);
            return ExitUnreadable;
        }
    } else {
        frame = FrameOfOptions(model);
    }
    try {
        WriteElevationGeoTiff(output, *frame, SampleElevations(model, *frame, GridNoData),
                              system ? &*system : nullptr);
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}

TGridFrame TRun::FrameOfOptions(const TTriangleMesh& model) const {
    const auto cell = ParseCoordinate(*FLine.Cell);
    std::array<double, 4> extent{}; // XMIN YMIN XMAX YMAX, when given
    for (qsizetype k = 0; k < FLine.Extent.size(); ++k) {
        const auto value = ParseCoordinate(FLine.Extent[k]);
        if (!value)
            throw TUsageError{QString("not a number: '%1'").arg(FLine.Extent[k])};
        extent[size_t(k)] = *value;
    }
    const bool chosen = !FLine.Extent.isEmpty();
    if (const QString problem = chosen ? GridFrameProblem(extent[0], extent[1], extent[2],
                                                          extent[3], cell.value_or(0), 1000000000)
                                       : GridFrameProblem(model, cell.value_or(0), 1000000000);
        !problem.isEmpty())
        throw TUsageError{problem};
    return chosen ? GridFrameOver(extent[0], extent[1], extent[2], extent[3], *cell)
                  : GridFrameOver(model, *cell);
}
} // namespace vrkinfo
