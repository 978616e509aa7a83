// vrkinfo extents FILE: the six extremes of the model's vertices.
#include "Run.h"
#include "vrk/VRKModel.h"

#include <QJsonObject>

namespace vrkinfo {
int TRun::Extents(const QString& file) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TExtent e = ExtentOf(model);
    if (FLine.Json) {
        WriteJson(QJsonObject{{"file", file}, {"extents", ExtentJson(e)}});
        return ExitDone;
    }
    FOut << QStringList{Number(e.MinEasting), Number(e.MinNorthing), Number(e.MinValue),
                        Number(e.MaxEasting), Number(e.MaxNorthing), Number(e.MaxValue)}
                .join('\t')
         << '\n';
    return ExitDone;
}
} // namespace vrkinfo
