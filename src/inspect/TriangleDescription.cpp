#include "TriangleDescription.h"
#include "model/Mesh.h"
#include "platform/NumberText.h"

QString TrianglePointsText(const TTriangle& triangle, QChar separator) {
    QString text;
    for (int k = 1; k <= 3; ++k) {
        const TTriVertex* v = triangle.Vertex(k);
        text +=
            QString("%1: %2, %3, %4\r\n")
                .arg(v->Number)
                .arg(FormatFixed(v->Easting, 3, separator), FormatFixed(v->Northing, 3, separator),
                     FormatFixed(v->Value, 3, separator));
    }
    return text;
}

QString DirectionText(const TTriangle& triangle) {
    return triangle.IsClockwise() ? "Clockwise" : "Anticlockwise";
}

QString NeighbourText(const TTriangle* neighbour) {
    return neighbour ? QString::number(neighbour->Number) : QString("None");
}

void TTriangleHistory::Add(TTriangle* triangle) {
    const size_t length = FEntries.empty() ? 1 : static_cast<size_t>(FIndex) + 2;
    FEntries.resize(length);
    FIndex = static_cast<int>(length) - 1;
    FEntries.back() = triangle;
}
