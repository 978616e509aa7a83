#pragma once
// What the triangle information window shows of a triangle, and the history of the triangles
// it has visited.
#include <QChar>
#include <QString>
#include <vector>

class TTriangle;
struct TTriangleSlope;

// One line a vertex: "number: easting, northing, value" with three decimals, each line ending
// in a carriage return and line feed.
QString TrianglePointsText(const TTriangle& triangle, QChar decimalSeparator);
// "Clockwise" or "Anticlockwise".
QString DirectionText(const TTriangle& triangle);
// A neighbour's number, or "None".
QString NeighbourText(const TTriangle* neighbour);

// The triangles visited, oldest first, with the position of the one shown; like a browser's
// history, visiting after stepping back drops the forward part.
// "Slope 12.50 % (7.13°), aspect 225.0°", or "flat" for the aspect; empty without a slope.
QString SlopeText(const TTriangleSlope& slope, QChar decimalSeparator);
// "12.500 in plan, 13.975 on the surface"; empty without an area.
QString AreaText(const TTriangleSlope& slope, QChar decimalSeparator);

class TTriangleHistory {
public:
    void Clear() {
        FEntries.clear();
        FIndex = 0;
    }
    void Add(TTriangle* triangle);
    bool CanGoBack() const { return FIndex > 0; }
    bool CanGoForward() const { return FIndex + 1 < static_cast<int>(FEntries.size()); }
    int Index() const { return FIndex; }
    void SetIndex(int index) { FIndex = index; }
    int Length() const { return static_cast<int>(FEntries.size()); }
    TTriangle* At(int index) const { return FEntries.at(static_cast<size_t>(index)); }

private:
    std::vector<TTriangle*> FEntries;
    int FIndex = 0;
};
