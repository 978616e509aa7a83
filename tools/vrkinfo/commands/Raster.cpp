// vrkinfo raster FILE --cell SIZE OUT.tif: the elevation grid as GeoTIFF.
#include "Run.h"
#include "gis/RasterFiles.h"
#include "terrain/ElevationGrid.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>

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
    if (const QString problem = GridFrameProblem(model, cell.value_or(0), 1000000000);
        !problem.isEmpty())
        throw TUsageError{problem};
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    const TGridFrame frame = GridFrameOver(model, *cell);
    try {
        WriteElevationGeoTiff(output, frame, SampleElevations(model, frame, GridNoData),
                              system ? &*system : nullptr);
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}
} // namespace vrkinfo
