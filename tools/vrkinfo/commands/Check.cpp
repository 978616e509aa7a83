// vrkinfo check FILE...: the health check's problems, one a line, and their summary.
#include "Run.h"
#include "inspect/HealthCheck.h"
#include "inspect/HealthCheckRows.h"
#include "vrk/VRKModel.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vrkinfo {
int TRun::Check(const QStringList& files) {
    return EachFile(files, [&](const QString& file, QJsonObject& json) {
        TVandrelTINModel model;
        if (!Read(model, file))
            return int(ExitUnreadable);
        THealthCheckRows report; // the problems kept compactly for the text or the JSON
        const int problems = CheckModel(model, report);
        if (FLine.Json) {
            QJsonArray rows;
            for (int row = 1; row <= report.ProblemCount(); ++row)
                rows.append(
                    QJsonObject{{"entity", report.Cell(0, row)}, {"problem", report.Cell(1, row)}});
            json["problems"] = rows;
            json["count"] = problems;
            json["summary"] = ProblemSummary(problems);
        } else {
            for (int row = 1; row <= report.ProblemCount(); ++row)
                FOut << report.Cell(0, row) << '\t' << report.Cell(1, row) << '\n';
            FOut << ProblemSummary(problems) << '\n';
        }
        return problems == 0 ? int(ExitDone) : int(ExitProblemsFound);
    });
}
} // namespace vrkinfo
