#pragma once
// A surface as the readers of other programs' files find it: points and three-cornered faces by
// position, before it becomes a model. BuildModel turns it into the model every window and
// command works on, with neighbours found through shared corners and the header a file of this
// mesh would carry.
#include "platform/Exceptions.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TVandrelTINModel;

// A file that is not a surface this program can read; the message says where (a line or a
// byte) and what is wrong.
class ESurfaceReadError : public Exception {
    using Exception::Exception;
};

struct TSurfacePoint {
    double Easting, Northing, Value;
};

struct TSurfaceData {
    QString Name;
    uint8_t Units = 1; // the header's code: 1 metres, 2 feet, 3 US survey feet
    std::vector<TSurfacePoint> Points;
    std::vector<std::array<uint32_t, 3>> Faces; // positions in Points
    // Each face's neighbour across its side from corner k to the next, -1 for none, when the
    // maker knows them (a triangulation); empty: found through shared corners.
    std::vector<std::array<int32_t, 3>> Neighbours;

    // Where a face was read ("line 12"), asked only when it is refused.
    using TPlace = std::function<std::string()>;
    // Adds the polygon's corners as a fan of triangles from its first corner, refusing a corner
    // that names no point.
    void AddPolygon(const std::vector<uint32_t>& corners, const TPlace& place);
};

// A surface's points and faces as they are held, read by number: a TSurfaceData, or a
// triangulation of millions of points written without a copy.
class TSurfaceView {
public:
    virtual ~TSurfaceView() = default;
    virtual std::size_t PointCount() const = 0;
    virtual TSurfacePoint Point(std::size_t i) const = 0;
    virtual std::size_t FaceCount() const = 0;
    // The face's corners, anticlockwise, and its neighbours across the sides from corner k to
    // the next (-1: none).
    virtual void Face(std::size_t i, std::array<uint32_t, 3>& corners,
                      std::array<int32_t, 3>& neighbours) const = 0;
    // The neighbours alone; every point once in the order the view holds them best (for what
    // does not depend on the order: extents, offsets).
    virtual std::array<int32_t, 3> FaceNeighbours(std::size_t i) const;
    virtual void ForEachPoint(const std::function<void(const TSurfacePoint&)>& visit) const;
};

// The surface data of the view, with its neighbours.
TSurfaceData SurfaceOf(const TSurfaceView& view);

// Replaces the model's contents by the surface. Refuses (ESurfaceReadError) a surface without
// triangles or too big for the model's collections; the model is unchanged then.
void BuildModel(TVandrelTINModel& model, TSurfaceData&& surface);

// Each face's neighbour across its side from corner k to the next (k = 0, 1, 2), or -1 where no
// face, or more than one other, has that side.
std::vector<std::array<int64_t, 3>> FaceNeighbours(const TSurfaceData& surface);

// "line N": a place in a text file, as the readers name it in their messages.
std::string LinePlace(int64_t line);
