// vrkinfo picture FILE OUT: the view in plan or 3D as a picture.
#include "Run.h"
#include "app/ModelPicture.h"
#include "app/PictureExport.h"
#include "terrain/Contours.h"
#include "view3d/TerrainRenderer3D.h"
#include "vrk/VRKModel.h"

#include <QApplication>

#include <exception>
#include <optional>
#include <thread>

namespace vrkinfo {
int TRun::Picture(const QString& file, const QString& output) {
    TModelPicture picture;
    if (FLine.Size) {
        const QStringList sides = FLine.Size->split('x');
        bool wide = false, high = false;
        if (sides.size() == 2) {
            picture.Width = sides[0].toInt(&wide);
            picture.Height = sides[1].toInt(&high);
        }
        if (!wide || !high || picture.Width < 1 || picture.Height < 1 || picture.Width > 16384 ||
            picture.Height > 16384)
            throw TUsageError{
                QString("--size needs WIDTHxHEIGHT, each 1 to 16384: '%1'").arg(*FLine.Size)};
    }
    auto number = [](const std::optional<QString>& text, double otherwise) {
        if (!text)
            return otherwise;
        const auto value = ParseCoordinate(*text);
        if (!value)
            throw TUsageError{QString("not a number: '%1'").arg(*text)};
        return *value;
    };
    picture.ThreeD = FLine.ThreeD;
    picture.Azimuth = number(FLine.Azimuth, picture.Azimuth);
    picture.Elevation = number(FLine.Elevation, picture.Elevation);
    picture.Terrain.Colours = FLine.Colours;
    picture.Terrain.Hillshade = FLine.Hillshade;
    picture.Terrain.Exaggeration = number(FLine.Exaggeration, 1);
    if (!(picture.Terrain.Exaggeration > 0) || picture.Terrain.Exaggeration > 1000)
        throw TUsageError{"--exaggeration needs a number greater than 0, at most 1000"};
    if (!picture.ThreeD && (FLine.Azimuth || FLine.Elevation))
        throw TUsageError{"--azimuth and --elevation go with --3d"};
    TPictureFormat format;
    if (!PictureFormatOf(output, format) || format == TPictureFormat::GeoTiff ||
        (picture.ThreeD && format != TPictureFormat::Png))
        throw TUsageError{picture.ThreeD ? "the 3D picture is PNG (.png)"
                                         : "picture writes PNG (.png), SVG (.svg) or PDF (.pdf)"};
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw TUsageError{"picture draws with the viewer's windows, which this run has not"};
    // The difference with another surface or a level, drawn as the viewer's difference layer.
    if (FLine.Compare && FLine.Level)
        throw TUsageError{"picture compares with OTHER or a level, not both"};
    std::optional<double> level;
    if (FLine.Level && !(level = ParseCoordinate(*FLine.Level)))
        throw TUsageError{QString("not a number: '%1'").arg(*FLine.Level)};
    TVandrelTINModel model, other;
    auto readBoth = [&] {
        return Read(model, file) && (!FLine.Compare || Read(other, *FLine.Compare, true));
    };
    // The 3D picture's OpenGL context is made on this thread while another reads: loading the
    // driver takes a third as long as reading a model of millions of triangles.
    std::optional<TOffscreenOpenGL> context;
    bool read = false;
    if (picture.ThreeD) {
        std::exception_ptr failure;
        {
            const std::jthread reader([&] {
                try {
                    read = readBoth();
                } catch (...) {
                    failure = std::current_exception();
                }
            });
            context.emplace();
        }
        if (failure)
            std::rethrow_exception(failure);
        picture.Context = &*context;
    } else {
        read = readBoth();
    }
    if (!read)
        return ExitUnreadable;
    if (FLine.Compare || level) {
        picture.Terrain.CompareSurface = FLine.Compare ? &other : nullptr;
        picture.Terrain.CompareLevel = level;
        picture.Terrain.Difference = true;
    }
    if (FLine.ContourInterval) {
        const auto [low, high] = FiniteValueRange(model.Vertices());
        const auto settings =
            ContourSettingsFromText(*FLine.ContourInterval, "0", 5, true, low, high);
        if (const QString* problem = std::get_if<QString>(&settings))
            throw TUsageError{*problem};
        picture.Terrain.Contours = true;
        picture.Terrain.Contour = std::get<TContourSettings>(settings);
    }
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    try {
        WriteModelPicture(model, picture, output, system ? &*system : nullptr);
    } catch (const Exception& error) {
        return Failed(output, FileErrorText(error));
    }
    return ExitDone;
}
} // namespace vrkinfo
