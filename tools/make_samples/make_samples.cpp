// Generates the project's sample KiSS set: the doll "Mira" (cels, palettes
// and a configuration file) and a folder of loose cels without one, and the
// same set packed as it travels, in a ZIP and an LZH archive.
//
//   make_samples OUTPUT_FOLDER [--preview FOLDER]
//
// The output is the same on every run. --preview also writes PNG pictures of
// the doll put together and of each cel with its palette, for looking at the
// art while it is drawn.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>

#include "archive_writer.h"
#include "doll_art.h"
#include "kiss_writer.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

void MakeFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
    throw std::runtime_error("cannot create " + path);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Lines joined with CR LF, as the configuration files of KiSS sets have them.
std::string CrLf(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

const std::string kConfiguration = CrLf({
    "; Mira, a small sample doll of the Tamsa project.",
    "; Made by tools/make_samples (scripts/make-samples.sh); not to be edited by hand.",
    ";",
    "; A palette number (*N) selects the palette file of the N-th % line, counted",
    "; from 0: 0 is mira.kcf, 1 dress.kcf, 2 hair.kcf. A cel takes the first group",
    "; (group 0) of its file; the other groups hold colour variants.",
    "(200,320)",
    "[0",
    "%mira.kcf\t;24 bits per colour, 1 group of 256: skin, face, slip, shoes",
    "%dress.kcf\t;12 bits per colour, 3 groups of 16: rose, sky, cherry",
    "%hair.kcf\t;no header, 10 groups of 16: chestnut, black, blonde, ...",
    "#0.0 hat.cel *0 :0 1 2 3 4 5 6 7 8 9\t;straw hat, 32 bits with a soft alpha edge",
    "#1.0 bow.cel *1 :0 1 2 3 4 5 6 7 8 9\t;bow, 4 bits (dress.kcf)",
    "#2.0 hair.cel *2 :0 1 2 3 4 5 6 7 8 9\t;hair, 4 bits without header (hair.kcf)",
    "#3.0 dress.cel *1 :0 1 2 3 4 5 6 7 8 9\t;dress, 4 bits (dress.kcf)",
    "#4.0 body.cel *0 :0 1 2 3 4 5 6 7 8 9\t;body, 8 bits (mira.kcf)",
    "$0 38,12 84,101 57,28 47,102 40,34",
});

// ------------------------------------------------------------ preview

struct Canvas {
  int width;
  int height;
  std::vector<std::uint8_t> rgb;
  void Put(int x, int y, Colour c, int alpha) {
    if (x < 0 || y < 0 || x >= width || y >= height) return;
    std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    const std::uint8_t source[3] = {c.r, c.g, c.b};
    for (int i = 0; i < 3; ++i)
      p[i] = static_cast<std::uint8_t>((source[i] * alpha + p[i] * (255 - alpha)) / 255);
  }
  void Save(const std::string& path, int scale) const {
    std::vector<std::uint8_t> big(rgb.size() * scale * scale);
    for (int y = 0; y < height * scale; ++y)
      for (int x = 0; x < width * scale; ++x)
        for (int i = 0; i < 3; ++i)
          big[(static_cast<std::size_t>(y) * width * scale + x) * 3 + i] =
              rgb[(static_cast<std::size_t>(y / scale) * width + x / scale) * 3 + i];
    if (!stbi_write_png(path.c_str(), width * scale, height * scale, 3, big.data(),
                        width * scale * 3))
      throw std::runtime_error("cannot write " + path);
  }
};

Canvas Blank(int width, int height, Colour fill) {
  Canvas canvas{width, height, {}};
  for (int i = 0; i < width * height; ++i)
    canvas.rgb.insert(canvas.rgb.end(), {fill.r, fill.g, fill.b});
  return canvas;
}

// Index 0 is see-through when cels are put together, as in a KiSS viewer.
void DrawIndexed(Canvas& canvas, const IndexedCel& cel, const std::vector<Colour>& colours,
                 CelRect at, bool zeroSeeThrough) {
  for (int y = 0; y < cel.height; ++y)
    for (int x = 0; x < cel.width; ++x) {
      const int index = cel.pixels[y * cel.width + x];
      if (index == 0 && zeroSeeThrough) continue;
      canvas.Put(at.x + x, at.y + y,
                 index < static_cast<int>(colours.size()) ? colours[index] : Colour{0, 0, 0}, 255);
    }
}

void DrawRgba(Canvas& canvas, const RgbaCel& cel, CelRect at) {
  for (int y = 0; y < cel.height; ++y)
    for (int x = 0; x < cel.width; ++x) {
      const std::uint8_t* p = &cel.pixels[(static_cast<std::size_t>(y) * cel.width + x) * 4];
      canvas.Put(at.x + x, at.y + y, Colour{p[0], p[1], p[2]}, p[3]);
    }
}

std::vector<Colour> Reduced(std::vector<Colour> colours) {
  for (Colour& c : colours) c = Reduce12(c);
  return colours;
}

std::vector<Colour> Grey() {
  std::vector<Colour> ramp;
  for (int i = 0; i < 256; ++i)
    ramp.push_back(Colour{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)});
  return ramp;
}

const std::vector<Colour> kBuiltIn = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

}  // namespace

int main(int argc, char** argv) {
  try {
    std::string out;
    std::string preview;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--preview" && i + 1 < argc) {
        preview = argv[++i];
      } else if (out.empty() && !arg.empty() && arg[0] != '-') {
        out = arg;
      } else {
        std::cerr << "usage: make_samples OUTPUT_FOLDER [--preview FOLDER]\n";
        return 2;
      }
    }
    if (out.empty()) {
      std::cerr << "usage: make_samples OUTPUT_FOLDER [--preview FOLDER]\n";
      return 2;
    }

    const IndexedCel body = DrawBody();
    const IndexedCel dress = DrawDress();
    const IndexedCel bow = DrawBow();
    const IndexedCel hair = DrawHair();
    const RgbaCel hat = DrawHat();
    const IndexedCel flower = DrawFlower();
    const IndexedCel moon = DrawMoon();
    const PaletteGroups bodyPalette = BodyPalette();
    const PaletteGroups dressPalette = DressPalette();
    const PaletteGroups hairPalette = HairPalette();

    const std::string set = out + "/mira";
    const std::string loose = set + "/loose";
    MakeFolder(out);
    MakeFolder(set);
    MakeFolder(loose);
    // Every file of the set by its path inside it, written out and packed.
    const std::vector<PackedFile> files = {
        {"mira.cnf", Bytes(kConfiguration.begin(), kConfiguration.end())},
        {"mira.kcf", EncodeHeadedPalette(bodyPalette, 24)},
        {"dress.kcf", EncodeHeadedPalette(dressPalette, 12)},
        {"hair.kcf", EncodeHeaderlessPalette(hairPalette)},
        {"body.cel", EncodeHeadedCel(body, 8, 0, 0)},
        {"dress.cel", EncodeHeadedCel(dress, 4, 0, 0)},
        {"bow.cel", EncodeHeadedCel(bow, 4, 0, 0)},
        {"hair.cel", EncodeHeaderlessCel(hair)},
        {"hat.cel", EncodeAlphaCel(hat, 0, 0)},
        {"loose/flower.cel", EncodeHeadedCel(flower, 4, 0, 0)},
        {"loose/moon.cel", EncodeHeadedCel(moon, 8, 0, 0)},
    };
    for (const PackedFile& file : files) WriteFile(set + "/" + file.path, file.bytes);
    // The same set as it travels: packed whole, its folder loose/ kept.
    const std::string archives = out + "/archives";
    MakeFolder(archives);
    WriteFile(archives + "/mira.zip", ZipArchive(files));
    WriteFile(archives + "/mira.lzh", StoredLzhArchive(files));

    if (!preview.empty()) {
      MakeFolder(preview);
      const std::vector<Colour> rose = Reduced(dressPalette[0]);
      const std::vector<Colour> chestnut = Reduced(hairPalette[0]);
      Canvas doll = Blank(kCanvasWidth, kCanvasHeight, Colour{255, 255, 255});
      DrawIndexed(doll, body, bodyPalette[0], kBodyRect, true);
      DrawIndexed(doll, dress, rose, kDressRect, true);
      DrawIndexed(doll, hair, chestnut, kHairRect, true);
      DrawIndexed(doll, bow, rose, kBowRect, true);
      DrawRgba(doll, hat, kHatRect);
      doll.Save(preview + "/doll.png", 2);
      auto single = [&](const char* name, const IndexedCel& cel,
                        const std::vector<Colour>& colours) {
        Canvas canvas = Blank(cel.width, cel.height, Colour{0, 0, 0});
        DrawIndexed(canvas, cel, colours, CelRect{0, 0, cel.width, cel.height}, false);
        canvas.Save(preview + "/" + name + ".png", 1);
      };
      single("body", body, bodyPalette[0]);
      single("dress", dress, rose);
      single("bow", bow, rose);
      single("hair", hair, chestnut);
      single("flower", flower, kBuiltIn);
      single("moon", moon, Grey());
      Canvas hatCanvas = Blank(hat.width, hat.height, Colour{255, 255, 255});
      DrawRgba(hatCanvas, hat, CelRect{0, 0, hat.width, hat.height});
      hatCanvas.Save(preview + "/hat.png", 1);
    }
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "make_samples: " << e.what() << "\n";
    return 1;
  }
}
