#include "doll/doll_compose.h"

#include <algorithm>
#include <cstring>

#include "cel/cel_format.h"
#include "cel/colour_table.h"
#include "cel/text_adapters.h"

namespace {

constexpr unsigned kCanvasDepth = 24;

// A palette file as the composer uses it: read once for the whole page.
struct SetPalette {
  bool read = false;
  std::vector<std::uint8_t> bytes;
  PaletteLayout layout = {false, 0, 0, 0};
  std::uint32_t groupCount = 0;
};

class PaletteFiles {
 public:
  PaletteFiles(const DollConfig& config, DollFiles& files)
      : config_(config), files_(files), palettes_(config.paletteFiles.size()) {}

  // The palette file of '%' line number (a number beyond the lines: the
  // first), or null when there is no such line or the file is not a palette.
  const SetPalette* ForNumber(std::int32_t number) {
    if (palettes_.empty()) return nullptr;
    const std::size_t index =
        number >= 0 && static_cast<std::size_t>(number) < palettes_.size() ? number : 0;
    SetPalette& palette = palettes_[index];
    if (!palette.read) {
      palette.read = true;
      const std::string& name = config_.paletteFiles[index];
      if (files_.Read(name, &palette.bytes)) {
        const ByteView view{palette.bytes.data(), palette.bytes.size()};
        palette.layout = RecognisePalette(view, EndsWithNoCase(name.data(), name.size(), ".kcf"));
        const PaletteHeader header = ReadPaletteHeader(view);
        palette.groupCount =
            PassesPaletteHeaderTest(header) ? header.groupCount : kHeaderlessPaletteGroupCount;
      }
    }
    return palette.layout.recognised ? &palette : nullptr;
  }

 private:
  const DollConfig& config_;
  DollFiles& files_;
  std::vector<SetPalette> palettes_;
};

// 2^depth RGBQUAD entries: the palette's group (group 0 when the file has
// fewer), or the fallback colours without a palette.
void FillCelColours(std::uint8_t* table, unsigned depth, const SetPalette* palette,
                    std::uint32_t group) {
  if (palette == nullptr) {
    BuildFallbackColours(table, depth);
    return;
  }
  const std::uint32_t usedGroup = group < palette->groupCount ? group : 0;
  BuildPaletteColours(table, depth, {palette->bytes.data(), palette->bytes.size()}, palette->layout,
                      usedGroup, palette->bytes.size());
}

struct Canvas {
  std::uint8_t* pixels;
  std::int64_t width;
  std::int64_t height;
  std::uint64_t stride;

  // Bottom-up rows: the doll's top row is the block's last.
  std::uint8_t* Pixel(std::int64_t x, std::int64_t y) const {
    return pixels + static_cast<std::size_t>(height - 1 - y) * stride +
           static_cast<std::size_t>(x) * 3;
  }
};

// A colour channel of a cel laid with weight (0 to 255) onto the one below:
// the step from below toward the cel, weight/255 of the way, cut toward zero
// as integer division cuts (so it never passes the cel's colour), as KiSS
// viewers blend.
std::uint8_t Blend(std::uint8_t cel, std::uint8_t below, unsigned weight) {
  const int step = (cel - below) * static_cast<int>(weight) / 255;
  return static_cast<std::uint8_t>(below + step);
}

// Draws a cel whose top left corner lies at (left, top); what falls outside
// the canvas is clipped, index 0 and the bytes past the file's end (zero)
// leave the canvas as it is. translucency (0 to 254) weighs the cel's pixels
// against what lies under them; a 32-bit cel's alpha is multiplied by it.
void DrawCel(ByteView cel, const CelLayout& layout, const std::uint8_t* colours, std::int64_t left,
             std::int64_t top, unsigned translucency, const Canvas& canvas) {
  const std::uint64_t bytesPerRow = CelBytesPerRow(layout.width, layout.bitsPerPixel);
  const std::int64_t firstColumn = std::max<std::int64_t>(0, -left);
  const std::int64_t endColumn = std::min<std::int64_t>(layout.width, canvas.width - left);
  const std::int64_t firstRow = std::max<std::int64_t>(0, -top);
  const std::int64_t endRow = std::min<std::int64_t>(layout.height, canvas.height - top);
  for (std::int64_t row = firstRow; row < endRow; ++row) {
    const std::uint64_t rowStart =
        layout.pixelOffset + static_cast<std::uint64_t>(row) * bytesPerRow;
    const ByteView bytes =
        cel.From(rowStart <= cel.size ? static_cast<std::size_t>(rowStart) : cel.size);
    for (std::int64_t column = firstColumn; column < endColumn; ++column) {
      std::uint8_t* out = canvas.Pixel(left + column, top + row);
      const auto c = static_cast<std::size_t>(column);
      if (layout.bitsPerPixel == 32) {
        // Blue, green, red, alpha; the translucency multiplies the alpha.
        const unsigned alpha = bytes.At(4 * c + 3) * (255 - translucency) / 255;
        if (alpha == 0) continue;
        for (int channel = 0; channel < 3; ++channel)
          out[channel] = Blend(bytes.At(4 * c + channel), out[channel], alpha);
        continue;
      }
      const std::uint8_t index = layout.bitsPerPixel == 8 ? bytes.At(c)
                                 : (c & 1) == 0           ? bytes.At(c / 2) >> 4
                                                          : bytes.At(c / 2) & 0x0F;
      if (index == 0) continue;
      const std::uint8_t* entry = colours + index * kRgbQuadSize;
      if (translucency == 0) {
        std::memcpy(out, entry, 3);  // blue, green, red
        continue;
      }
      for (int channel = 0; channel < 3; ++channel)
        out[channel] = Blend(entry[channel], out[channel], 255 - translucency);
    }
  }
}

}  // namespace

bool DollSizeServed(const DollConfig& config) {
  return config.width >= 1 && config.width <= kMaxDollSide && config.height >= 1 &&
         config.height <= kMaxDollSide;
}

PicturePlan DollPicturePlan(const DollConfig& config) {
  PicturePlan plan = {};
  plan.layout.width = static_cast<std::uint32_t>(config.width);
  plan.layout.height = static_cast<std::uint32_t>(config.height);
  plan.rule = {static_cast<std::uint8_t>(kCanvasDepth), kCanvasDepth, PixelConversion::kNone};
  plan.colourTableBytes = 0;
  plan.infoBytes = kInfoHeaderSize;
  plan.stride = OutputStride(plan.layout.width, kCanvasDepth);
  plan.pixelBytes = plan.stride * plan.layout.height;
  return plan;
}

void DrawDoll(const DollConfig& config, const DollState& state, DollFiles& files,
              std::uint8_t* pixels) {
  const PicturePlan plan = DollPicturePlan(config);
  const Canvas canvas = {pixels, config.width, config.height, plan.stride};
  const int page = state.page;
  const std::uint32_t group = state.group;
  PaletteFiles palettes(config, files);

  // The background: colour 0 of the first palette file, black without one.
  std::uint8_t colours[256 * kRgbQuadSize] = {};
  if (const SetPalette* first = palettes.ForNumber(0)) FillCelColours(colours, 8, first, group);
  const auto rowBytes = static_cast<std::size_t>(canvas.width) * 3;
  for (std::int64_t y = 0; y < canvas.height; ++y) {
    std::uint8_t* row = canvas.Pixel(0, y);
    for (std::size_t at = 0; at < rowBytes; at += 3) std::memcpy(row + at, colours, 3);
    std::memset(row + rowBytes, 0, static_cast<std::size_t>(plan.stride) - rowBytes);  // padding
  }

  const std::uint16_t pageBit =
      page >= 0 && page < kDollPageLimit ? static_cast<std::uint16_t>(1u << page) : 0;
  const std::vector<DollPoint>* places =
      page >= 0 && static_cast<std::size_t>(page) < state.places.size()
          ? &state.places[static_cast<std::size_t>(page)]
          : nullptr;
  std::vector<std::uint8_t> celBytes;
  for (std::size_t i = config.cels.size(); i-- > 0;) {
    const DollCel& cel = config.cels[i];
    if ((cel.pages & pageBit) == 0) continue;
    const bool mapped = i < state.mapped.size() ? state.mapped[i] != 0 : true;
    const unsigned translucency = i < state.translucency.size() ? state.translucency[i] : 0;
    if (!mapped || translucency >= 255) continue;
    if (!files.Read(cel.name, &celBytes)) continue;
    const ByteView bytes{celBytes.data(), celBytes.size()};
    // What the cel plug-in would not take for a cel (a GIF on a cel line) is left out.
    if (!PassesQuickTest(bytes, EndsWithNoCase(cel.name.data(), cel.name.size(), ".cel"))) continue;
    const CelLayout layout = ReadCelLayout(bytes);
    const unsigned depth = layout.bitsPerPixel;
    if (depth != 4 && depth != 8 && depth != 32) continue;
    if (depth != 32) FillCelColours(colours, depth, palettes.ForNumber(cel.paletteNumber), group);
    DollPoint place;
    if (places != nullptr && cel.object >= 0 &&
        static_cast<std::size_t>(cel.object) < places->size()) {
      place = (*places)[static_cast<std::size_t>(cel.object)];
    }
    std::int64_t left = place.x;
    std::int64_t top = place.y;
    if (layout.headed) {
      const CelHeader header = ReadCelHeader(bytes);
      left += header.xOffset;
      top += header.yOffset;
    }
    DrawCel(bytes, layout, colours, left, top, translucency, canvas);
  }
}

void ComposeDoll(const DollConfig& config, int page, DollFiles& files, std::uint8_t* pixels) {
  DrawDoll(config, OpeningDollState(config, page), files, pixels);
}
