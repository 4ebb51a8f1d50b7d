#include "doll/doll_host.h"

#include <vector>

namespace {

Bytes Palette(bool twoGroups) {
  std::vector<kiss::Colour24> colours;
  for (int g = 0; g < (twoGroups ? 2 : 1); ++g) {
    for (int i = 0; i < 16; ++i) {
      const std::uint32_t c = twoGroups ? TinySet::P(g, i) : TinySet::Q(i);
      colours.push_back({static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                         static_cast<std::uint8_t>(c >> 16)});
    }
  }
  return PaletteFile(24, 16, twoGroups ? 2 : 1, kiss::Entries24(colours));
}

Bytes Cel(std::uint16_t width, std::uint16_t height, std::uint16_t xOffset,
          const std::vector<std::uint8_t>& indices) {
  kiss::CelFields fields;
  fields.width = width;
  fields.height = height;
  fields.xOffset = xOffset;
  return kiss::HeadedCel(fields, kiss::FourBitRows(indices, width));
}

struct TinyFile {
  const char* name;
  Bytes bytes;
};

std::vector<TinyFile> Files() {
  return {{"p.kcf", Palette(true)},
          {"q.kcf", Palette(false)},
          {"top.cel", Cel(3, 1, 1, {1, 0, 2})},
          {"under.cel", Cel(3, 2, 0, {1, 1, 1, 1, 1, 1})},
          {"hidden.cel", Cel(1, 1, 0, {3})}};
}

}  // namespace

std::string TinySet::Write(const TempFolder& base, const std::string& folder,
                           const std::string& configuration) {
  const std::string prefix = folder.empty() ? "" : folder + "\\";
  if (!folder.empty()) CreateDirectoryA((base.Path() + "\\" + folder).c_str(), nullptr);
  for (const TinyFile& file : Files()) base.Write(prefix + file.name, file.bytes);
  return base.Write(prefix + "tiny.cnf", configuration);
}

std::wstring TinySet::WriteWide(const TempFolder& base, const std::wstring& folder) {
  CreateDirectoryW((Widened(base.Path()) + L"\\" + folder).c_str(), nullptr);
  for (const TinyFile& file : Files()) base.Write(folder + L"\\" + Widened(file.name), file.bytes);
  const std::string text = Configuration();
  return base.Write(folder + L"\\tiny.cnf", Bytes(text.begin(), text.end()));
}

std::uint32_t TinySet::Expected(int page, int x, int y) {
  if (page == 0) {
    // top.cel at object 0's place 1,1 plus its offset: columns 2 to 4 of row 1.
    if (y == 1 && x == 2) return P(0, 1);
    if (y == 1 && x == 4) return P(0, 2);
    // under.cel at 1,1: columns 1 to 3, rows 1 and 2; column 3 shows through
    // top.cel's index 0.
    if (x >= 1 && x <= 3 && (y == 1 || y == 2)) return Q(1);
    return P(0, 0);  // the first palette's colour 0 in group 0
  }
  // Page 1, group 1: top.cel at "*" (0,0) plus its offset, under.cel at 4,3
  // in q.kcf's group 0 (it has no group 1), hidden.cel at 0,0 in the first
  // palette's group 1.
  if (y == 0 && x == 1) return P(1, 1);
  if (y == 0 && x == 3) return P(1, 2);
  if (x >= 4 && x <= 6 && (y == 3 || y == 4)) return Q(1);
  if (x == 0 && y == 0) return P(1, 3);
  return P(1, 0);
}
