#include "OrbitCamera.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double Radians = M_PI / 180;
constexpr double LowestElevation = 2, HighestElevation = 89.5;
} // namespace

double Dot(TVec3 a, TVec3 b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TVec3 Cross(TVec3 a, TVec3 b) {
    return {a.Y * b.Z - a.Z * b.Y, a.Z * b.X - a.X * b.Z, a.X * b.Y - a.Y * b.X};
}

TVec3 Normalized(TVec3 a) {
    const double length = std::sqrt(Dot(a, a));
    return length > 0 ? a * (1 / length) : a;
}

void TOrbitCamera::Frame(TVec3 low, TVec3 high) {
    FTarget = (low + high) * 0.5;
    FAzimuth = 200;
    FElevation = 35;
    const double radius = std::max(std::sqrt(Dot(high - low, high - low)) / 2, 1e-9);
    FDistance = radius / std::sin(FieldOfView / 2 * Radians) * 1.05;
}

void TOrbitCamera::SetView(TVec3 target, double azimuth, double elevation, double distance) {
    FTarget = target;
    FAzimuth = std::fmod(std::fmod(azimuth, 360) + 360, 360);
    FElevation = std::clamp(elevation, LowestElevation, HighestElevation);
    FDistance = std::max(distance, 1e-9);
}

void TOrbitCamera::Orbit(double azimuthDegrees, double elevationDegrees) {
    SetView(FTarget, FAzimuth + azimuthDegrees, FElevation + elevationDegrees, FDistance);
}

void TOrbitCamera::OrbitAbout(TVec3 pivot, double azimuthDegrees, double elevationDegrees) {
    // The camera turns as a rigid body about the pivot: first about the vertical through it,
    // then about the horizontal axis across the view. Its own angles turn by as much, so the
    // pivot stays at its pixel.
    const TVec3 eye = Eye();
    const double oldElevation = FElevation;
    SetView(FTarget, FAzimuth + azimuthDegrees, FElevation, FDistance);
    const double c = std::cos(azimuthDegrees * Radians), s = std::sin(azimuthDegrees * Radians);
    const TVec3 offset = eye - pivot;
    const TVec3 turned{offset.X * c + offset.Y * s, -offset.X * s + offset.Y * c, offset.Z};
    SetView(FTarget, FAzimuth, FElevation + elevationDegrees, FDistance);
    // Raising the elevation turns the eye about the right-hand axis the other way.
    const double tilt = -(FElevation - oldElevation) * Radians;
    TVec3 forward, right, up;
    Axes(forward, right, up);
    const double ct = std::cos(tilt), st = std::sin(tilt);
    const TVec3 tilted =
        turned * ct + Cross(right, turned) * st + right * (Dot(right, turned) * (1 - ct));
    FTarget = pivot + tilted + forward * FDistance;
}

void TOrbitCamera::ZoomToward(TVec3 point, double factor) {
    const TVec3 eye = Eye();
    const TVec3 newEye = point + (eye - point) * factor;
    FTarget = FTarget + (newEye - eye);
    FDistance = std::max(FDistance * factor, 1e-9);
    // The target stays on the line of sight at the new distance.
    TVec3 forward, right, up;
    Axes(forward, right, up);
    FTarget = newEye + forward * FDistance;
}

void TOrbitCamera::Pan(TVec3 shift) {
    FTarget = FTarget + shift;
}

void TOrbitCamera::CentreOn(TVec3 point) {
    FTarget = point;
}

void TOrbitCamera::Axes(TVec3& forward, TVec3& right, TVec3& up) const {
    const double a = FAzimuth * Radians, e = FElevation * Radians;
    // From the eye toward the target: the opposite of the direction of the eye.
    forward = TVec3{-std::sin(a) * std::cos(e), -std::cos(a) * std::cos(e), -std::sin(e)};
    right = Normalized(Cross(forward, TVec3{0, 0, 1}));
    up = Cross(right, forward);
}

TVec3 TOrbitCamera::Eye() const {
    TVec3 forward, right, up;
    Axes(forward, right, up);
    return FTarget - forward * FDistance;
}

TRay TOrbitCamera::RayThrough(double x, double y, int width, int height) const {
    TVec3 forward, right, up;
    Axes(forward, right, up);
    const double halfHeight = std::tan(FieldOfView / 2 * Radians);
    const double halfWidth = halfHeight * width / std::max(height, 1);
    const double sx = (2 * (x + 0.5) / width - 1) * halfWidth;
    const double sy = (1 - 2 * (y + 0.5) / height) * halfHeight;
    return {Eye(), Normalized(forward + right * sx + up * sy)};
}

bool TOrbitCamera::Project(TVec3 point, int width, int height, double& x, double& y) const {
    TVec3 forward, right, up;
    Axes(forward, right, up);
    const TVec3 d = point - Eye();
    const double depth = Dot(d, forward);
    if (!(depth > 0))
        return false;
    const double halfHeight = std::tan(FieldOfView / 2 * Radians);
    const double halfWidth = halfHeight * width / std::max(height, 1);
    const double sx = Dot(d, right) / depth / halfWidth, sy = Dot(d, up) / depth / halfHeight;
    x = (sx + 1) * width / 2 - 0.5;
    y = (1 - sy) * height / 2 - 0.5;
    return true;
}

double TOrbitCamera::PixelsPerUnit(double distance, int height) const {
    return height / 2.0 / std::tan(FieldOfView / 2 * Radians) / std::max(distance, 1e-12);
}

QMatrix4x4 TOrbitCamera::ViewProjection(int width, int height, double nearPlane,
                                        double farPlane) const {
    TVec3 forward, right, up;
    Axes(forward, right, up);
    const TVec3 eye = Eye(), target = eye + forward;
    QMatrix4x4 matrix;
    matrix.perspective(float(FieldOfView), float(width) / float(std::max(height, 1)),
                       float(nearPlane), float(farPlane));
    matrix.lookAt(QVector3D(float(eye.X), float(eye.Y), float(eye.Z)),
                  QVector3D(float(target.X), float(target.Y), float(target.Z)),
                  QVector3D(float(up.X), float(up.Y), float(up.Z)));
    return matrix;
}
