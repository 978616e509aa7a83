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
    // Each row: the field's name, its text, and its own value.
    auto number = [](const char* name, long long value) {
        return THeaderRow{name, QString::number(value), QVariant(qlonglong(value))};
    };
    auto real = [separator](const char* name, double value) {
        return THeaderRow{name, FormatGeneral(value, GeneralDigits, separator), QVariant(value)};
    };
    auto named = [](const char* name, int value, const char* names) {
        return THeaderRow{name, EnumName(value, names), QVariant(qlonglong(value))};
    };
    auto text = [](const char* name, const QString& value) {
        return THeaderRow{name, value, QVariant(value)};
    };
    return {
        number("FileMajorVersion", h.FileMajorVersion),
        number("FileMinorVersion", h.FileMinorVersion),
        text("FileSignature", CharacterField(h.FileSignature)),
        text("DTMModelInternalName", CharacterField(h.DTMModelInternalName)),
        named("CoordinateUnits", h.CoordinateUnits, UnitNames),
        named("VertexValueUnits", h.VertexValueUnits, UnitNames),
        named("InterpolationMethod", h.InterpolationMethod, InterpolationNames),
        real("NorthingOffsetValue", h.NorthingOffsetValue),
        real("EastingOffsetValue", h.EastingOffsetValue),
        real("MinimumNorthing", h.MinimumNorthing),
        real("MinimumEasting", h.MinimumEasting),
        real("MaximumNorthing", h.MaximumNorthing),
        real("MaximumEasting", h.MaximumEasting),
        number("VertexCoordinateSize", h.VertexCoordinateSize),
        number("VertexValueSize", h.VertexValueSize),
        number("VertexNumberSize", h.VertexNumberSize),
        number("TriangleNumberSize", h.TriangleNumberSize),
        number("StartOffsetOfVertices", h.StartOffsetOfVertices),
        number("NumberOfVertices", h.NumberOfVertices),
        number("VertexRecordSize", h.VertexRecordSize),
        number("StartOffsetOfTriangles", h.StartOffsetOfTriangles),
        number("NumberOfTriangles", h.NumberOfTriangles),
        number("TriangleRecordSize", h.TriangleRecordSize),
        number("StartOffsetOfEdgeList", h.StartOffsetOfEdgeList),
        number("NumberOfEdgeRecords", h.NumberOfEdgeRecords),
        number("EdgeRecordSize", h.EdgeRecordSize),
        number("StartOffsetOfStartPoints", h.StartOffsetOfStartPoints),
        number("NumberOfStartPoints", h.NumberOfStartPoints),
        number("StartPointRecordSize", h.StartPointRecordSize),
    };
}
