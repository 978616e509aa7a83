#pragma once
// A point in plan: easting across, northing up.

struct TPlanPoint {
    double X = 0, Y = 0;
    bool operator==(const TPlanPoint&) const = default;
};
