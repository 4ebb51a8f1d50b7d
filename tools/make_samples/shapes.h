// Signed-distance shapes and shading for the procedural sample art. Distances
// are in pixels, negative inside a shape; the shapes compose with min/max.
#pragma once

#include <algorithm>
#include <cmath>

namespace art {

struct Vec {
  double x;
  double y;
};

inline double Clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }
inline double Mix(double a, double b, double t) { return a + (b - a) * t; }
inline double Length(double x, double y) { return std::sqrt(x * x + y * y); }

// Approximate distance to an ellipse: exact on the axes, close enough near the
// edge, which is all that the outlines and soft edges look at.
inline double Ellipse(Vec p, Vec centre, double rx, double ry) {
  const double nx = (p.x - centre.x) / rx;
  const double ny = (p.y - centre.y) / ry;
  const double k = Length(nx, ny);
  if (k == 0.0) return -std::min(rx, ry);
  const double gx = nx / rx;
  const double gy = ny / ry;
  return (k - 1.0) * k / Length(gx, gy);
}

inline double Circle(Vec p, Vec centre, double r) {
  return Length(p.x - centre.x, p.y - centre.y) - r;
}

// A segment from a to b thickened by a radius that runs from ra to rb.
inline double Capsule(Vec p, Vec a, Vec b, double ra, double rb) {
  const double bx = b.x - a.x;
  const double by = b.y - a.y;
  const double t = Clamp01(((p.x - a.x) * bx + (p.y - a.y) * by) / (bx * bx + by * by));
  return Length(p.x - a.x - bx * t, p.y - a.y - by * t) - Mix(ra, rb, t);
}

// An axis-aligned box with rounded corners, given by its centre and half size.
inline double Box(Vec p, Vec centre, double hx, double hy, double radius) {
  const double qx = std::fabs(p.x - centre.x) - hx + radius;
  const double qy = std::fabs(p.y - centre.y) - hy + radius;
  return Length(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

inline double Union(double a, double b) { return std::min(a, b); }
inline double Intersect(double a, double b) { return std::max(a, b); }
inline double Subtract(double a, double b) { return std::max(a, -b); }

// A blend of two shapes that rounds the seam between them.
inline double SmoothUnion(double a, double b, double k) {
  const double h = Clamp01(0.5 + 0.5 * (b - a) / k);
  return Mix(b, a, h) - k * h * (1.0 - h);
}

// Shading of a shape as if it were a soft cushion: its height rises from the
// edge over `depth` pixels, and the slope of that height meets a light from
// the upper left. Returns 0 (shadow) to 1 (full light).
template <typename Shape>
double Cushion(const Shape& shape, Vec p, double depth) {
  auto height = [&](double x, double y) {
    const double inside = Clamp01(-shape(Vec{x, y}) / depth);
    return std::sqrt(inside * (2.0 - inside));
  };
  const double dx = (height(p.x + 1, p.y) - height(p.x - 1, p.y)) * 0.5 * depth;
  const double dy = (height(p.x, p.y + 1) - height(p.x, p.y - 1)) * 0.5 * depth;
  const double nx = -dx;
  const double ny = -dy;
  const double nz = 1.0;
  const double n = Length(Length(nx, ny), nz);
  const double lx = -0.45;
  const double ly = -0.6;
  const double lz = 0.66;
  const double lambert = (nx * lx + ny * ly + nz * lz) / n;
  return Clamp01(0.15 + 0.85 * lambert);
}

// The 4 x 4 ordered-dither threshold for a pixel, in [0, 1).
inline double Bayer(int x, int y) {
  static constexpr int kMatrix[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (kMatrix[y & 3][x & 3] + 0.5) / 16.0;
}

// A shade in [0, 1] picked out of a ramp of `levels` entries, dithered.
inline int RampLevel(double shade, int levels, int x, int y, bool dither) {
  const double scaled = Clamp01(shade) * (levels - 1);
  const int level = dither ? static_cast<int>(std::floor(scaled + Bayer(x, y)))
                           : static_cast<int>(std::lround(scaled));
  return std::min(levels - 1, std::max(0, level));
}

}  // namespace art
