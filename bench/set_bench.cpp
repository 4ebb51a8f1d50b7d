// A KiSS set held in an archive against the same set unpacked into a folder,
// in the same process and the same rounds: the palette search of every cel
// (the folder through the plug-in's own search and its cache, the set over
// its members in memory) and composing every page of every configuration
// (the folder through the doll plug-in's file reading). Each figure is a
// ratio of two medians measured here and now; the set's goal is to cost no
// more than the folder.
//
//   set_bench [ARCHIVE...]
// Without arguments: the sample set's archives and the real archives beside
// the project when present. Each archive is unpacked through the set into a
// temporary folder first, its times set an hour back as of a set unpacked
// long ago (the folder's search trusts only times older than its margin).
#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "archive/archive_set.h"
#include "bench/turns.h"
#include "cel/colour_table.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "spi/ansi_text.h"
#include "spi/archive_file.h"
#include "spi/config_file.h"
#include "spi/palette_search.h"
#include "spi/set_folder.h"
#include "spi/system_set_text.h"
#include "support/test_files.h"

namespace {

int failures = 0;

void Report(const std::string& what, Pair times) {
  const double ratio = times.Ratio();
  const bool met = ratio <= 1.0;
  if (!met) ++failures;
  std::printf("%-58s %6.2f  (set %.1f us, folder %.1f us)  goal at most 1.0: %s\n", what.c_str(),
              ratio, times.first, times.second, met ? "met" : "NOT MET");
}

void Bench(const std::string& archive) {
  const std::wstring path = WidenAnsi(archive);
  const auto file = ArchiveFile::Open(path.c_str());
  ArchiveStatus status = ArchiveStatus::kOk;
  const auto set = file == nullptr ? nullptr
                                   : OpenArchiveSet(file, std::make_shared<SystemSetText>(),
                                                    ArchiveLimits(), &status);
  if (set == nullptr) {
    std::printf("set_bench: cannot open %s\n", archive.c_str());
    ++failures;
    return;
  }
  // The unpacked copy, written from the set itself, its times an hour back.
  const TempFolder copy;
  const std::wstring root = Widened(copy.Path());
  std::vector<std::size_t> cels, configurations;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    if (set->Read(i, &bytes) != ArchiveStatus::kOk) continue;
    // Its folders first, outermost first.
    for (std::size_t at = 0; at != std::wstring::npos && !member.folder.empty();) {
      at = member.folder.find(L'\\', at + 1);
      CreateDirectoryW((root + L"\\" + member.folder.substr(0, at)).c_str(), nullptr);
    }
    copy.Write(member.path, *bytes);
    if (HasWideExtension(member.name.c_str(), L".CEL")) cels.push_back(i);
    if (HasWideExtension(member.name.c_str(), L".CNF")) configurations.push_back(i);
  }
  copy.Settle();
  const std::string name = archive.substr(archive.find_last_of("\\/") + 1);

  auto searchSet = [&] {
    for (std::size_t cel : cels) set->FindPalette(cel, kPaletteReadLength);
  };
  auto searchFolder = [&] {
    for (std::size_t cel : cels) {
      std::wstring palette;
      std::vector<std::uint8_t> bytes;
      ReadCelPalette((root + L"\\" + set->Members()[cel].path).c_str(), kPaletteReadLength,
                     &palette, &bytes);
    }
  };
  Report(name + ": palette search, " + std::to_string(cels.size()) + " cels",
         TimeInTurns(searchSet, searchFolder, 21));

  // Every page of every configuration, its text read and its files found.
  int pages = 0;
  auto composeSet = [&] {
    for (std::size_t member : configurations) {
      std::shared_ptr<const std::vector<std::uint8_t>> text;
      if (set->Read(member, &text) != ArchiveStatus::kOk) continue;
      const DollConfig config = ReadDollConfig(ByteView{text->data(), text->size()});
      if (!DollSizeServed(config)) continue;
      std::vector<std::uint8_t> pixels(DollPicturePlan(config).pixelBytes);
      const std::unique_ptr<DollFiles> files = set->FilesBeside(member);
      for (int page = 0; page < DollPageCount(config); ++page)
        ComposeDoll(config, page, *files, pixels.data());
    }
  };
  auto composeFolder = [&] {
    pages = 0;
    for (std::size_t member : configurations) {
      const std::wstring cnf = root + L"\\" + set->Members()[member].path;
      SetFolder<wchar_t> folder;
      DollConfig config;
      if (!folder.Open(cnf.c_str()) || ReadDollConfigFile(cnf.c_str(), 0, &config) != 0 ||
          !DollSizeServed(config))
        continue;
      std::vector<std::uint8_t> pixels(DollPicturePlan(config).pixelBytes);
      for (int page = 0; page < DollPageCount(config); ++page, ++pages)
        ComposeDoll(config, page, folder, pixels.data());
    }
  };
  const auto composed = TimeInTurns(composeSet, composeFolder, 11);
  Report(name + ": every page composed, " + std::to_string(pages) + " pages", composed);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> archives(argv + 1, argv + argc);
  if (archives.empty()) {
    archives = {TAMSA_SAMPLES_PATH "\\archives\\mira.zip",
                TAMSA_SAMPLES_PATH "\\archives\\mira.lzh"};
    for (const char* real :
         {"sk_kimux.lzh", "washua.lzh", "transparent.lzh", "watch.lzh", "Wallpaper.zip"}) {
      const std::string path = std::string(TAMSA_REALARCHIVES_PATH) + "\\" + real;
      if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) archives.push_back(path);
    }
  }
  std::printf("Each ratio: the median time from the set in memory over the unpacked folder's.\n");
  for (const std::string& archive : archives) Bench(archive);
  std::printf(failures == 0 ? "All goals met\n" : "%d goals not met\n", failures);
  return failures == 0 ? 0 : 1;
}
