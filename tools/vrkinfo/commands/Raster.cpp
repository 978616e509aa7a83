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
        if (!(frame = GridFrameLike(*FLine.Like, MostGridCells, system, problem))) {
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
    std::optional<std::array<double, 4>> extent; // XMIN YMIN XMAX YMAX, when given
    if (!FLine.Extent.isEmpty()) {
        extent.emplace();
        for (qsizetype k = 0; k < FLine.Extent.size(); ++k) {
            const auto value = ParseCoordinate(FLine.Extent[k]);
            if (!value)
                throw TUsageError{QString("not a number: '%1'").arg(FLine.Extent[k])};
            (*extent)[size_t(k)] = *value;
        }
    }
    QString problem;
    const std::optional<TGridFrame> frame =
        GridFrameFor(model, ParseCoordinate(*FLine.Cell).value_or(0), extent, problem);
    if (!frame)
        throw TUsageError{problem};
    return *frame;
}
} // namespace vrkinfo
