// The plug-in's speed as a host sees it: its exports driven through the one
// loader, next to the host's own work (a memcpy, a file read) in the same
// process and the same run. Each figure is a ratio of two medians measured
// here and now; nothing is compared with a number from elsewhere.
//
//   plugin_bench [PLUGIN] [REAL-SETS-FOLDER] [first-look]
// PLUGIN defaults to the build's own plug-in, the folder to the real KiSS
// sets beside the project (the project's sample doll when it is absent);
// "first-look" runs only the first-look rows.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/turns.h"
#include "cel/colour_table.h"
#include "palette/folder_search.h"
#include "spi/owners.h"
#include "support/settings_registry.h"
#include "support/test_files.h"
#include "tools/plugin_module/plugin_module.h"

namespace {

int failures = 0;

void Report(const char* goal, const char* what, const Pair& times, const char* firstName,
            const char* secondName, double limit) {
  const bool met = limit <= 0 || times.Ratio() <= limit;
  if (!met) ++failures;
  std::printf("%-3s %-56s %6.2f  (%s %.1f us, %s %.1f us)", goal, what, times.Ratio(), firstName,
              times.first, secondName, times.second);
  if (limit > 0) std::printf("  goal at most %.1f: %s", limit, met ? "met" : "NOT MET");
  std::printf("\n");
}

class Bench {
 public:
  explicit Bench(const char* path) : plugin_(path) {}
  bool Loaded() const { return plugin_.module != nullptr && plugin_.getPicture != nullptr; }

  // One GetPicture as a viewer makes it, the blocks freed as it frees them.
  void Picture(const char* source, LONG_PTR length, UINT flags) const {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    if (plugin_.getPicture(source, length, flags, &info, &pixels, nullptr, 0) != 0) {
      std::fprintf(stderr, "plugin_bench: GetPicture failed\n");
      std::exit(2);
    }
    LocalFree(info);
    LocalFree(pixels);
  }
  void FromMemory(const Bytes& cel) const {
    Picture(reinterpret_cast<const char*>(cel.data()), static_cast<LONG_PTR>(cel.size()), 1);
  }

 private:
  PluginModule plugin_;
};

// The host's own reading of a file: open, size, read, close.
void ReadFileAlone(const std::string& path, Bytes* buffer) {
  const UniqueFile file = OwnFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  const DWORD size = GetFileSize(file.get(), nullptr);
  buffer->resize(size);
  DWORD read = 0;
  if (size != 0) ReadFile(file.get(), buffer->data(), size, &read, nullptr);
}

// What the palette search must look at on every call to a settled set, so
// that any change shows in the very next one: the time, then the stamps of
// the cel's folder, a configuration file and a palette file (here the set's
// first of each; a stamp costs much the same whichever file it is).
void StampsAlone(const std::vector<std::string>& paths) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  WIN32_FILE_ATTRIBUTE_DATA data;
  for (const std::string& path : paths)
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
}
std::vector<std::string> StampedPaths(const std::string& cel) {
  const std::string set = cel.substr(0, cel.find_last_of('\\'));
  const std::vector<std::string> cnfs = ListNames(set, "*.cnf");
  const std::vector<std::string> palettes = ListNames(set, "*.kcf");
  const std::string cnf = set + "\\" + cnfs.front();  // a set has one: see CelsOfSets
  return {set, cnf, palettes.empty() ? cnf : set + "\\" + palettes.front()};
}

// The path as a host holds it: whole, without "." or ".." parts.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length != 0 && length < sizeof full ? std::string(full, length) : path;
}

// Every cel of every set with a configuration file below folder.
std::vector<std::string> CelsOfSets(const std::string& folder) {
  std::vector<std::string> cels;
  std::vector<std::string> sets = {folder};
  for (const std::string& name : ListNames(folder, "*"))
    if (IsFolder(folder + "\\" + name)) sets.push_back(folder + "\\" + name);
  for (const std::string& set : sets) {
    if (ListNames(set, "*.cnf").empty()) continue;
    for (const std::string& name : ListNames(set, "*.cel")) cels.push_back(set + "\\" + name);
  }
  return cels;
}

// A set of its own: a configuration file of lines lines that places the cel
// on its last line, a palette, the cel, and other files up to files in all.
std::string MakeSet(const TempFolder& folder, int lines, int files) {
  std::string cnf = "; a set for measuring\r\n%body.kcf\r\n";
  for (int i = 2; i < lines - 1; ++i)
    cnf += "#" + std::to_string(i) + " part" + std::to_string(i) + ".cel *0 :0 1 2 ;" +
           std::string(40, 'c') + "\r\n";
  cnf += "#1 body.cel *0 :0\r\n";
  folder.Write("set.cnf", cnf);
  folder.Write("body.kcf", PaletteFile(12, 16, 1, Pattern(32, 3)));
  const std::string cel = folder.Write("body.cel", HeadedCel(0x20, 4, 32, 32, Pattern(512, 5)));
  for (int i = 3; i < files; ++i) folder.Write("part" + std::to_string(i) + ".cel", Bytes(8, 1));
  return cel;
}

// The first look at a set: copies of it, more than the plug-in keeps, so
// that calls by name taking them in turn always meet a folder not seen yet.
struct FreshCopies {
  static constexpr std::size_t kCount = FolderCache<char>::kMaxFolders + 4;
  std::vector<std::unique_ptr<TempFolder>> folders;
  std::vector<std::string> cels;
};

// Copies of a set folder and its cel named cel, settled as a set a user opens.
FreshCopies CopiesOfSet(const std::string& set, const std::string& cel) {
  FreshCopies copies;
  const std::vector<std::string> names = ListNames(set, "*");
  for (std::size_t i = 0; i < FreshCopies::kCount; ++i) {
    copies.folders.push_back(std::make_unique<TempFolder>());
    for (const std::string& name : names) {
      if (!IsFolder(set + "\\" + name))
        copies.folders.back()->Write(name, ReadBytes(set + "\\" + name));
    }
    copies.folders.back()->Settle();
    copies.cels.push_back(copies.folders.back()->Path() + "\\" + cel);
  }
  return copies;
}

// Letters compared without regard to case, as a host compares ASCII names;
// other bytes are left to the system's comparison.
bool SameAsciiNoCase(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (static_cast<unsigned char>(a[i]) >= 0x80 || static_cast<unsigned char>(b[i]) >= 0x80)
      return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a, static_cast<int>(length), b,
                            static_cast<int>(length)) == CSTR_EQUAL;
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

bool HasExtension(const char* name, const char* extension) {
  const std::size_t length = std::strlen(name);
  const std::size_t wanted = std::strlen(extension);
  return length >= wanted && SameAsciiNoCase(name + length - wanted, extension, wanted);
}

// A configuration file's answer for the cel as a host would find it, in one
// pass over its bytes: the lines up to the one that places the cel, then as
// many palette lines as its number needs. False when no line places it.
bool PaletteFromCnf(const Bytes& cnf, const std::string& celName, std::string* palette) {
  const char* p = reinterpret_cast<const char*>(cnf.data());
  const char* const end = p + cnf.size();
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const auto lineEnd = [&](const char* q) {
    while (q < end && *q != '\r' && *q != '\n') ++q;
    return q;
  };
  std::vector<std::string> paletteLines;
  long wanted = -1;  // the palette number, once the cel's line is found
  for (; p < end; p = lineEnd(p) + 1) {
    if (*p == '%') {
      const char* name = p + 1;
      const char* q = name;
      while (q < end && !blank(*q) && *q != '\r' && *q != '\n') ++q;
      paletteLines.emplace_back(name, q);
    } else if (*p == '#' && wanted < 0) {
      const char* q = p;
      while (q < end && !blank(*q) && *q != '\r' && *q != '\n') ++q;
      while (q < end && blank(*q)) ++q;
      const char* name = q;
      while (q < end && !blank(*q) && *q != ';' && *q != '\r' && *q != '\n') ++q;
      if (static_cast<std::size_t>(q - name) != celName.size() ||
          !SameAsciiNoCase(name, celName.data(), celName.size()))
        continue;
      wanted = 0;
      for (const char* end = lineEnd(q); q < end && *q != ';' && *q != ':'; ++q) {
        if (*q == '*') {
          wanted = std::atol(q + 1);
          break;
        }
      }
    }
    if (wanted >= 0 && static_cast<std::size_t>(wanted) < paletteLines.size()) break;
  }
  if (wanted < 0) return false;
  if (!paletteLines.empty())
    *palette = static_cast<std::size_t>(wanted) < paletteLines.size() ? paletteLines[wanted]
                                                                      : paletteLines.front();
  return true;
}

// The work a first look at a set cannot avoid, as a host would do it: list
// the folder once, read its configuration files in turn until one places the
// cel, read the first bytes of the palette file it picks (else the first one
// listed), read the cel, and decode it from memory.
void FirstLookFloor(const Bench& bench, const std::string& cel, Bytes* scratch) {
  const std::size_t cut = cel.find_last_of('\\');
  const std::string folder = cel.substr(0, cut);
  const std::string celName = cel.substr(cut + 1);
  std::vector<std::string> cnfs;
  std::vector<std::string> palettes;
  WIN32_FIND_DATAA entry;
  const UniqueFind find = OwnFind(FindFirstFileA((folder + "\\*").c_str(), &entry));
  do {
    if (HasExtension(entry.cFileName, ".cnf")) cnfs.push_back(entry.cFileName);
    if (HasExtension(entry.cFileName, ".kcf")) palettes.push_back(entry.cFileName);
  } while (FindNextFileA(find.get(), &entry));
  std::string palette;
  for (const std::string& cnf : cnfs) {
    ReadFileAlone(folder + "\\" + cnf, scratch);
    if (PaletteFromCnf(*scratch, celName, &palette)) break;
  }
  if (palette.empty() && !palettes.empty()) palette = palettes.front();
  std::uint8_t head[kPaletteReadLength];
  const UniqueFile file =
      OwnFile(CreateFileA((folder + "\\" + palette).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD read = 0;
  ReadFile(file.get(), head, sizeof head, &read, nullptr);
  ReadFileAlone(cel, scratch);
  bench.FromMemory(*scratch);
}

// First looks by name against their floor, in the same rounds.
void ReportFirstLook(const Bench& bench, const char* what, const FreshCopies& copies) {
  Bytes scratch;
  const Pair times = TimeInTurns(
      [&] {
        for (const std::string& cel : copies.cels) bench.Picture(cel.c_str(), 0, 0);
      },
      [&] {
        for (const std::string& cel : copies.cels) FirstLookFloor(bench, cel, &scratch);
      },
      15);
  Report("4", what, {times.first / copies.cels.size(), times.second / copies.cels.size()},
         "first look", "least", 1.3);
}

// The first look at a set, on the real sets and on two made here: each call
// by name in a folder not seen yet, against the least a host must do.
void ReportFirstLooks(const Bench& bench, const std::string& realSets) {
  for (const char* cel : {"sk_kimux\\body1.cel", "washua\\bg.cel", "early-moon2\\1.cel"}) {
    const std::string path = FullPath(realSets) + "\\" + cel;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    const std::size_t cut = path.find_last_of('\\');
    const std::string what = std::string("first look: ") + cel + " / the least";
    ReportFirstLook(bench, what.c_str(), CopiesOfSet(path.substr(0, cut), path.substr(cut + 1)));
  }
  for (const int lines : {2047, 100}) {
    FreshCopies copies;
    for (std::size_t i = 0; i < FreshCopies::kCount; ++i) {
      copies.folders.push_back(std::make_unique<TempFolder>());
      copies.cels.push_back(MakeSet(*copies.folders.back(), lines, lines == 2047 ? 1000 : 10));
      copies.folders.back()->Settle();
    }
    ReportFirstLook(bench,
                    lines == 2047 ? "first look: 2,047-line cnf, 1,000 files / the least"
                                  : "first look: 100-line cnf, 10 files / the least",
                    copies);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* pluginPath = argc > 1 ? argv[1] : TAMSA_PLUGIN_PATH;
  const std::string realSets = argc > 2 ? argv[2] : TAMSA_REALSETS_PATH;
  Bench bench(pluginPath);
  if (!bench.Loaded()) {
    std::fprintf(stderr, "plugin_bench: cannot load %s\n", pluginPath);
    return 2;
  }
  std::printf("Tamsa benchmark: %s, %d-bit process\n", pluginPath,
              static_cast<int>(8 * sizeof(void*)));
  std::printf(
      "Each ratio: the median time of the first piece of work over the second's, both\n"
      "timed in turns in this run.\n\n");
  const SettingsKeyGuard settings;  // the user's settings are put back at the end
  if (argc > 3 && std::strcmp(argv[3], "first-look") == 0) {
    ReportFirstLooks(bench, realSets);
    return 0;
  }

  // 1. The palette search, on real sets: by file name against from memory.
  std::string setsFolder = FullPath(realSets);
  std::vector<std::string> cels =
      IsFolder(setsFolder) ? CelsOfSets(setsFolder) : std::vector<std::string>();
  if (cels.empty()) {
    setsFolder = FullPath(TAMSA_SAMPLES_PATH);
    cels = CelsOfSets(setsFolder);
  }
  std::vector<Bytes> celBytes;
  std::vector<std::vector<std::string>> stamped;
  for (const std::string& cel : cels) {
    celBytes.push_back(ReadBytes(cel));
    stamped.push_back(StampedPaths(cel));
  }
  std::printf("Sets: %zu cels below %s\n", cels.size(), setsFolder.c_str());
  const auto byName = [&] {
    for (const std::string& cel : cels) bench.Picture(cel.c_str(), 0, 0);
  };
  const auto fromMemory = [&] {
    for (const Bytes& cel : celBytes) bench.FromMemory(cel);
  };
  Bytes scratch;
  const auto readAlone = [&] {
    for (const std::string& cel : cels) ReadFileAlone(cel, &scratch);
  };
  const auto stampsAlone = [&] {
    for (const std::vector<std::string>& paths : stamped) StampsAlone(paths);
  };
  // All in the same rounds, so that the floor (the host's own reading of the
  // files and the search's stamps) is measured on the same machine as the goal.
  const std::vector<double> each =
      TimeEachInTurns({byName, fromMemory, readAlone, stampsAlone}, 31);
  Report("1", "GetPicture by file name / from memory, every cel", {each[0], each[1]}, "by name",
         "memory", 3.0);
  Report("", "  reading each cel's file alone / from memory", {each[2], each[1]}, "read", "memory",
         0);
  Report("", "  by file name less that reading / from memory", {each[0] - each[2], each[1]},
         "by name - read", "memory", 0);
  Report("", "  the three stamps of each cel's set / from memory", {each[3], each[1]}, "stamps",
         "memory", 0);
  Report("", "  the least by name: memory, reading, stamps / memory",
         {each[1] + each[2] + each[3], each[1]}, "least", "memory", 0);
  Report("5", "by file name / reading each cel's file and from memory",
         {each[0], each[1] + each[2]}, "by name", "read + memory", 1.3);
  ReportFirstLooks(bench, realSets);

  {
    TempFolder small;
    TempFolder large;
    const std::string smallCel = MakeSet(small, 100, 10);
    const std::string largeCel = MakeSet(large, 2047, 1000);
    // A set as a user opens it, not one that was written a moment ago.
    Sleep(2500);
    Report("1", "2,047-line cnf in 1,000 files / 100 lines in 10",
           TimeInTurns([&] { bench.Picture(largeCel.c_str(), 0, 0); },
                       [&] { bench.Picture(smallCel.c_str(), 0, 0); }, 201),
           "large", "small", 1.5);
  }

  // 2. The settings: all five stored against none.
  {
    const Bytes cel = HeadedCel(0x20, 4, 8, 8, Pattern(32, 9));
    const auto store = [](bool all) {
      for (const char* name : SettingsKeyGuard::kNames) SettingsKeyGuard::Remove(name);
      if (!all) return;
      SettingsKeyGuard::SetDword(kAlphaTypeName, 0);
      SettingsKeyGuard::SetDword(kColorLightName, 0xFFFFFF);
      SettingsKeyGuard::SetDword(kColorDarkName, 0xC0C0C0);
      SettingsKeyGuard::SetDword(kGridSizeXName, 10);
      SettingsKeyGuard::SetDword(kGridSizeYName, 10);
    };
    const auto many = [&] {
      for (int i = 0; i < 20; ++i) bench.FromMemory(cel);
    };
    // As the dialog leaves them, some time before the pictures: each way is
    // timed alone, after the key has settled.
    store(true);
    Sleep(2500);
    const Pair stored = TimeInTurns(many, many, 51);
    store(false);
    Sleep(2500);
    const Pair none = TimeInTurns(many, many, 51);
    Report("2", "from memory with the five settings stored / none",
           Pair{stored.first / 20, none.first / 20}, "stored", "none", 2.0);
  }

  // 3. The 32-bit flattening of a 2048 x 2048 cel, the host's blocks included,
  // against copying the cel's bytes into a fresh block as a host would.
  {
    Bytes pixels(2048u * 2048u * 4u);
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    const Bytes cel = HeadedCel(0x21, 32, 2048, 2048, pixels);
    const auto copyIntoFreshBlock = [&] {
      const UniqueLocal block(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, cel.size()));
      const LockedLocal bytes(block.get());
      std::memcpy(bytes.Bytes(), cel.data(), cel.size());
    };
    Bytes warm(cel.size());
    const auto copyWarm = [&] { std::memcpy(warm.data(), cel.data(), cel.size()); };
    for (DWORD alphaType : {0u, 1u}) {
      SettingsKeyGuard::SetDword(kAlphaTypeName, alphaType);
      const Pair flatten = TimeInTurns([&] { bench.FromMemory(cel); }, copyIntoFreshBlock, 21);
      Report("3",
             alphaType == 0 ? "2048x2048 over the checker / memcpy into a fresh block"
                            : "2048x2048 alpha ignored / memcpy into a fresh block",
             flatten, "GetPicture", "memcpy", alphaType == 0 ? 2.0 : 1.5);
      Report("", "  the same / memcpy into a buffer in use",
             TimeInTurns([&] { bench.FromMemory(cel); }, copyWarm, 21), "GetPicture", "memcpy", 0);
    }
  }
  std::printf("\n%s\n", failures == 0 ? "All goals met." : "Some goals not met.");
  return 0;
}
