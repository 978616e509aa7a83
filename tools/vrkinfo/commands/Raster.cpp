// vrkinfo raster FILE --cell SIZE OUT.tif: the elevation grid as GeoTIFF.
#include "Run.h"
#include "gis/RasterFiles.h"
#include "terrain/ElevationGrid.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>
#include <array>

namespace vrkinfo {
int TRun::Raster(const QString& file, const QString& output) {
    if (!FLine.Cell)
        throw TUsageError{"raster needs --cell SIZE"};
    const auto cell = ParseCoordinate(*FLine.Cell);
    if (const QString suffix = QFileInfo(output).suffix().toLower();
        suffix != "tif" && suffix != "tiff")
        throw TUsageError{QString("raster writes GeoTIFF (.tif or .tiff), not '%1'").arg(output)};
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
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
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    const TGridFrame frame = chosen
                                 ? GridFrameOver(extent[0], extent[1], extent[2], extent[3], *cell)
                                 : GridFrameOver(model, *cell);
    try {
        WriteElevationGeoTiff(output, frame, SampleElevations(model, frame, GridNoData),
                              system ? &*system : nullptr);
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}
} // namespace vrkinfo
