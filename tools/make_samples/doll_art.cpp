#include "doll_art.h"

#include <cmath>
#include <stdexcept>

#include "shapes.h"

using art::Box;
using art::Capsule;
using art::Circle;
using art::Clamp01;
using art::Ellipse;
using art::Intersect;
using art::Mix;
using art::RampLevel;
using art::SmoothUnion;
using art::Subtract;
using art::Union;
using art::Vec;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kOutline = -1.1;  // pixels closer to an edge than this form the outline
constexpr Colour kIvory{255, 250, 236};

// Calls draw for the centre of every pixel of the rectangle, in canvas
// coordinates, and keeps the palette index that it returns.
template <typename Draw>
IndexedCel RenderIndexed(CelRect rect, Draw draw) {
  IndexedCel cel;
  cel.width = rect.width;
  cel.height = rect.height;
  cel.pixels.resize(static_cast<std::size_t>(rect.width) * rect.height);
  for (int y = 0; y < rect.height; ++y)
    for (int x = 0; x < rect.width; ++x)
      cel.pixels[y * rect.width + x] =
          static_cast<std::uint8_t>(draw(Vec{rect.x + x + 0.5, rect.y + y + 0.5}, x, y));
  return cel;
}

std::vector<Colour> Ramp(Colour dark, Colour light, int count) {
  std::vector<Colour> ramp;
  for (int i = 0; i < count; ++i) {
    // Shadows keep more of their colour than a straight line would give.
    const double t = std::pow(count == 1 ? 1.0 : static_cast<double>(i) / (count - 1), 0.85);
    ramp.push_back(Colour{static_cast<std::uint8_t>(std::lround(Mix(dark.r, light.r, t))),
                          static_cast<std::uint8_t>(std::lround(Mix(dark.g, light.g, t))),
                          static_cast<std::uint8_t>(std::lround(Mix(dark.b, light.b, t)))});
  }
  return ramp;
}

void Append(std::vector<Colour>& group, const std::vector<Colour>& colours) {
  group.insert(group.end(), colours.begin(), colours.end());
}

Vec Mirror(Vec p) { return Vec{200.0 - p.x, p.y}; }

// ---------------------------------------------------------------- body

// Indices of the body palette.
constexpr int kBodyOutline = 1;
constexpr int kSkin = 2;  // 32 shades
constexpr int kSkinLevels = 32;
constexpr int kBlush = 34;  // 8 shades
constexpr int kEyeWhite = 42;
constexpr int kPupil = 43;
constexpr int kHighlight = 44;
constexpr int kIris = 45;  // 8 shades
constexpr int kLips = 53;  // 4 shades
constexpr int kSlip = 57;  // 16 shades
constexpr int kShoe = 73;  // 16 shades
constexpr int kBrow = 89;
constexpr int kBodyColours = 90;

double Head(Vec p) { return Ellipse(p, {100, 68}, 27, 31); }
double Ears(Vec p) { return Union(Ellipse(p, {73.5, 73}, 5, 8), Ellipse(p, {126.5, 73}, 5, 8)); }
double Neck(Vec p) { return Capsule(p, {100, 90}, {100, 112}, 7.5, 8.5); }
double Torso(Vec p) {
  return SmoothUnion(SmoothUnion(Ellipse(p, {100, 132}, 23, 24), Box(p, {100, 168}, 21, 32, 10), 6),
                     Ellipse(p, {100, 198}, 25, 16), 6);
}
double Arm(Vec p) {
  return Union(
      Union(Capsule(p, {79, 117}, {69, 158}, 7, 6), Capsule(p, {69, 158}, {64, 195}, 6, 5)),
      Ellipse(p, {63, 202}, 5.5, 7.5));
}
double Arms(Vec p) { return Union(Arm(p), Arm(Mirror(p))); }
double Leg(Vec p) {
  return SmoothUnion(Capsule(p, {90, 205}, {88, 252}, 10, 7),
                     Capsule(p, {88, 252}, {89, 292}, 7, 5.5), 3);
}
double Legs(Vec p) { return Union(Leg(p), Leg(Mirror(p))); }
double Shoe(Vec p) {
  return Union(Ellipse(p, {88, 298}, 10, 6.5), Box(p, {88.5, 291}, 6.5, 2.2, 1.5));
}
double Shoes(Vec p) { return Union(Shoe(p), Shoe(Mirror(p))); }
double Slip(Vec p) {
  const double straps = Union(Capsule(p, {91, 123}, {89, 111}, 1.3, 1.3),
                              Capsule(p, {109, 123}, {111, 111}, 1.3, 1.3));
  return Union(Intersect(Union(Torso(p), Legs(p)), Intersect(121 - p.y, p.y - 214)), straps);
}

int SkinIndex(double shade, int x, int y) {
  return kSkin + RampLevel(std::pow(shade, 0.8), kSkinLevels, x, y, false);
}

// Eyes, brows, nose, mouth and blush, or -1 where the plain skin shows.
int Face(Vec p, double shade, int x, int y) {
  for (double ex : {89.0, 111.0}) {
    const double white = Ellipse(p, {ex, 71}, 5, 6);
    // Upper lash line, with a small flick at the outer corner.
    const double flick = Capsule(p, {ex + (ex < 100 ? -4.5 : 4.5), 68.5},
                                 {ex + (ex < 100 ? -6.5 : 6.5), 66.5}, 0.6, 0.4);
    if ((white < 0.7 && white > -1.3 && p.y < 70) || flick < 0) return kBodyOutline;
    if (white < 0) {
      if (Circle(p, {ex - 1.4, 69}, 1.3) < 0) return kHighlight;
      if (Ellipse(p, {ex, 72.5}, 1.8, 2.6) < 0) return kPupil;
      if (Ellipse(p, {ex, 72}, 3.8, 5) < 0)
        return kIris + RampLevel(Clamp01((p.y - 67.5) / 9.0), 8, x, y, false);
      return kEyeWhite;
    }
    // Brows: a gentle arch above each eye.
    const double bx = p.x - ex;
    if (std::fabs(bx) < 5.5 && std::fabs(p.y - (60.5 + 0.05 * bx * bx)) < 0.8) return kBrow;
  }
  if (Circle(p, {100.5, 81}, 1.0) < 0) return SkinIndex(shade * 0.55, x, y);
  const double mx = p.x - 100;
  if (std::fabs(mx) < 4.5 && std::fabs(p.y - (88.5 - 0.07 * mx * mx)) < 0.75)
    return kLips + RampLevel(0.4 + 0.3 * shade, 4, x, y, false);
  if (Ellipse(p, {84, 81}, 6, 3) < 0 || Ellipse(p, {116, 81}, 6, 3) < 0)
    return kBlush + RampLevel(shade, 8, x, y, true);
  return -1;
}

// The body's parts from the top down; the first that holds the pixel draws it.
int BodyPixel(Vec p, int x, int y) {
  const double head = Head(p);
  if (head < 0) {
    const double shade = art::Cushion(Head, p, 16);
    if (head > kOutline) return kBodyOutline;
    const int face = Face(p, shade, x, y);
    return face >= 0 ? face : SkinIndex(shade, x, y);
  }
  struct Part {
    double (*shape)(Vec);
    double depth;
    int ramp;  // first index of a 16- or 32-shade ramp
  };
  static const Part kParts[] = {
      {Ears, 4, kSkin},   {Neck, 6, kSkin},  {Arms, 5, kSkin}, {Slip, 12, kSlip},
      {Torso, 12, kSkin}, {Shoes, 5, kShoe}, {Legs, 7, kSkin},
  };
  for (const Part& part : kParts) {
    const double d = part.shape(p);
    if (d >= 0) continue;
    if (d > kOutline) return kBodyOutline;
    const double shade = art::Cushion(part.shape, p, part.depth);
    if (part.ramp == kSkin) return SkinIndex(shade, x, y);
    return part.ramp + RampLevel(shade, 16, x, y, false);
  }
  return 0;
}

// ---------------------------------------------------------------- dress

double SkirtHem(double x) { return 219 + 2.5 * std::cos((x - 100) * 0.42); }
double Skirt(Vec p) {
  const double halfWidth = 23 + (p.y - 156) * 0.36;
  return Intersect(Intersect((std::fabs(p.x - 100) - halfWidth) / 1.063, 156 - p.y),
                   p.y - SkirtHem(p.x));
}
double DressShape(Vec p) {
  const double bodice = Box(p, {100, 134}, 21, 26, 8);
  const double sleeves = Union(Ellipse(p, {77, 119}, 11, 9.5), Ellipse(p, {123, 119}, 11, 9.5));
  return Subtract(Union(SmoothUnion(bodice, Skirt(p), 6), sleeves), Ellipse(p, {100, 104}, 11, 9));
}
double Collar(Vec p) {
  return Union(Ellipse(p, {92, 111}, 9, 5.5), Ellipse(p, {108, 111}, 9, 5.5));
}

int DressPixel(Vec p, int x, int y) {
  const double dress = DressShape(p);
  if (dress >= 0) return 0;
  if (dress > kOutline) return kDressOutline;
  const double shade = art::Cushion(DressShape, p, 10);
  const double collar = Collar(p);
  if (collar < 0) {
    if (collar > -0.9) return kDressOutline;
    return kDressTrim + RampLevel(art::Cushion(Collar, p, 4), 3, x, y, true);
  }
  if (std::fabs(p.y - 159) < 4) {
    if (std::fabs(p.y - 159) > 3.1) return kDressSash;
    return kDressSash + RampLevel(0.3 + 0.7 * shade, 3, x, y, true);
  }
  for (double by : {124.0, 134.0, 144.0})
    if (Circle(p, {100, by}, 1.7) < 0) return kDressButton;
  if (p.y > 166) {
    // Polka dots in staggered rows.
    const int row = static_cast<int>(std::floor((p.y - 166) / 10));
    const double cy = 171 + row * 10;
    const double offset = (row % 2) ? 5.5 : 0.0;
    const double cx = 100 + offset + 11 * std::round((p.x - 100 - offset) / 11);
    if (Circle(p, {cx, cy}, 1.9) < 0) return kDressDot;
  }
  // Soft folds that open towards the hem.
  const double folds = 0.22 * std::sin((p.x - 100) * 0.33) * Clamp01((p.y - 160) / 50);
  return kDressFabric + RampLevel(shade + folds, 6, x, y, true);
}

double Bow(Vec p) {
  const double loops = Union(Capsule(p, {100, 110}, {89.5, 106.5}, 2.5, 6),
                             Capsule(p, {100, 110}, {110.5, 106.5}, 2.5, 6));
  const double tails =
      Union(Capsule(p, {99, 111}, {93, 118}, 2, 2.8), Capsule(p, {101, 111}, {107, 118}, 2, 2.8));
  return Union(loops, tails);
}
double Knot(Vec p) { return Ellipse(p, {100, 110}, 3, 3.4); }

// The bow shares the dress's palette and is drawn in the sash's deeper shades.
int BowPixel(Vec p, int x, int y) {
  const double knot = Knot(p);
  if (knot < 0)
    return knot > -0.9 ? kDressOutline
                       : kDressSash + RampLevel(0.6 * art::Cushion(Knot, p, 3), 3, x, y, false);
  const double bow = Bow(p);
  if (bow >= 0) return 0;
  if (bow > kOutline) return kDressOutline;
  return kDressSash + RampLevel(art::Cushion(Bow, p, 4), 3, x, y, true);
}

// ---------------------------------------------------------------- hair

constexpr int kHairOutline = 1;
constexpr int kHairRamp = 2;  // 12 shades
constexpr int kHairShine = 14;

double BangsLine(double x) {
  const double dx = x - 100;
  return 54 + 5 * std::fabs(std::sin(dx * 0.28)) + 0.012 * dx * dx;
}
double HairOuter(Vec p) {
  const double back = SmoothUnion(Ellipse(p, {100, 68}, 35, 38), Box(p, {100, 98}, 33, 30, 14), 8);
  return Intersect(back, p.y - (127 + 3 * std::sin((p.x - 57) * 0.5)));
}
double HairShape(Vec p) {
  const double face = Intersect(Ellipse(p, {100, 70}, 25, 31), BangsLine(p.x) - p.y);
  const double neck = Box(p, {100, 117}, 21, 28, 6);
  return Subtract(Subtract(HairOuter(p), face), neck);
}

int HairPixel(Vec p, int x, int y) {
  const double hair = HairShape(p);
  if (hair >= 0) return 0;
  if (hair > kOutline) return kHairOutline;
  // A shine band that follows the crown of the head.
  const double ring = std::fabs(Ellipse(p, {100, 76}, 31, 33));
  if (ring < 1.9 && p.y < 58 && std::fabs(p.x - 100) > 3)
    return kHairShine + (ring < 0.8 && p.x < 100 ? 1 : 0);
  const double strands = 0.1 * std::sin((p.x - 100) * 0.9 + 0.15 * p.y);
  const double shade = art::Cushion(HairOuter, p, 14) + strands;
  return kHairRamp + RampLevel(shade, 12, x, y, true);
}

// ---------------------------------------------------------------- hat

struct Rgba {
  double r, g, b, a;
};

double Brim(Vec p) { return Ellipse(p, {100, 50}, 58, 12); }
double Crown(Vec p) { return Intersect(Ellipse(p, {100, 41}, 28, 23), p.y - 50); }
double Tails(Vec p) {
  return Union(Capsule(p, {122, 47}, {136, 66}, 3, 4.5), Capsule(p, {124, 47}, {147, 61}, 2.5, 4));
}

Rgba Straw(double shade, Vec p) {
  const double weave =
      0.06 * std::sin(p.x * 1.7) * std::sin(p.y * 1.7) + 0.05 * std::sin((p.x + p.y) * 0.9);
  const double t = Clamp01(shade + weave);
  return Rgba{Mix(196, 253, t), Mix(150, 234, t), Mix(92, 184, t), 1.0};
}

Rgba Over(Rgba top, Rgba under) {
  const double a = top.a + under.a * (1 - top.a);
  if (a <= 0) return Rgba{0, 0, 0, 0};
  auto channel = [&](double t, double u) { return (t * top.a + u * under.a * (1 - top.a)) / a; };
  return Rgba{channel(top.r, under.r), channel(top.g, under.g), channel(top.b, under.b), a};
}

Rgba HatPixel(Vec p) {
  Rgba colour{0, 0, 0, 0};
  // The brim: its rim fades out over a few pixels, the soft edge.
  const double brim = Brim(p);
  if (brim < 0.5) {
    const double fromCrown = Clamp01((Ellipse(p, {100, 50}, 30, 6) + 2) / 14);
    Rgba straw = Straw(0.35 + 0.6 * fromCrown - 0.25 * Clamp01((p.y - 50) / 12), p);
    if (std::fabs(brim + 6.5) < 0.55 && std::sin(std::atan2(p.y - 50, (p.x - 100) / 4.8) * 40) > 0)
      straw = Straw(0.15, p);  // stitching
    straw.a = Clamp01(-brim / 4.0);
    colour = straw;
  }
  // Ribbon tails of sheer chiffon behind the crown.
  const double tails = Tails(p);
  if (tails < 0.5) {
    const double shade = art::Cushion(Tails, p, 3);
    colour = Over(Rgba{Mix(205, 250, shade), Mix(95, 170, shade), Mix(125, 190, shade),
                       0.62 * Clamp01(0.5 - tails)},
                  colour);
  }
  const double crown = Crown(p);
  if (crown < 0.5) {
    const double coverage = Clamp01(0.5 - crown);
    Rgba top = Straw(art::Cushion(Crown, p, 12), p);
    if (crown > -1.2) top = Straw(0.1, p);
    if (p.y > 42 && p.y < 49.5) {
      const double shade = art::Cushion(Crown, p, 12);
      top = Rgba{Mix(150, 235, shade), Mix(40, 105, shade), Mix(70, 135, shade), 1.0};
      if (p.y < 43 || p.y > 48.5) top = Rgba{130, 35, 60, 1.0};
    }
    // A small white flower on the band.
    const Vec flower{81, 45.5};
    const double centre = Circle(p, flower, 2.3);
    double petals = 1e9;
    for (int i = 0; i < 5; ++i) {
      const double angle = i * 2 * kPi / 5 - kPi / 2;
      petals = Union(
          petals,
          Circle(p, {flower.x + 3.6 * std::cos(angle), flower.y + 3.6 * std::sin(angle)}, 2.6));
    }
    if (centre < 0) {
      top = Rgba{250, 196, 60, 1.0};
    } else if (petals < 0) {
      const double shade = Clamp01(0.6 - (p.y - flower.y) * 0.08);
      top = petals > -0.8
                ? Rgba{200, 190, 200, 1.0}
                : Rgba{Mix(225, 255, shade), Mix(220, 252, shade), Mix(230, 248, shade), 1.0};
    }
    top.a = coverage;
    colour = Over(top, colour);
  }
  return colour;
}

// ---------------------------------------------------------------- loose cels

// Indices of the built-in 16-colour table.
constexpr int kBlack = 0;
constexpr int kGreen = 2;
constexpr int kOlive = 3;
constexpr int kPurple = 5;
constexpr int kLime = 10;
constexpr int kYellow = 11;
constexpr int kFuchsia = 13;
constexpr int kWhite = 15;

int FlowerPixel(Vec p) {
  const Vec centre{20.5, 17};
  const double heart = Circle(p, centre, 5);
  double petals = 1e9;
  for (int i = 0; i < 6; ++i) {
    const double angle = i * kPi / 3 + 0.3;
    petals = Union(petals,
                   Circle(p, {centre.x + 9 * std::cos(angle), centre.y + 9 * std::sin(angle)}, 6));
  }
  const double stem = Capsule(p, {20.5, 24}, {21.5, 47}, 1.6, 1.6);
  const double leaf =
      Union(Capsule(p, {21.5, 38}, {32, 31}, 1, 4.2), Capsule(p, {21, 42}, {10, 36}, 1, 3.6));
  if (heart < 0) {
    if (heart > kOutline) return kBlack;
    return std::fmod(std::floor(p.x) + std::floor(p.y), 3) == 0 ? kOlive : kYellow;
  }
  if (petals < 0) {
    if (petals > kOutline) return kBlack;
    const double shade = (p.x - centre.x) * 0.35 + (p.y - centre.y) * 0.45;
    return shade > 3.2 ? kPurple : kFuchsia;
  }
  if (leaf < 0) return leaf > kOutline ? kBlack : (p.y > 37 ? kGreen : kLime);
  if (stem < 0) return stem > kOutline ? kBlack : kGreen;
  return kWhite;
}

int MoonPixel(Vec p, int x, int y) {
  // Night sky: dark at the top, a little lighter towards the horizon, a few stars.
  int sky = static_cast<int>(std::floor(8 + p.y * 0.35 + art::Bayer(x, y) * 2));
  static const Vec kStars[] = {{6, 7}, {40, 5}, {43, 30}, {9, 40}, {34, 44}};
  for (Vec star : kStars)
    if (Circle(p, star, 0.9) < 0) sky = 235;
  const double disc = Circle(p, {22, 24}, 17);
  const double bite = Circle(p, {30, 18}, 14.5);
  const double crescent = Subtract(disc, bite);
  if (crescent >= 0.5) return sky;
  auto shape = [](Vec q) { return Subtract(Circle(q, {22, 24}, 17), Circle(q, {30, 18}, 14.5)); };
  double light = 150 + 95 * art::Cushion(shape, p, 6);
  for (Vec crater : {Vec{12, 26}, Vec{15, 35}, Vec{20, 40}})
    if (Circle(p, crater, 1.8) < 0) light -= 40;
  const double coverage = Clamp01(0.5 - crescent);
  return static_cast<int>(std::lround(Mix(sky, light, coverage)));
}

}  // namespace

IndexedCel DrawBody() { return RenderIndexed(kBodyRect, BodyPixel); }
IndexedCel DrawDress() { return RenderIndexed(kDressRect, DressPixel); }
IndexedCel DrawBow() { return RenderIndexed(kBowRect, BowPixel); }
IndexedCel DrawHair() { return RenderIndexed(kHairRect, HairPixel); }

RgbaCel DrawHat() {
  RgbaCel cel;
  cel.width = kHatRect.width;
  cel.height = kHatRect.height;
  for (int y = 0; y < cel.height; ++y) {
    for (int x = 0; x < cel.width; ++x) {
      const Rgba c = HatPixel(Vec{kHatRect.x + x + 0.5, kHatRect.y + y + 0.5});
      const int alpha = static_cast<int>(std::lround(Clamp01(c.a) * 255));
      auto channel = [alpha](double v) {
        return static_cast<std::uint8_t>(alpha == 0 ? 0
                                                    : std::lround(std::fmin(255, std::fmax(0, v))));
      };
      cel.pixels.push_back(channel(c.r));
      cel.pixels.push_back(channel(c.g));
      cel.pixels.push_back(channel(c.b));
      cel.pixels.push_back(static_cast<std::uint8_t>(alpha));
    }
  }
  return cel;
}

PaletteGroups BodyPalette() {
  std::vector<Colour> group{kIvory, Colour{96, 56, 50}};
  Append(group, Ramp({206, 138, 116}, {255, 231, 212}, kSkinLevels));
  Append(group, Ramp({222, 120, 120}, {255, 182, 178}, 8));
  group.push_back({252, 252, 255});
  group.push_back({40, 26, 44});
  group.push_back({255, 255, 255});
  Append(group, Ramp({42, 70, 120}, {110, 176, 214}, 8));
  Append(group, Ramp({176, 70, 84}, {236, 126, 136}, 4));
  Append(group, Ramp({176, 174, 204}, {255, 255, 255}, 16));
  Append(group, Ramp({86, 22, 40}, {226, 90, 108}, 16));
  group.push_back({140, 88, 66});
  if (static_cast<int>(group.size()) != kBodyColours) throw std::logic_error("body palette layout");
  // The rest of the 256 entries are not used by any pixel: a quiet grey ramp.
  for (int i = kBodyColours; i < 256; ++i) {
    const auto v = static_cast<std::uint8_t>((i - kBodyColours) * 255 / (255 - kBodyColours));
    group.push_back({v, v, v});
  }
  return {group};
}

PaletteGroups DressPalette() {
  struct Scheme {
    Colour outline, fabricDark, fabricLight, trimDark, trimLight, sashDark, sashLight, dot, button;
  };
  static const Scheme kSchemes[] = {
      {{112, 40, 64},
       {196, 84, 118},
       {255, 196, 210},
       {200, 196, 210},
       {255, 255, 255},
       {150, 30, 64},
       {232, 84, 116},
       {255, 244, 248},
       {240, 200, 90}},
      {{30, 50, 100},
       {66, 118, 190},
       {176, 218, 252},
       {196, 204, 220},
       {255, 255, 255},
       {28, 40, 92},
       {84, 104, 176},
       {255, 255, 255},
       {240, 200, 90}},
      {{80, 8, 20},
       {150, 20, 40},
       {240, 90, 96},
       {210, 196, 170},
       {255, 250, 232},
       {96, 10, 30},
       {186, 40, 60},
       {255, 236, 236},
       {240, 200, 90}},
  };
  PaletteGroups groups;
  for (const Scheme& s : kSchemes) {
    std::vector<Colour> group{kIvory, s.outline};
    Append(group, Ramp(s.fabricDark, s.fabricLight, 6));
    Append(group, Ramp(s.trimDark, s.trimLight, 3));
    Append(group, Ramp(s.sashDark, s.sashLight, 3));
    group.push_back(s.dot);
    group.push_back(s.button);
    groups.push_back(group);
  }
  return groups;
}

PaletteGroups HairPalette() {
  struct Shade {
    Colour outline, dark, light, shine;
  };
  static const Shade kShades[] = {
      {{54, 24, 14}, {92, 44, 26}, {196, 124, 72}, {240, 196, 150}},       // chestnut
      {{10, 10, 16}, {24, 24, 36}, {96, 96, 128}, {170, 176, 210}},        // black
      {{120, 80, 24}, {178, 128, 44}, {255, 232, 140}, {255, 250, 214}},   // blonde
      {{80, 18, 10}, {140, 40, 22}, {228, 112, 60}, {255, 190, 150}},      // auburn
      {{90, 96, 110}, {150, 156, 172}, {236, 240, 248}, {255, 255, 255}},  // silver
      {{150, 50, 96}, {214, 96, 150}, {255, 190, 220}, {255, 236, 246}},   // pink
      {{20, 40, 110}, {44, 80, 170}, {120, 170, 240}, {210, 230, 255}},    // blue
      {{16, 70, 40}, {34, 120, 70}, {120, 210, 140}, {210, 250, 220}},     // green
      {{60, 24, 100}, {104, 52, 160}, {190, 140, 240}, {236, 220, 255}},   // violet
      {{36, 22, 14}, {66, 42, 28}, {140, 96, 64}, {210, 176, 140}},        // dark brown
  };
  PaletteGroups groups;
  for (const Shade& s : kShades) {
    std::vector<Colour> group{kIvory, s.outline};
    Append(group, Ramp(s.dark, s.light, 12));
    group.push_back(Ramp(s.light, s.shine, 3)[1]);
    group.push_back(s.shine);
    groups.push_back(group);
  }
  return groups;
}

IndexedCel DrawFlower() {
  return RenderIndexed(CelRect{0, 0, 41, 49}, [](Vec p, int, int) { return FlowerPixel(p); });
}

IndexedCel DrawMoon() { return RenderIndexed(CelRect{0, 0, 48, 48}, MoonPixel); }
