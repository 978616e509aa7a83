#pragma once
// Rasters in place for GIS programs, through GDAL: the elevation grid as a Float32 GeoTIFF,
// and a picture of the map as an RGBA GeoTIFF; a picture's world file for any other image.
#include "terrain/ElevationGrid.h"

#include <QString>

#include "CoordinateSystem.h"

#include <limits>
#include <optional>
#include <vector>

class QImage;

// The no-data value of the elevation grid: the lowest Float32, as GIS programs expect.
inline constexpr float GridNoData = -std::numeric_limits<float>::max();

// Whole or not at all (EFWriteError).
void WriteElevationGeoTiff(const QString& fileName, const TGridFrame& frame,
                           const TLargeArray<float>& values, const TCoordinateSystem* system);

// The frame of an existing north-up grid of square cells (another survey's GeoTIFF) and its
// coordinate system, if it names one; none, with the reason, for a file that is not such a grid.
std::optional<TGridFrame> ReadGridFrame(const QString& fileName,
                                        std::optional<TCoordinateSystem>& system, QString& problem);
// A grid cell on cell over another: that grid's frame, refused (with the reason) when it is
// not such a grid, has more than mostCells, or names a system other than the model's; system
// becomes the grid's where the model has none.
std::optional<TGridFrame> GridFrameLike(const QString& gridFile, int64_t mostCells,
                                        std::optional<TCoordinateSystem>& system, QString& problem);

// The picture's pixels over the plan rectangle west..east by south..north.
struct TPictureFrame {
    double West, North, PixelWidth, PixelHeight;
};
void WritePictureGeoTiff(const QString& fileName, const QImage& picture, const TPictureFrame& frame,
                         const TCoordinateSystem* system);
// The six lines of a world file: pixel width, two rotations, minus the pixel height, and the
// centre of the upper-left pixel.
QByteArray WorldFileText(const TPictureFrame& frame);
// The world file's name for a picture: .png gives .pgw, .jpg .jgw, .tif .tfw, others .wld.
QString WorldFileName(const QString& pictureFileName);
// The picture's coordinate system as GDAL's auxiliary file beside it (PICTURE.aux.xml), which
// GIS programs read with the world file.
QByteArray AuxiliarySystemXml(const TCoordinateSystem& system);
