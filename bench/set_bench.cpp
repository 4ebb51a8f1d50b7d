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

#include <algorithm>
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

namespace {

int failures = 0;

void Report(const std::string& what, Pair times) {
  const double ratio = times.Ratio();
  const bool met = ratio <= 1.0;
  if (!met) ++failures;
  std::printf("%-58s %6.2f  (set %.1f us, folder %.1f us)  goal at most 1.0: %s\n", what.c_str(),
              ratio, times.first, times.second, met ? "met" : "NOT MET");
}

bool WriteMember(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
       at = path.find(L'\\', at + 1))
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// A file's or folder's last write time an hour back, as of a set unpacked
// long ago: the folder's search trusts only times older than its margin.
void Settle(const std::wstring& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  ticks.QuadPart -= 3600ull * 10000000ull;
  FILETIME back = {ticks.LowPart, ticks.HighPart};
  SetFileTime(handle, nullptr, nullptr, &back);
  CloseHandle(handle);
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
  // The unpacked copy, written from the set itself.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root =
      std::wstring(temp) + L"tamsa_set_bench_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(root.c_str(), nullptr);
  std::vector<std::size_t> cels, configurations;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    if (set->Read(i, &bytes) != ArchiveStatus::kOk) continue;
    WriteMember(root + L"\\" + member.path, *bytes);
    Settle(root + L"\\" + member.path);
    if (HasWideExtension(member.name.c_str(), L".CEL")) cels.push_back(i);
    if (HasWideExtension(member.name.c_str(), L".CNF")) configurations.push_back(i);
  }
  for (const SetMember& member : set->Members()) {
    if (!member.folder.empty()) Settle(root + L"\\" + member.folder);
  }
  Settle(root);
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

  // The copy goes: every file, then the folders, the longest paths first.
  std::vector<std::wstring> folders;
  for (const SetMember& member : set->Members()) {
    DeleteFileW((root + L"\\" + member.path).c_str());
    for (std::wstring folder = member.folder; !folder.empty();
         folder = folder.substr(
             0, folder.find_last_of(L'\\') == std::wstring::npos ? 0 : folder.find_last_of(L'\\')))
      folders.push_back(root + L"\\" + folder);
  }
  std::sort(folders.begin(), folders.end(),
            [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
  for (const std::wstring& folder : folders) RemoveDirectoryW(folder.c_str());
  RemoveDirectoryW(root.c_str());
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
