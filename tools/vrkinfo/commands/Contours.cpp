// vrkinfo contours FILE OUT: exact contours as GeoJSON or another vector format.
#include "terrain/Contours.h"
#include "Run.h"
#include "export/ContourGeoJson.h"
#include "export/SavedFile.h"
#include "vrk/VRKModel.h"

namespace vrkinfo {
int TRun::Contours(const QString& file, const QString& output) {
    if (!FLine.Interval)
        throw TUsageError{"contours needs --interval"};
    const TVectorFormat format = VectorFormatFor(output);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    // The levels are counted over the finite elevations: a point at infinity has no contour.
    const auto [low, high] = FiniteValueRange(model.Vertices());
    int indexEvery = 0; // every N-th level an index contour: the attribute and the DXF layer
    if (FLine.Index) {
        bool ok = false;
        indexEvery = FLine.Index->toInt(&ok);
        if (!ok || indexEvery < 1 || indexEvery > 1000)
            throw TUsageError{
                QString("--index needs a whole number 1 to 1000: '%1'").arg(*FLine.Index)};
    }
    const auto settings = ContourSettingsFromText(*FLine.Interval, FLine.Base.value_or("0"),
                                                  indexEvery, false, low, high);
    if (const QString* problem = std::get_if<QString>(&settings))
        throw TUsageError{*problem};
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    try {
        const auto lines = TraceContours(model.Triangles(), std::get<TContourSettings>(settings));
        if (format == TVectorFormat::GeoJson && !system) {
            NoteNoSystem(output, format, system);
            SaveFile(output, [&](QIODevice& out) { WriteContoursGeoJson(lines, out, true); });
        } else {
            WriteVectorLines(output, format, "contours", ContourVectorLines(lines), true,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        }
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}
} // namespace vrkinfo
