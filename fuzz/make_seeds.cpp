// Writes seed inputs for every fuzz target, each in its target's input form,
// from KiSS set folders and, with --edges, from the hand-made edge cases:
//
//   make_seeds [--edges] OUTPUT_ROOT [SET_FOLDER...]
//
// OUTPUT_ROOT/<target>/ receives the seeds, named after their folder and
// file. Each set folder gives its cels, palettes and configuration files to
// the targets that read them, and the whole folder (with searches for its
// cels and a few changes) to folder_search_fuzz. The output is the same on
// every run.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/archive_files.h"
#include "support/kiss_files.h"

namespace fs = std::filesystem;
using namespace std::string_literals;
using kiss::Bytes;

namespace {

constexpr std::size_t kProbeBytes = 48;

class Seeds {
 public:
  explicit Seeds(fs::path root) : root_(std::move(root)) {}
  void Put(const std::string& target, const std::string& name, const Bytes& bytes) const {
    const fs::path folder = root_ / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + (folder / name).string());
  }

 private:
  fs::path root_;
};

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }
Bytes Joined(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}
Bytes Prefix(const Bytes& bytes, std::size_t count) {
  return Bytes(bytes.begin(),
               bytes.begin() + static_cast<std::ptrdiff_t>(std::min(count, bytes.size())));
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return text;
}
bool HasExtension(const std::string& name, const std::string& extension) {
  return name.size() >= extension.size() &&
         Lower(name.substr(name.size() - extension.size())) == extension;
}

// ------------------------------------------------------------ input forms

// convert_fuzz: a settings byte, then the cel.
Bytes ConvertInput(std::uint8_t settings, const Bytes& cel) { return Joined({settings}, cel); }

// probe_fuzz: flags (bit 0: no name), the name and a zero, the first bytes.
Bytes ProbeInput(const std::string& name, const Bytes& cel, bool nameless = false) {
  Bytes input = {static_cast<std::uint8_t>(nameless ? 1 : 0)};
  input = Joined(Joined(input, Text(name)), {0});
  return Joined(input, Prefix(cel, kProbeBytes));
}

// palette_fuzz: depth, group (32 bits), the name and a zero, the file.
Bytes PaletteInput(unsigned depth, std::uint32_t group, const std::string& name,
                   const Bytes& file) {
  Bytes input = {static_cast<std::uint8_t>(depth)};
  for (int i = 0; i < 4; ++i) input.push_back(static_cast<std::uint8_t>(group >> (8 * i)));
  return Joined(Joined(Joined(input, Text(name)), {0}), file);
}

// cnf_fuzz: the step byte (1: code page 932), then the text.
Bytes CnfInput(bool cp932, const std::string& text) {
  return Joined({static_cast<std::uint8_t>(cp932 ? 1 : 0)}, Text(text));
}

// doll_fuzz: the page, then records of a name (1-byte length) and its data
// (3-byte length): the configuration first, then the set's files.
Bytes DollRecord(const std::string& name, const Bytes& data) {
  Bytes record = {static_cast<std::uint8_t>(name.size())};
  record = Joined(record, Text(name));
  record = Joined(
      record, {static_cast<std::uint8_t>(data.size()), static_cast<std::uint8_t>(data.size() >> 8),
               static_cast<std::uint8_t>(data.size() >> 16)});
  return Joined(record, data);
}

// folder_search_fuzz: the options byte, then zero-separated records.
struct FolderScript {
  std::uint8_t options = 0;
  std::vector<std::string> records;
  void Write(const std::string& name, const std::string& text = "") {
    records.push_back("W" + name + (text.empty() ? "" : "\n" + text));
  }
  void Remove(const std::string& name) { records.push_back("D" + name); }
  void Rename(const std::string& from, const std::string& to) {
    records.push_back("M" + from + "\n" + to);
  }
  void CopySwappingCase(const std::string& name) { records.push_back("C" + name); }
  void Wait(std::uint8_t quarters) {
    records.push_back(std::string("T") + static_cast<char>(quarters));
  }
  void Find(const std::string& cel) { records.push_back("F" + cel); }
  Bytes Input() const {
    Bytes input = {options};
    for (const std::string& record : records) input = Joined(Joined(input, Text(record)), {0});
    return input;
  }
};

// Options of folder_search_fuzz.
constexpr std::uint8_t kCodePage932 = 0x01;
constexpr std::uint8_t kFolderKeepsTime = 0x02;
constexpr std::uint8_t kFatClock = 0x04;
constexpr std::uint8_t kWideLimits = 1 << 3;
constexpr std::uint8_t kShortAnswers = 2 << 3;
constexpr std::uint8_t kShortPaths = 3 << 3;
constexpr std::uint8_t kFolderSet = 1 << 5;
constexpr std::uint8_t kFolderEmpty = 2 << 5;
constexpr std::uint8_t kFolderLong = 3 << 5;
constexpr std::uint8_t kAliases = 0x80;
constexpr std::uint8_t kOneMinute = 240;

// ------------------------------------------------------------ set folders

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HasHighBytes(const Bytes& bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b >= 0x80; });
}

void SeedsFromFolder(const Seeds& seeds, const fs::path& folder) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  // "sets/moon/" names its set as "sets/moon" does.
  const fs::path named = folder.filename().empty() ? folder.parent_path() : folder;
  const std::string set = named.filename().string();

  FolderScript script;
  script.options = kAliases;
  std::vector<std::string> cels;
  std::vector<std::string> cnfs;
  std::vector<std::string> palettes;
  std::vector<fs::path> setFiles;
  for (const fs::path& path : files) {
    const std::string name = path.filename().string();
    const std::string seed = set + "-" + name;
    const Bytes bytes = ReadFile(path);
    if (HasExtension(name, ".cel") || HasExtension(name, ".kcf")) setFiles.push_back(path);
    if (HasExtension(name, ".cel")) {
      cels.push_back(name);
      seeds.Put("convert_fuzz", seed, ConvertInput(0, bytes));
      seeds.Put("probe_fuzz", seed, ProbeInput(name, bytes));
      script.Write(name);
    } else if (HasExtension(name, ".kcf")) {
      palettes.push_back(name);
      seeds.Put("palette_fuzz", seed + "-4", PaletteInput(4, 0, name, bytes));
      seeds.Put("palette_fuzz", seed + "-8", PaletteInput(8, 0, name, bytes));
      script.Write(name);
    } else if (HasExtension(name, ".cnf")) {
      cnfs.push_back(name);
      const bool cp932 = HasHighBytes(bytes);
      seeds.Put("cnf_fuzz", seed, CnfInput(cp932, std::string(bytes.begin(), bytes.end())));
      if (cp932) script.options |= kCodePage932;
      // The text up to any zero byte: the search reads no further.
      script.Write(name, std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0)));
    } else {
      script.Write(name);
    }
  }
  if (cels.empty() && cnfs.empty() && palettes.empty()) return;
  // Each configuration with every cel and palette file of its folder.
  for (const std::string& cnf : cnfs) {
    Bytes files;
    for (const fs::path& path : setFiles)
      files = Joined(files, DollRecord(path.filename().string(), ReadFile(path)));
    const Bytes text = ReadFile(folder / cnf);
    seeds.Put("doll_fuzz", set + "-" + cnf, Joined(Joined({0}, DollRecord(cnf, text)), files));
  }
  // A few of the cels are searched for each time: the target checks at most
  // a few dozen searches.
  auto findAll = [&] {
    for (std::size_t i = 0; i < cels.size() && i < 6; ++i) script.Find(cels[i]);
    script.Find("unplaced.cel");
  };
  // Freshly written, then settled; then changed: a palette file gone, a
  // configuration file renamed away and back.
  findAll();
  script.Wait(kOneMinute);
  findAll();
  findAll();
  if (!palettes.empty()) {
    script.Remove(palettes.front());
    findAll();
  }
  if (!cnfs.empty()) {
    script.Rename(cnfs.front(), cnfs.front() + ".old");
    findAll();
    script.Wait(kOneMinute);
    script.Rename(cnfs.front() + ".old", cnfs.front());
    findAll();
  }
  seeds.Put("folder_search_fuzz", set, script.Input());
  // The same on a FAT volume: a coarse clock, and a folder time that stays.
  script.options |= kFolderKeepsTime | kFatClock;
  seeds.Put("folder_search_fuzz", set + "-fat", script.Input());
}

// ------------------------------------------------------------ edge cases

std::vector<kiss::Colour12> Ramp12(std::size_t count) {
  std::vector<kiss::Colour12> colours;
  for (std::size_t i = 0; i < count; ++i)
    colours.push_back({static_cast<std::uint8_t>(i % 16), static_cast<std::uint8_t>((i / 16) % 16),
                       static_cast<std::uint8_t>(15 - i % 16)});
  return colours;
}
std::vector<kiss::Colour24> Ramp24(std::size_t count) {
  std::vector<kiss::Colour24> colours;
  for (std::size_t i = 0; i < count; ++i)
    colours.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 7),
                       static_cast<std::uint8_t>(255 - i)});
  return colours;
}

void EdgeCels(const Seeds& seeds) {
  using kiss::HeadedCel;
  using kiss::HeaderlessCel;
  const Bytes fourBit = kiss::FourBitRows({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, 5);
  const Bytes header = HeadedCel(0x20, 4, 3, 2);
  kiss::CelFields offsets;
  offsets.bitsPerPixel = 8;
  offsets.width = 2;
  offsets.height = 2;
  offsets.xOffset = 40;
  offsets.yOffset = 0xFFFF;
  kiss::CelFields lowerMagic;
  lowerMagic.magic = {'k', 'i', 's', 's'};
  lowerMagic.width = 4;
  lowerMagic.height = 4;
  kiss::CelFields reversedMagic = lowerMagic;
  reversedMagic.magic = {'S', 'S', 'i', 'K'};
  const std::vector<std::pair<std::string, Bytes>> cels = {
      {"short-magic", Text("KiSS")},
      {"short-header-6", Prefix(header, 6)},
      {"short-header-10", Prefix(header, 10)},
      {"short-header-31", Prefix(HeadedCel(0x21, 32, 1, 1), 31)},
      {"headerless-short", {5, 0, 3}},
      {"zero-width", HeadedCel(0x20, 8, 0, 4, {1, 2, 3, 4})},
      {"zero-height", HeadedCel(0x20, 4, 7, 0)},
      {"headerless-zero-width", HeaderlessCel(0, 3, {1, 2, 3})},
      {"odd-width-4bit", HeadedCel(0x20, 4, 5, 3, fourBit)},
      {"odd-width-headerless", HeaderlessCel(5, 3, fourBit)},
      {"width-1", HeadedCel(0x20, 4, 1, 1, {0xF0})},
      {"alpha-mark-8bit", HeadedCel(0x21, 8, 2, 2, {1, 2, 3, 4})},
      {"paletted-mark-32bit", HeadedCel(0x20, 32, 1, 1, kiss::AlphaRows({1, 2, 3, 4}))},
      {"alpha-soft",
       HeadedCel(0x21, 32, 2, 2,
                 kiss::AlphaRows({255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255, 9, 9, 9, 1}))},
      {"depth-12", HeadedCel(0x20, 12, 3, 3)},
      {"depth-24", HeadedCel(0x20, 24, 3, 3)},
      {"depth-7", HeadedCel(0x20, 7, 2, 2, {1, 2, 3, 4})},
      {"lowercase-magic", HeadedCel(lowerMagic, {1, 2, 3, 4, 5, 6, 7, 8})},
      {"reversed-magic", HeadedCel(reversedMagic, {1, 2, 3, 4, 5, 6, 7, 8})},
      {"short-rows-8bit", HeadedCel(0x20, 8, 4, 4, {1, 2, 3})},
      {"offsets", HeadedCel(offsets, {1, 2, 3, 4})},
      {"largest-32bit", HeadedCel(0x21, 32, 0xFFFF, 0xFFFF)},
      {"largest-headerless", HeaderlessCel(0xFFFF, 0xFFFF, {0x12})},
  };
  // Names of every kind the quick test meets: cases, too short, a path,
  // double-byte (Shift-JIS) names, one whose last four bytes follow a lead
  // byte, a full-width ".CEL", and a longer extension.
  const std::vector<std::string> names = {
      "edge.cel",
      "EDGE.CEL",
      "x.Cel",
      ".cel",
      "cel",
      "",
      "C:\\sets\\mira\\body.cel",
      "\x83\x74\x83\x40\x83\x43\x83\x8b.cel",
      "\x95\x5c.CEL",
      "ab\x82.cel",
      "\x81\x44\x82\x62\x82\x64\x82\x6b",
      "body.cel.bmp",
  };
  for (std::size_t i = 0; i < cels.size(); ++i) {
    const auto& [name, bytes] = cels[i];
    seeds.Put("convert_fuzz", "edge-" + name, ConvertInput(0, bytes));
    seeds.Put("convert_fuzz", "edge-" + name + "-ignore-alpha", ConvertInput(0xA5, bytes));
    seeds.Put("probe_fuzz", "edge-" + name, ProbeInput(names[i % names.size()], bytes));
  }
  const Bytes headerless = {10, 0, 5, 0};
  for (std::size_t i = 0; i < names.size(); ++i)
    seeds.Put("probe_fuzz", "edge-name-" + std::to_string(i), ProbeInput(names[i], headerless));
  seeds.Put("probe_fuzz", "edge-nameless", ProbeInput("", headerless, true));
}

void EdgePalettes(const Seeds& seeds) {
  using kiss::PaletteFile;
  kiss::PaletteFields badMark;
  badMark.mark = 0x11;
  const Bytes headerless =
      kiss::HeaderlessPalette(std::vector<std::vector<kiss::Colour12>>(10, Ramp12(16)));
  struct Case {
    std::string seed;
    unsigned depth;
    std::uint32_t group;
    std::string name;
    Bytes file;
  };
  const std::vector<Case> cases = {
      {"12bit-16x1", 4, 0, "p.kcf", PaletteFile(12, 16, 1, kiss::Entries12(Ramp12(16)))},
      {"12bit-256-group1", 8, 1, "p.kcf", PaletteFile(12, 256, 1, kiss::Entries12(Ramp12(512)))},
      {"24bit-16x3-group2", 4, 2, "dress.KCF", PaletteFile(24, 16, 3, kiss::Entries24(Ramp24(48)))},
      {"24bit-256x10", 8, 0, "big.kcf", PaletteFile(24, 256, 10, kiss::Entries24(Ramp24(2560)))},
      {"24bit-256x10-group1", 8, 1, "big.kcf",
       PaletteFile(24, 256, 10, kiss::Entries24(Ramp24(2560)))},
      {"headerless-group9", 4, 9, "HAIR.KCF", headerless},
      {"headerless-depth8", 8, 0, "hair.kcf", headerless},
      {"headerless-unnamed", 4, 0, "hair.pal", headerless},
      {"headerless-unnamed-8", 8, 0, "hair.kcf.bak", headerless},
      {"zero-colours", 4, 0, "z.kcf", PaletteFile(12, 0, 1)},
      {"257-colours", 8, 0, "z.kcf", PaletteFile(12, 257, 1, kiss::Entries12(Ramp12(257)))},
      {"11-groups", 4, 10, "z.kcf", PaletteFile(12, 16, 11, kiss::Entries12(Ramp12(176)))},
      {"16-bit-colours", 4, 0, "z.kcf", PaletteFile(16, 16, 1, kiss::Entries12(Ramp12(16)))},
      {"mark-0x11", 4, 0, "z.kcf", PaletteFile(badMark, kiss::Entries12(Ramp12(16)))},
      {"empty", 4, 0, "e.kcf", {}},
      {"two-bytes", 1, 0, "x.kcf", {0x3A, 0x05}},
      {"depth-0", 0, 0, "p.kcf", PaletteFile(12, 16, 1, kiss::Entries12(Ramp12(16)))},
      {"depth-9", 9, 0, "p.kcf", PaletteFile(12, 16, 1, kiss::Entries12(Ramp12(16)))},
      {"depth-1-fallback", 1, 0, "p.bin", {}},
      {"group-last", 8, 0xFFFFFFFF, "p.kcf", PaletteFile(24, 256, 1, kiss::Entries24(Ramp24(256)))},
      {"double-byte-name", 4, 0, "\x83\x70\x83\x8c.kcf", headerless},
      {"short-name", 4, 0, "kcf", headerless},
  };
  for (const Case& c : cases)
    seeds.Put("palette_fuzz", "edge-" + c.seed, PaletteInput(c.depth, c.group, c.name, c.file));
}

std::string Lines(std::size_t count, const std::string& line) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += line;
  return text;
}

void EdgeCnfs(const Seeds& seeds) {
  const std::string longName(257, 'n');
  const std::vector<std::pair<std::string, std::string>> texts = {
      {"crlf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *1 :0\r\n#2 arm.cel *0\r\n"},
      {"cr", "%a.kcf\r%b.kcf\r#1 body.cel *1\r"},
      {"lf", "%a.kcf\n%b.kcf\n#1 body.cel *1\n"},
      {"lfcr", "%a.kcf\n\r%b.kcf\n\r#1 body.cel *1\n\r"},
      {"mixed", "%a.kcf\r\n%b.kcf\n\r\r\n#1 body.cel *1\r#2 arm.cel\n\n;end"},
      {"no-final-break", "%a.kcf\r\n#1 body.cel *0"},
      {"eof-mark", "%a.kcf\r\n#1 body.cel *0\r\n\x1a"},
      {"zero-inside", "%a.kcf\r\n\0#1 body.cel *0\r\n"s},
      {"lines-2047", "%a.kcf\r\n" + Lines(2045, ";\r\n") + "#1 body.cel *0\r\n"},
      {"lines-2048", "%a.kcf\r\n" + Lines(2046, ";\r\n") + "#1 body.cel *0\r\n"},
      {"lines-2100", Lines(2100, "\r") + "%late.kcf\r#1 body.cel *0\r"},
      {"long-palette-names", "%" + longName + "\r\n%" + longName + "x\r\n#1 body.cel *1\r\n"},
      {"long-cel-line", "%a.kcf\r\n#1" + std::string(245, ' ') + "body.cel *0\r\n#1 " +
                            std::string(300, 'c') + ".cel *0\r\n"},
      {"numbers",
       "%a.kcf\r\n#1 a.cel *-1\r\n#1 b.cel *+2\r\n#1 c.cel *99999999999\r\n"
       "#1 d.cel ; *3\r\n#1 e.cel :1 *1\r\n#1 f.cel *\r\n#1 g.cel\t*1\r\n"},
      {"empty-palette-name", "%\r\n% a.kcf\r\n#1 body.cel *0\r\n"},
      {"empty", ""},
  };
  for (const auto& [seed, text] : texts)
    seeds.Put("cnf_fuzz", "edge-" + seed, CnfInput(false, text));
  // Shift-JIS: trail bytes that look like '\', a blank after a lead byte,
  // a lead byte at a line's end.
  const std::vector<std::pair<std::string, std::string>> sjis = {
      {"sjis-names",
       "; \x82\xa0\x82\xa2\r\n%\x95\x5c.kcf\r\n#1 \x95\x5c.cel *0\r\n#2 "
       "\x83\x5c\x83\x74\x83\x67.cel *0\r\n"},
      {"sjis-lead-blank", "%\x81 x.kcf\r\n#1 \x81 body.cel *0\r\n%\x81\r\n"},
      {"sjis-full-width", "%p.kcf\r\n#1 \x82\x60.cel *0\r\n"},
  };
  for (const auto& [seed, text] : sjis) seeds.Put("cnf_fuzz", "edge-" + seed, CnfInput(true, text));
}

void EdgeDolls(const Seeds& seeds) {
  const Bytes palette = kiss::PaletteFile(12, 16, 3, kiss::Entries12(Ramp12(48)));
  const Bytes cel = kiss::HeadedCel(
      0x20, 4, 5, 3, kiss::FourBitRows({1, 0, 3, 4, 5, 6, 7, 0, 9, 10, 11, 12, 13, 14, 15}, 5));
  const Bytes glass =
      kiss::HeadedCel(0x21, 32, 2, 1, kiss::AlphaRows({255, 0, 0, 128, 0, 255, 0, 255}));
  const Bytes files = Joined(Joined(DollRecord("p.kcf", palette), DollRecord("a.cel", cel)),
                             DollRecord("glass.cel", glass));
  const std::vector<std::pair<std::string, std::string>> dolls = {
      {"pages",
       "(20,10)\n%p.kcf\n#0 a.cel *0 :0 2\n#1.5 A.CEL :1\n#2 glass.cel\n"
       "$1 3,2 -2,-1 *\n 15,8\n$2 * 18,9\n"},
      {"cr-only", "(9,9)\r%P.KCF\r#0 a.cel\r$0 -3,-3\r\t4,4\r"},
      {"no-palette", "#3 a.cel ;no size, no palette line\n$0 1,1 2,2 3,3 4,4\n"},
      {"huge-size", "(99999,3)\n%p.kcf\n#0 a.cel\n"},
  };
  for (std::uint8_t page = 0; page < 2; ++page)
    for (const auto& doll : dolls)
      seeds.Put("doll_fuzz", "edge-" + doll.first + "-" + std::to_string(page),
                Joined(Joined({page}, DollRecord("set.cnf", Text(doll.second))), files));
}

void EdgeFolders(const Seeds& seeds) {
  auto put = [&](const std::string& seed, const FolderScript& script) {
    seeds.Put("folder_search_fuzz", "edge-" + seed, script.Input());
  };
  {
    // Names that differ only in case, and a copy made so.
    FolderScript s;
    s.Write("Mira.CNF", "%a.kcf\r\n#1 x.cel *0\r\n");
    s.Write("mira.cnf", "%b.kcf\r\n#1 body.cel *0\r\n");
    s.Write("a.kcf");
    s.Write("A.KCF");
    s.Write("b.kcf");
    s.Wait(kOneMinute);
    for (const char* cel : {"body.cel", "BODY.CEL", "x.cel", "X.Cel"}) s.Find(cel);
    s.CopySwappingCase("b.kcf");
    s.Find("body.cel");
    s.Remove("Mira.CNF");
    s.Find("x.cel");
    put("case", s);
  }
  {
    // Long names in a long folder: some paths fit, some do not.
    FolderScript s;
    s.options = kFolderLong;
    s.Write(std::string(60, 'c') + ".cnf",
            "%" + std::string(60, 'p') + ".kcf\r\n#1 body.cel *0\r\n");
    s.Write("s.cnf", "%" + std::string(50, 'q') + ".kcf\r\n#1 arm.cel *0\r\n");
    s.Write(std::string(60, 'p') + ".kcf");
    s.Write("z.kcf");
    s.Find("body.cel");
    s.Find("arm.cel");
    s.Wait(kOneMinute);
    s.Find("body.cel");
    put("long-names", s);
  }
  {
    // Tight limits: only short answers fit.
    FolderScript s;
    s.options = kShortAnswers;
    s.Write("set.cnf", "%palette-long.kcf\r\n%p.kcf\r\n#1 body.cel *0\r\n#1 arm.cel *1\r\n");
    s.Write("longer-name.kcf");
    s.Write("q.kcf");
    s.Find("body.cel");
    s.Find("arm.cel");
    s.options = kShortAnswers;
    put("short-answers", s);
    s.options = kShortPaths;
    put("short-paths", s);
  }
  {
    // 8.3 aliases: long names whose alias ends in the extension.
    FolderScript s;
    s.options = kAliases;
    s.Write("configuration.cnfx", "%palettes.kcfz\r\n#1 body.cel *0\r\n");
    s.Write("palettes.kcfz");
    s.Write("my set.cnf.old", "%other.kcf\r\n#1 body.cel *0\r\n");
    s.Find("body.cel");
    s.Find("leg.cel");
    put("aliases", s);
  }
  {
    // The listing's own entries and odd names; a folder with no
    // configuration file; an empty folder name.
    FolderScript s;
    s.options = kFolderEmpty;
    s.Write(".");
    s.Write("..");
    s.Write("a.kcf");
    s.Write(".kcf");
    s.Find("body.cel");
    s.Write(".cnf", "%\r\n#1 body.cel *0\r\n");
    s.Find("body.cel");
    s.Find("arm.cel");
    put("no-cnf-then-one", s);
  }
  {
    // Edits that keep the size, on a FAT clock and on a fine one.
    FolderScript s;
    s.options = kFolderSet | kFolderKeepsTime | kFatClock;
    s.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *0\r\n");
    s.Write("a.kcf", "AAAA");
    s.Write("b.kcf", "BBBB");
    s.Find("body.cel");
    s.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *1\r\n");
    s.Find("body.cel");
    s.Wait(kOneMinute);
    s.Find("body.cel");
    s.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n#1 body.cel *0\r\n");
    s.Write("a.kcf", "ZZZZ");
    s.Find("body.cel");
    s.Wait(4);
    s.Find("body.cel");
    s.Wait(12);
    s.Find("body.cel");
    put("same-size-fat", s);
    s.options = kFolderSet | kWideLimits;
    put("same-size", s);
  }
  {
    // Shift-JIS names: a full-width letter in either case, a trail byte '\'.
    FolderScript s;
    s.options = kCodePage932;
    s.Write("\x95\x5c.cnf",
            "%\x95\x5c.kcf\r\n%p.kcf\r\n#1 \x82\x60.cel *1\r\n#1 \x95\x5c.cel *0\r\n");
    s.Write("\x95\x5c.kcf");
    s.Write("p.kcf");
    s.Find("\x82\x81.cel");
    s.Find("\x95\x5c.cel");
    s.Find("\x95\x7c.cel");
    put("double-byte", s);
  }
  {
    // Two configuration files of one size written within the same two
    // seconds (as unpacked together): one removed, the other renamed to its
    // name. The rename is not made on the FAT clock, where both stamps agree.
    FolderScript s;
    s.options = kFolderKeepsTime | kFatClock;
    s.Write("a.cnf", "%p.kcf\r\n#1 body.cel *0\r\n");
    s.Write("b.cnf", "%q.kcf\r\n#1 body.cel *0\r\n");
    s.Write("p.kcf");
    s.Write("q.kcf");
    s.Wait(kOneMinute);
    s.Find("body.cel");
    s.Remove("a.cnf");
    s.Rename("b.cnf", "a.cnf");
    s.Find("body.cel");
    put("rename-same-stamp-fat", s);
    s.options = 0;
    put("rename-same-stamp", s);
  }
  {
    // A placing line past the 2047 lines that count.
    FolderScript s;
    s.Write("set.cnf", "%a.kcf\r\n%b.kcf\r\n" + Lines(2046, ";\r\n") + "#1 body.cel *1\r\n");
    s.Write("b.kcf");
    s.Write("a.kcf");
    s.Find("body.cel");
    put("lines-2048", s);
  }
}

// archive_fuzz: whole archives, every LZH header level and ZIP method the
// readers take, with sub-folders, a directory record and a damaged member.
void EdgeArchives(const Seeds& seeds) {
  const Bytes cel = kiss::HeaderlessCel(4, 2, Bytes(4, 0x12));
  const Bytes cnf = Text("%col.kcf\n#0 body.cel *0 :0\n$0 0,0\n");
  for (int level = 0; level <= 2; ++level) {
    std::vector<archive_files::LzhMember> members = {
        {level == 0 ? "SET\\BODY.CEL" : "body.cel", level == 0 ? "" : "set", cel},
        {level == 0 ? "SET\\" : "", level == 0 ? "" : "set", {}, true},
        {"set.cnf", "", cnf}};
    archive_files::LzhMember damaged{"bad.cel", "", cel};
    damaged.crc = 0;
    members.push_back(damaged);
    seeds.Put("archive_fuzz", "edge-lzh-level" + std::to_string(level),
              archive_files::MakeLzh(members, level));
  }
  archive_files::ZipMember utf8{"\xE3\x83\xA0.cel", cel, true, 1u << 11};
  archive_files::ZipMember badCrc{"bad.cel", cel, true};
  badCrc.crc = 0;
  seeds.Put("archive_fuzz", "edge-zip",
            archive_files::MakeZip(
                {{"set/", {}}, {"set/body.cel", cel, true}, {"set/set.cnf", cnf}, utf8, badCrc}));
}

}  // namespace

int main(int argc, char** argv) {
  try {
    int first = 1;
    const bool edges = argc > 1 && std::string(argv[1]) == "--edges";
    if (edges) ++first;
    if (argc <= first) {
      std::cerr << "usage: make_seeds [--edges] OUTPUT_ROOT [SET_FOLDER...]\n";
      return 2;
    }
    const Seeds seeds(argv[first]);
    if (edges) {
      EdgeCels(seeds);
      EdgeDolls(seeds);
      EdgePalettes(seeds);
      EdgeCnfs(seeds);
      EdgeFolders(seeds);
      EdgeArchives(seeds);
    }
    for (int i = first + 1; i < argc; ++i) SeedsFromFolder(seeds, argv[i]);
  } catch (const std::exception& error) {
    std::cerr << "make_seeds: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
