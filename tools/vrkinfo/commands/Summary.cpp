// vrkinfo FILE...: a short summary of each model: name, counts, extents, health.
#include "Run.h"
#include "inspect/HealthCheck.h"
#include "vrk/VRKModel.h"

#include <QJsonObject>

namespace vrkinfo {
namespace {
// Only counts.
class TCountedReport : public THealthReport {
public:
    void AddProblem(const QString&, const QString&, TTriangle*) override {}
};
} // namespace

int TRun::Summary(const QStringList& files) {
    return EachFile(files, [&](const QString& file, QJsonObject& json) {
        TVandrelTINModel model;
        if (!Read(model, file))
            return int(ExitUnreadable);
        TCountedReport counted;
        const int problems = CheckModel(model, counted);
        if (FLine.Json) {
            json["model"] = model.InternalName;
            json["vertices"] = model.Vertices().Count();
            json["triangles"] = model.Triangles().Count();
            json["edgeRecords"] = model.Edges.Count();
            json["startPoints"] = model.StartPoints.Count();
            if (model.Vertices().Count() > 0)
                json["extents"] = ExtentJson(ExtentOf(model));
            json["problems"] = problems;
            return int(ExitDone);
        }
        FOut << "File: " << file << '\n';
        FOut << "Model: " << model.InternalName << '\n';
        FOut << "Vertices: " << model.Vertices().Count() << '\n';
        FOut << "Triangles: " << model.Triangles().Count() << '\n';
        FOut << "Edge records: " << model.Edges.Count() << '\n';
        FOut << "Start points: " << model.StartPoints.Count() << '\n';
        if (model.Vertices().Count() > 0) {
            const TExtent e = ExtentOf(model);
            FOut << "Easting: " << Number(e.MinEasting) << " to " << Number(e.MaxEasting) << '\n';
            FOut << "Northing: " << Number(e.MinNorthing) << " to " << Number(e.MaxNorthing)
                 << '\n';
            FOut << "Value: " << Number(e.MinValue) << " to " << Number(e.MaxValue) << '\n';
        }
        FOut << "Health check: " << ProblemSummary(problems) << '\n';
        return int(ExitDone);
    });
}
} // namespace vrkinfo
