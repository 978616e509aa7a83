#pragma once
// The 3D view's camera: it looks at a target point from a direction (azimuth clockwise from
// north, elevation above the horizon) and a distance, in scene coordinates (metres east, north
// and up from the model's centre, elevations stretched by the exaggeration). Widget-free: the
// rays of picking and the matrices of drawing come from here.
#include <QMatrix4x4>

struct TVec3 {
    double X = 0, Y = 0, Z = 0;
};
inline TVec3 operator+(TVec3 a, TVec3 b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
inline TVec3 operator-(TVec3 a, TVec3 b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
inline TVec3 operator*(TVec3 a, double s) {
    return {a.X * s, a.Y * s, a.Z * s};
}
double Dot(TVec3 a, TVec3 b);
TVec3 Cross(TVec3 a, TVec3 b);
TVec3 Normalized(TVec3 a);

struct TRay {
    TVec3 Origin, Direction; // Direction of unit length
};

class TOrbitCamera {
public:
    static constexpr double FieldOfView = 45; // vertical, degrees

    // Looks at the middle of a box from the south-south-west, 35 degrees up, far enough to see
    // all of it.
    void Frame(TVec3 low, TVec3 high);
    void Orbit(double azimuthDegrees, double elevationDegrees);
    // Turns about a pivot point: the view of the pivot stays where it is on the screen.
    void OrbitAbout(TVec3 pivot, double azimuthDegrees, double elevationDegrees);
    // Moves the eye toward (factor < 1) or away from a point, which stays under the cursor.
    void ZoomToward(TVec3 point, double factor);
    // Shifts target and eye together by a vector in the scene.
    void Pan(TVec3 shift);
    void CentreOn(TVec3 point);

    TVec3 Eye() const;
    TVec3 Target() const { return FTarget; }
    double Azimuth() const { return FAzimuth; }
    double Elevation() const { return FElevation; }
    double Distance() const { return FDistance; }
    void SetView(TVec3 target, double azimuth, double elevation, double distance);

    // The ray from the eye through the centre of pixel (x, y) of a width x height image.
    TRay RayThrough(double x, double y, int width, int height) const;
    // The pixel position of a scene point, or false behind the eye.
    bool Project(TVec3 point, int width, int height, double& x, double& y) const;
    // Pixels per unit of scene length at a distance from the eye.
    double PixelsPerUnit(double distance, int height) const;

    QMatrix4x4 ViewProjection(int width, int height, double nearPlane, double farPlane) const;
    // The unit vectors from the eye toward the target, to the screen's right and up.
    void Axes(TVec3& forward, TVec3& right, TVec3& up) const;

private:
    TVec3 FTarget;
    double FAzimuth = 200, FElevation = 35, FDistance = 1;
};
