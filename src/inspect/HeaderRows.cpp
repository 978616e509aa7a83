#include "HeaderRows.h"
#include "platform/NumberText.h"

#include <QStringList>
#include <cstring>

namespace {
const char UnitNames[] = "Metres,Feet,US Survey Feet";
const char InterpolationNames[] = "Linear";
constexpr int GeneralDigits = 15;

template <size_t N> QString CharacterField(const char (&field)[N]) {
    const void* nul = std::memchr(field, 0, N);
    const qsizetype length = nul ? static_cast<const char*>(nul) - field : qsizetype(N);
    return QString::fromLatin1(field, length);
}
} // namespace

QString EnumName(int value, const QString& names) {
    const QStringList list = names.split(u',');
    if (value >= 1 && value <= list.size())
        return list[value - 1];
    return QString("(%1)").arg(value);
}

std::vector<THeaderRow> HeaderRows(const TVRKHeader& h, QChar separator) {
    auto number = [](long long value) { return QString::number(value); };
    auto real = [separator](double value) {
        return FormatGeneral(value, GeneralDigits, separator);
    };
    // The row's raw value, filled in below in the same order.
    auto withRaw = [](std::vector<THeaderRow> rows, const std::vector<QVariant>& raw) {
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i].Raw = raw[i];
        return rows;
    };
    auto text = [](const auto& field) { return QVariant(CharacterField(field)); };
    auto n = [](auto value) { return QVariant(static_cast<qlonglong>(value)); };
    auto d = [](double value) { return QVariant(value); };
    const std::vector<QVariant> raw = {
        n(h.FileMajorVersion),        n(h.FileMinorVersion),     text(h.FileSignature),
        text(h.DTMModelInternalName), n(h.CoordinateUnits),      n(h.VertexValueUnits),
        n(h.InterpolationMethod),     d(h.NorthingOffsetValue),  d(h.EastingOffsetValue),
        d(h.MinimumNorthing),         d(h.MinimumEasting),       d(h.MaximumNorthing),
        d(h.MaximumEasting),          n(h.VertexCoordinateSize), n(h.VertexValueSize),
        n(h.VertexNumberSize),        n(h.TriangleNumberSize),   n(h.StartOffsetOfVertices),
        n(h.NumberOfVertices),        n(h.VertexRecordSize),     n(h.StartOffsetOfTriangles),
        n(h.NumberOfTriangles),       n(h.TriangleRecordSize),   n(h.StartOffsetOfEdgeList),
        n(h.NumberOfEdgeRecords),     n(h.EdgeRecordSize),       n(h.StartOffsetOfStartPoints),
        n(h.NumberOfStartPoints),     n(h.StartPointRecordSize)};
    return withRaw(
        {
            {"FileMajorVersion", number(h.FileMajorVersion)},
            {"FileMinorVersion", number(h.FileMinorVersion)},
            {"FileSignature", CharacterField(h.FileSignature)},
            {"DTMModelInternalName", CharacterField(h.DTMModelInternalName)},
            {"CoordinateUnits", EnumName(h.CoordinateUnits, UnitNames)},
            {"VertexValueUnits", EnumName(h.VertexValueUnits, UnitNames)},
            {"InterpolationMethod", EnumName(h.InterpolationMethod, InterpolationNames)},
            {"NorthingOffsetValue", real(h.NorthingOffsetValue)},
            {"EastingOffsetValue", real(h.EastingOffsetValue)},
            {"MinimumNorthing", real(h.MinimumNorthing)},
            {"MinimumEasting", real(h.MinimumEasting)},
            {"MaximumNorthing", real(h.MaximumNorthing)},
            {"MaximumEasting", real(h.MaximumEasting)},
            {"VertexCoordinateSize", number(h.VertexCoordinateSize)},
            {"VertexValueSize", number(h.VertexValueSize)},
            {"VertexNumberSize", number(h.VertexNumberSize)},
            {"TriangleNumberSize", number(h.TriangleNumberSize)},
            {"StartOffsetOfVertices", number(h.StartOffsetOfVertices)},
            {"NumberOfVertices", number(h.NumberOfVertices)},
            {"VertexRecordSize", number(h.VertexRecordSize)},
            {"StartOffsetOfTriangles", number(h.StartOffsetOfTriangles)},
            {"NumberOfTriangles", number(h.NumberOfTriangles)},
            {"TriangleRecordSize", number(h.TriangleRecordSize)},
            {"StartOffsetOfEdgeList", number(h.StartOffsetOfEdgeList)},
            {"NumberOfEdgeRecords", number(h.NumberOfEdgeRecords)},
            {"EdgeRecordSize", number(h.EdgeRecordSize)},
            {"StartOffsetOfStartPoints", number(h.StartOffsetOfStartPoints)},
            {"NumberOfStartPoints", number(h.NumberOfStartPoints)},
            {"StartPointRecordSize", number(h.StartPointRecordSize)},
        },
        raw);
}
