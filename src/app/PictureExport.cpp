#include "PictureExport.h"
#include "Components/MapView.h"
#include "export/SavedFile.h"
#include "gis/RasterFiles.h"
#include "platform/Exceptions.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

bool PictureFormatOf(const QString& fileName, TPictureFormat& format) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "png")
        format = TPictureFormat::Png;
    else if (suffix == "svg")
        format = TPictureFormat::Svg;
    else if (suffix == "pdf")
        format = TPictureFormat::Pdf;
    else if (suffix == "tif" || suffix == "tiff")
        format = TPictureFormat::GeoTiff;
    else
        return false;
    return true;
}

namespace {
// Markers and overlays keep their size against the picture: its pixels per inch grow with it.
int PictureDpi(const TMapView& view, int width) {
    return std::max(1, qRound(view.logicalDpiX() * double(width) / view.State().ClientWidth));
}

void PaintPicture(TMapView& view, QPainter& painter, int width, int height) {
    painter.fillRect(0, 0, width, height, ToQColor(view.Color()));
    TPainterCanvas canvas(painter);
    view.DrawPicture(canvas, {0, 0, width, height});
}
} // namespace

namespace {
QImage PictureImage(TMapView& view, int width, int height, int dpi) {
    QImage image = NewImage(width, height, QImage::Format_RGB32);
    image.fill(ToQColor(view.Color()));
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    TImageCanvas canvas(image);
    view.DrawPicture(canvas, {0, 0, width, height});
    return image;
}
} // namespace

QImage ViewImage(TMapView& view, int width, int height) {
    return PictureImage(view, width, height, PictureDpi(view, width));
}

TPictureFrame PictureFrameOf(const TMapViewState& view, int width, int height) {
    // The view's extent spans the picture, pixel centres at whole pixel coordinates: the first
    // pixel's centre is the view's left edge.
    const double pixelWidth = view.ViewWidth / width, pixelHeight = view.ViewHeight / height;
    return {view.ViewLeft - pixelWidth / 2, view.ViewBottom + view.ViewHeight + pixelHeight / 2,
            pixelWidth, pixelHeight};
}

void ExportPicture(TMapView& view, const QString& fileName, int width, int height,
                   const TCoordinateSystem* system) {
    TPictureFormat format;
    if (!PictureFormatOf(fileName, format))
        throw Exception(
            QString("Cannot tell the picture format of %1: use .png, .svg, .pdf or .tif.")
                .arg(fileName)
                .toStdString());
    if (width < 1 || height < 1 || view.State().ClientWidth < 1)
        throw Exception("The picture has no size.");
    const int dpi = PictureDpi(view, width);
    if (format == TPictureFormat::GeoTiff) {
        const TPictureFrame frame = PictureFrameOf(view.State(), width, height);
        return WritePictureGeoTiff(fileName, PictureImage(view, width, height, dpi), frame, system);
    }
    SaveFile(fileName, [&](QIODevice& out) {
        switch (format) {
        case TPictureFormat::GeoTiff:
        case TPictureFormat::Png: {
            const QImage image = PictureImage(view, width, height, dpi);
            if (!image.save(&out, "PNG"))
                throw Exception("The PNG picture could not be written.");
            break;
        }
        case TPictureFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&out);
            svg.setSize(QSize(width, height));
            svg.setViewBox(QRect(0, 0, width, height));
            svg.setResolution(dpi);
            svg.setTitle(view.MiddleCaption);
            QPainter painter(&svg);
            PaintPicture(view, painter, width, height);
            break;
        }
        case TPictureFormat::Pdf: {
            QPdfWriter pdf(&out);
            pdf.setResolution(dpi);
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setPageSize(QPageSize(QSizeF(width * 72.0 / dpi, height * 72.0 / dpi),
                                      QPageSize::Point, QString(), QPageSize::ExactMatch));
            QPainter painter(&pdf);
            PaintPicture(view, painter, width, height);
            break;
        }
        }
    });
    // With a coordinate system, a PNG gets its world file and its system, so that a GIS lays
    // it in place.
    if (format == TPictureFormat::Png && system) {
        const QByteArray world = WorldFileText(PictureFrameOf(view.State(), width, height));
        SaveFile(WorldFileName(fileName), [&](QIODevice& out) { out.write(world); });
        const QByteArray auxiliary = AuxiliarySystemXml(*system);
        SaveFile(fileName + ".aux.xml", [&](QIODevice& out) { out.write(auxiliary); });
    }
}
