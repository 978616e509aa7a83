#include "RasterFiles.h"
#include "CoordinateSystem.h"
#include "GdalFiles.h"
#include "platform/NumberText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gdal_priv.h>

#include <cmath>
#include <memory>

namespace {
struct TCloseDataset {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using TDataset = std::unique_ptr<GDALDataset, TCloseDataset>;

TDataset CreateGeoTiff(const QString& target, const std::string& path, int columns, int rows,
                       int bands, GDALDataType type, const double transform[6],
                       const TCoordinateSystem* system) {
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
    if (!driver)
        GdalFailed(target, "finding the GeoTIFF driver");
    // Compressed without loss, as GIS programs read it: a grid of a flat site is mostly repeats.
    const char* options[] = {"BIGTIFF=IF_SAFER", "COMPRESS=DEFLATE", nullptr};
    TDataset dataset(
        driver->Create(path.c_str(), columns, rows, bands, type, const_cast<char**>(options)));
    if (!dataset)
        GdalFailed(target, "creating the file");
    double geoTransform[6];
    std::copy(transform, transform + 6, geoTransform);
    if (dataset->SetGeoTransform(geoTransform) != CE_None)
        GdalFailed(target, "setting the grid's place");
    if (system && dataset->SetSpatialRef(&system->Reference()) != CE_None)
        GdalFailed(target, "setting the coordinate system");
    return dataset;
}
} // namespace

void WriteElevationGeoTiff(const QString& fileName, const TGridFrame& frame,
                           const TLargeArray<float>& values, const TCoordinateSystem* system) {
    SaveWithGdal(fileName, [&](const std::string& path) {
        const double transform[6] = {frame.West, frame.Cell, 0, frame.North, 0, -frame.Cell};
        TDataset dataset = CreateGeoTiff(fileName, path, frame.Columns, frame.Rows, 1, GDT_Float32,
                                         transform, system);
        GDALRasterBand* band = dataset->GetRasterBand(1);
        band->SetNoDataValue(GridNoData);
        // In bands of rows, so that no second copy of a big grid is made.
        const int step = std::max(1, (1 << 24) / std::max(1, frame.Columns));
        for (int row = 0; row < frame.Rows; row += step) {
            const int count = std::min(step, frame.Rows - row);
            if (band->RasterIO(GF_Write, 0, row, frame.Columns, count,
                               const_cast<float*>(values.data() + size_t(row) * frame.Columns),
                               frame.Columns, count, GDT_Float32, 0, 0) != CE_None)
                GdalFailed(fileName, "writing the grid");
        }
    });
}

std::optional<TGridFrame>
ReadGridFrame(const QString& fileName, std::optional<TCoordinateSystem>& system, QString& problem) {
    InitGdal();
    CPLErrorReset();
    CPLPushErrorHandler(CPLQuietErrorHandler);
    const TDataset dataset(GDALDataset::FromHandle(
        GDALOpenEx(QFile::encodeName(fileName).constData(), GDAL_OF_RASTER | GDAL_OF_READONLY,
                   nullptr, nullptr, nullptr)));
    CPLPopErrorHandler();
    double transform[6];
    if (!dataset) {
        const QString reason = QString::fromUtf8(CPLGetLastErrorMsg());
        problem = reason.isEmpty() ? "not a grid that GDAL reads" : reason;
        return std::nullopt;
    }
    if (dataset->GetGeoTransform(transform) != CE_None) {
        problem = "the grid has no place (no geotransform)";
        return std::nullopt;
    }
    const double cell = transform[1];
    if (transform[2] != 0 || transform[4] != 0 || !(cell > 0) || transform[5] != -cell ||
        !std::isfinite(transform[0]) || !std::isfinite(transform[3])) {
        problem = "the grid is not north up with square cells";
        return std::nullopt;
    }
    system.reset();
    if (const OGRSpatialReference* reference = dataset->GetSpatialRef()) {
        char* wkt = nullptr;
        reference->exportToWkt(&wkt);
        QString unreadable;
        system = TCoordinateSystem::FromText(QString::fromUtf8(wkt), unreadable);
        CPLFree(wkt);
    }
    return TGridFrame{transform[0], transform[3], cell, dataset->GetRasterXSize(),
                      dataset->GetRasterYSize()};
}

std::optional<TGridFrame> GridFrameLike(const QString& gridFile, int64_t mostCells,
                                        std::optional<TCoordinateSystem>& system,
                                        QString& problem) {
    std::optional<TCoordinateSystem> gridSystem;
    std::optional<TGridFrame> frame = ReadGridFrame(gridFile, gridSystem, problem);
    if (frame && int64_t(frame->Columns) * frame->Rows > mostCells)
        problem = QString("the grid has more than %1 cells").arg(mostCells);
    else if (frame && system && gridSystem && !system->SameAs(*gridSystem))
        problem = "its coordinate system is not the model's (" + gridSystem->Name() + ", not " +
                  system->Name() + ")";
    if (!problem.isEmpty())
        return std::nullopt;
    if (!system)
        system = gridSystem;
    return frame;
}

void WritePictureGeoTiff(const QString& fileName, const QImage& picture, const TPictureFrame& frame,
                         const TCoordinateSystem* system) {
    const QImage rgba = picture.convertToFormat(QImage::Format_RGBA8888);
    SaveWithGdal(fileName, [&](const std::string& path) {
        const double transform[6] = {frame.West, frame.PixelWidth,  0, frame.North,
                                     0,          -frame.PixelHeight};
        TDataset dataset = CreateGeoTiff(fileName, path, rgba.width(), rgba.height(), 4, GDT_Byte,
                                         transform, system);
        // The four bytes of each pixel go to the four bands.
        for (int b = 1; b <= 4; ++b) {
            GDALRasterBand* band = dataset->GetRasterBand(b);
            band->SetColorInterpretation(GDALColorInterp(GCI_RedBand + b - 1));
            for (int row = 0; row < rgba.height(); ++row)
                if (band->RasterIO(GF_Write, 0, row, rgba.width(), 1,
                                   const_cast<uchar*>(rgba.constScanLine(row)) + (b - 1),
                                   rgba.width(), 1, GDT_Byte, 4, 0) != CE_None)
                    GdalFailed(fileName, "writing the picture");
        }
    });
}

QByteArray WorldFileText(const TPictureFrame& frame) {
    auto number = [](double value) { return FormatGeneral(value, 17, u'.').toLatin1() + '\n'; };
    return number(frame.PixelWidth) + number(0) + number(0) + number(-frame.PixelHeight) +
           number(frame.West + frame.PixelWidth / 2) + number(frame.North - frame.PixelHeight / 2);
}

QByteArray AuxiliarySystemXml(const TCoordinateSystem& system) {
    return ("<PAMDataset>\n  <SRS>" + system.OgcWkt().toHtmlEscaped() + "</SRS>\n</PAMDataset>\n")
        .toUtf8();
}

QString WorldFileName(const QString& pictureFileName) {
    const QFileInfo info(pictureFileName);
    const QString suffix = info.suffix().toLower();
    const QString world = suffix == "png"                       ? "pgw"
                          : suffix == "jpg" || suffix == "jpeg" ? "jgw"
                          : suffix == "tif" || suffix == "tiff" ? "tfw"
                          : suffix == "bmp"                     ? "bpw"
                                                                : "wld";
    return info.dir().filePath(info.completeBaseName() + "." + world);
}
