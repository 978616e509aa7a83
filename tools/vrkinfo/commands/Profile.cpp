// vrkinfo profile FILE E1 N1 E2 N2...: the section along a line, as CSV or 3D lines.
#include "terrain/Profile.h"
#include "Run.h"
#include "export/ProfileCsv.h"
#include "vrk/VRKModel.h"

#include <QBuffer>

namespace vrkinfo {
int TRun::Profile(const QString& file, const TPoints& points) {
    const std::vector<TPlanPoint> line = LineThrough(points);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const std::vector<TProfilePoint> profile = ComputeProfile(model, line);
    if (FLine.Output) { // the line on the ground, as 3D lines where it is on the model
        const TVectorFormat format = VectorFormatFor(*FLine.Output);
        const std::optional<TCoordinateSystem> system = SystemFor(file, model);
        NoteNoSystem(*FLine.Output, format, system);
        try {
            WriteVectorLines(*FLine.Output, format, "profile", ProfileVectorLines(profile), false,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        } catch (const Exception& error) {
            return GisFailed(*FLine.Output, error);
        }
        return ExitDone;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteProfileCsv(profile, buffer);
    FOut << QString::fromLatin1(buffer.data());
    return ExitDone;
}
} // namespace vrkinfo
