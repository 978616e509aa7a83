// vrkinfo find FILE E N...: the triangle under each point and the value there.
#include "Run.h"
#include "model/Geometry.h"
#include "vrk/VRKModel.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vrkinfo {
int TRun::Find(const QString& file, const TPoints& points) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    QJsonArray found;
    const std::vector<TTriangleMesh::TFound> triangles = model.FindTriangles(points);
    for (size_t p = 0; p < points.size(); ++p) {
        const auto& [easting, northing] = points[p];
        const TTriangle* triangle = triangles[p].Triangle;
        const double value = triangles[p].Value;
        if (FLine.Json) {
            const bool known = triangle && value != NullValue;
            found.append(
                QJsonObject{{"easting", easting},
                            {"northing", northing},
                            {"triangle", triangle ? QJsonValue(triangle->Number) : QJsonValue()},
                            {"value", known ? JsonNumber(value) : QJsonValue()}});
        } else if (!triangle) {
            FOut << "none\n";
        } else {
            FOut << triangle->Number << '\t'
                 << (value == NullValue ? QString("null") : Number(value)) << '\n';
        }
    }
    if (FLine.Json)
        WriteJson(QJsonObject{{"file", file}, {"points", found}});
    return ExitDone;
}
} // namespace vrkinfo
