// The sample doll, page 0, against a picture this test composes on its own:
// the paletted cels as tamsa.spi decodes them (their colours and indices),
// the 32-bit hat from its raw bytes, offsets from the cel headers, places
// from the configuration's page line.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "doll/doll_host.h"

namespace {

const std::string kMira = std::string(TAMSA_SAMPLES_PATH) + "\\mira";

struct Canvas {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, rows from the top
  std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

std::uint16_t Word(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

// The cel's own offset: in its header, or none without one.
void CelOffset(const Bytes& cel, int* x, int* y) {
  const bool headed = cel.size() >= 32 && std::string(cel.begin(), cel.begin() + 4) == "KiSS";
  *x = headed ? Word(cel, 12) : 0;
  *y = headed ? Word(cel, 14) : 0;
}

// A paletted cel through tamsa.spi: each pixel of index other than 0 in the
// colour the decoder's table gives it.
void DrawPaletted(Canvas* canvas, const Decoded& cel, int left, int top) {
  const unsigned depth = cel.Depth();
  for (std::uint32_t y = 0; y < cel.Height(); ++y) {
    const Bytes row = cel.Row(y);
    for (std::uint32_t x = 0; x < cel.Width(); ++x) {
      const unsigned index =
          depth == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
      const int cx = left + static_cast<int>(x);
      const int cy = top + static_cast<int>(y);
      if (index == 0 || cx < 0 || cy < 0 || cx >= canvas->width || cy >= canvas->height) continue;
      const std::uint8_t* entry = &cel.info[40 + 4 * index];
      canvas->At(cx, cy) = Rgb(entry[2], entry[1], entry[0]);
    }
  }
}

// A 32-bit cel from its bytes: blue, green, red, alpha per pixel after the
// header, blended onto the canvas by its alpha as KiSS viewers blend.
void DrawAlpha(Canvas* canvas, const Bytes& cel, int left, int top) {
  const int width = Word(cel, 8);
  const int height = Word(cel, 10);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int cx = left + x;
      const int cy = top + y;
      if (cx < 0 || cy < 0 || cx >= canvas->width || cy >= canvas->height) continue;
      const std::uint8_t* source = &cel[32 + (static_cast<std::size_t>(y) * width + x) * 4];
      const unsigned a = source[3];
      std::uint32_t& target = canvas->At(cx, cy);
      // a/255 of the way from under toward over, the step cut toward zero.
      const auto blend = [&](unsigned under, unsigned over) {
        return static_cast<std::uint8_t>(static_cast<int>(under) +
                                         (static_cast<int>(over) - static_cast<int>(under)) *
                                             static_cast<int>(a) / 255);
      };
      target = Rgb(blend(target & 0xFF, source[2]), blend((target >> 8) & 0xFF, source[1]),
                   blend((target >> 16) & 0xFF, source[0]));
    }
  }
}

using DollMira = DollSuite;

TEST_F(DollMira, PageZeroMatchesThePictureComposedFromTheDecodedCels) {
  PluginModule tamsa(TAMSA_SPI_PATH);
  ASSERT_NE(tamsa.getPicture, nullptr) << TAMSA_SPI_PATH;

  // The configuration's size, cel lines (object and name, every one on page
  // 0) and the page line.
  const Bytes text = ReadBytes(kMira + "\\mira.cnf");
  ASSERT_FALSE(text.empty());
  std::istringstream lines(std::string(text.begin(), text.end()));
  Canvas canvas;
  struct CelLine {
    int object;
    std::string name;
  };
  std::vector<CelLine> cels;
  std::vector<std::pair<int, int>> places;
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("(", 0) == 0) {
      ASSERT_EQ(std::sscanf(line.c_str(), "(%d,%d)", &canvas.width, &canvas.height), 2);
    } else if (line.rfind("#", 0) == 0) {
      std::istringstream fields(line.substr(1));
      std::string object;  // "0.0": object 0, fixed
      CelLine cel;
      fields >> object >> cel.name;
      cel.object = std::atoi(object.c_str());
      cels.push_back(cel);
    } else if (line.rfind("$", 0) == 0) {
      std::istringstream fields(line.substr(1));
      int group = -1;
      fields >> group;
      ASSERT_EQ(group, 0);
      for (std::string pair; fields >> pair;) {
        int x = 0;
        int y = 0;
        ASSERT_EQ(std::sscanf(pair.c_str(), "%d,%d", &x, &y), 2) << pair;
        places.emplace_back(x, y);
      }
    }
  }
  ASSERT_EQ(canvas.width, 200);
  ASSERT_EQ(canvas.height, 320);
  ASSERT_EQ(cels.size(), 5u);

  // The background: colour 0 of mira.kcf's group 0, as tamsa gives it to
  // body.cel, whose palette number picks mira.kcf.
  const auto decode = [&](const std::string& name) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const std::string path = kMira + "\\" + name;
    const int code = tamsa.getPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    return TakeDecoded(code, info, pixels);
  };
  const Decoded body = decode("body.cel");
  ASSERT_EQ(body.code, 0);
  ASSERT_EQ(body.Depth(), 8u);
  const std::uint32_t background = Rgb(body.info[42], body.info[41], body.info[40]);
  canvas.pixels.assign(static_cast<std::size_t>(canvas.width) * canvas.height, background);

  // The last cel line at the bottom, the first on top.
  int alphaCels = 0;
  for (auto cel = cels.rbegin(); cel != cels.rend(); ++cel) {
    SCOPED_TRACE(cel->name);
    ASSERT_LT(static_cast<std::size_t>(cel->object), places.size());
    const Bytes bytes = ReadBytes(kMira + "\\" + cel->name);
    int dx = 0;
    int dy = 0;
    CelOffset(bytes, &dx, &dy);
    const int left = places[cel->object].first + dx;
    const int top = places[cel->object].second + dy;
    if (bytes.size() >= 32 && bytes[4] == 0x21 && bytes[5] == 32) {
      DrawAlpha(&canvas, bytes, left, top);
      ++alphaCels;
    } else {
      const Decoded decoded = decode(cel->name);
      ASSERT_EQ(decoded.code, 0);
      DrawPaletted(&canvas, decoded, left, top);
    }
  }
  EXPECT_EQ(alphaCels, 1);

  const Decoded page = Picture(kMira + "\\mira.cnf");
  ASSERT_EQ(page.code, 0);
  ASSERT_EQ(page.Width(), static_cast<std::uint32_t>(canvas.width));
  ASSERT_EQ(page.Height(), static_cast<std::uint32_t>(canvas.height));
  int differing = 0;
  int dressed = 0;
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      if (canvas.At(x, y) != background) ++dressed;
      if (page.ColourAt(x, y) == canvas.At(x, y)) continue;
      if (++differing <= 10)
        ADD_FAILURE() << "at " << x << "," << y << ": " << std::hex << page.ColourAt(x, y)
                      << " instead of " << canvas.At(x, y);
    }
  }
  EXPECT_EQ(differing, 0);
  // The doll covers a good part of the canvas.
  EXPECT_GT(dressed, canvas.width * canvas.height / 10);
}

}  // namespace
