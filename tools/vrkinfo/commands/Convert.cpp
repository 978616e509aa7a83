// vrkinfo convert FILE OUT: the model in the format OUT names.
#include "Run.h"
#include "vrk/VRKModel.h"

namespace vrkinfo {
int TRun::Convert(const QString& file, const QString& output) {
    const TModelFormat format = ModelFormatFor(output);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    return WriteModelFile(model, format, output, SystemFor(file, model));
}
} // namespace vrkinfo
