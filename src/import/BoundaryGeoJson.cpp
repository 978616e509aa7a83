#include "BoundaryGeoJson.h"
#include "SurfaceData.h"
#include "platform/Streams.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
[[noreturn]] void Refuse(const std::string& reason) {
    throw ESurfaceReadError(reason);
}

// The first Polygon geometry in the object, searched as GeoJSON nests them.
QJsonObject FirstPolygon(const QJsonObject& object) {
    const QString type = object.value("type").toString();
    if (type == "Polygon")
        return object;
    if (type == "Feature")
        return FirstPolygon(object.value("geometry").toObject());
    if (type == "FeatureCollection")
        for (const QJsonValue& feature : object.value("features").toArray())
            if (const QJsonObject polygon = FirstPolygon(feature.toObject()); !polygon.isEmpty())
                return polygon;
    return {};
}

std::vector<TPlanPoint> Ring(const QJsonArray& positions) {
    std::vector<TPlanPoint> ring;
    for (const QJsonValue& position : positions) {
        const QJsonArray xy = position.toArray();
        if (xy.size() < 2 || !xy[0].isDouble() || !xy[1].isDouble())
            Refuse("a position of the polygon is not two numbers");
        ring.push_back({xy[0].toDouble(), xy[1].toDouble()});
    }
    // GeoJSON repeats the first position at the end of a ring.
    if (ring.size() > 1 && ring.front() == ring.back())
        ring.pop_back();
    return ring;
}
} // namespace

TBoundary BoundaryFromGeoJson(const QByteArray& text) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError)
        Refuse("not JSON: " + error.errorString().toStdString() + " at character " +
               std::to_string(error.offset));
    const QJsonObject polygon = FirstPolygon(document.object());
    if (polygon.isEmpty())
        Refuse("no GeoJSON Polygon in the file");
    TBoundary boundary;
    for (const QJsonValue& ring : polygon.value("coordinates").toArray())
        boundary.Rings.push_back(Ring(ring.toArray()));
    if (const std::string problem = BoundaryProblem(boundary); !problem.empty())
        Refuse(problem);
    return boundary;
}

TBoundary ReadBoundaryGeoJson(const std::string& path) {
    TFileStream stream(path);
    QByteArray text(static_cast<qsizetype>(stream.Size()), Qt::Uninitialized);
    stream.ReadBuffer(text.data(), text.size());
    return BoundaryFromGeoJson(text);
}
