#include "spi/palette_search.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "palette/folder_search.h"
#include "palette/text_utils.h"
#include "spi/ansi_text.h"
#include "spi/line_heap.h"
#include "spi/owners.h"
#include "spi/read_file.h"
#include "spi/system_calls.h"

namespace {

// Wide paths may be as long as the system allows.
constexpr std::size_t kWidePathLimit = 32767;

template <typename Char>
bool StartsWithNoCase(const Char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    const auto c = static_cast<std::uint32_t>(*text);
    if ((c >= 'a' && c <= 'z' ? c - 32 : c) != static_cast<std::uint32_t>(*prefix)) return false;
  }
  return true;
}

std::uint64_t Ticks(FILETIME time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The folder as the search sees it, through the calls of one width.
template <typename Char>
class SystemFolders : public FolderAccess<Char> {
 public:
  bool List(const PathText<Char>& folder, std::vector<ListedFile<Char>>* entries) override {
    typename FindData<Char>::Type entry;
    PathText<Char> pattern = folder;
    pattern.push_back(static_cast<Char>('\\'));
    pattern.push_back(static_cast<Char>('*'));
    const UniqueFind find = OwnFind(FindFirst(pattern.c_str(), &entry));
    if (find == nullptr) return false;
    do {
      const FileStamp stamp = {
          (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow,
          Ticks(entry.ftLastWriteTime)};
      entries->push_back({entry.cFileName, entry.cAlternateFileName, true, stamp});
    } while (FindNext(find.get(), &entry));
    return true;
  }

  bool Stamp(const PathText<Char>& path, FileStamp* stamp) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!AttributesOf(path.c_str(), &data)) return false;
    stamp->size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stamp->writeTime = Ticks(data.ftLastWriteTime);
    return true;
  }

  bool Read(const PathText<Char>& path, std::size_t wanted,
            std::vector<std::uint8_t>* bytes) override {
    return ReadFileBytes(path.c_str(), wanted, bytes);
  }

  bool SameCelName(const std::string& field, const PathText<Char>& celName) override;
  PathText<Char> PathFromCnfText(const std::string& name) override;

  const NextChar& CnfSteps() override { return AnsiNextChar(); }
  const LineAllocator& TextHeap() override { return GlobalLineHeap(); }

  std::uint64_t Now() override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Ticks(now);
  }

  bool FolderTimeTracksEntries(const PathText<Char>& folder) override {
    // Asked through a handle to the folder: no need to read the volume itself.
    const UniqueFile handle = OwnFile(OpenFolder(folder.c_str()));
    wchar_t name[MAX_PATH + 1] = {};
    if (handle == nullptr || !GetVolumeInformationByHandleW(handle.get(), nullptr, 0, nullptr,
                                                            nullptr, nullptr, name, MAX_PATH))
      return false;
    // FAT, FAT32 and exFAT keep a folder's time when its entries change.
    return !StartsWithNoCase(name, "FAT") && !StartsWithNoCase(name, "EXFAT");
  }
};

template <>
bool SystemFolders<char>::SameCelName(const std::string& field, const std::string& celName) {
  return AnsiCompareNoCase(field.c_str(), celName.c_str()) == 0;
}
template <>
bool SystemFolders<wchar_t>::SameCelName(const std::string& field, const std::wstring& celName) {
  return WideCompareNoCase(WidenAnsi(field).c_str(), celName.c_str()) == 0;
}
template <>
std::string SystemFolders<char>::PathFromCnfText(const std::string& name) {
  return name;
}
template <>
std::wstring SystemFolders<wchar_t>::PathFromCnfText(const std::string& name) {
  return WidenAnsi(name);
}

FolderCache<char>& AnsiFolders() {
  static FolderCache<char> cache;
  return cache;
}
FolderCache<wchar_t>& WideFolders() {
  static FolderCache<wchar_t> cache;
  return cache;
}

// The 8-bit twin's rules: a cel path longer than 258 characters is not taken
// apart (cut short it would name another folder or cel), the path's parts
// are found with the code page's step rule, and no path may pass 259
// characters.
PaletteSearchResult<char> SearchFor(const char* celPath, std::size_t answerLength,
                                    std::size_t paletteBytes) {
  if (celPath == nullptr || std::strlen(celPath) > kMaxCelPathLength) return {};
  char folder[kPathBufferSize];
  char celName[kPathBufferSize];
  lstrcpynA(folder, celPath, sizeof folder);
  lstrcpynA(celName, celPath, sizeof celName);
  GetPathPart(folder, PathPart::Folder, AnsiNextChar());
  GetPathPart(celName, PathPart::FileName, AnsiNextChar());
  SystemFolders<char> access;
  return AnsiFolders().Find(access, folder, celName, {kPathBufferSize - 1, answerLength},
                            paletteBytes);
}

// The wide twin: paths as long as the system allows.
PaletteSearchResult<wchar_t> SearchFor(const wchar_t* celPath, std::size_t,
                                       std::size_t paletteBytes) {
  if (celPath == nullptr) return {};
  std::wstring folder = celPath;
  std::wstring celName = celPath;
  GetPathPart(&folder[0], PathPart::Folder);
  GetPathPart(&celName[0], PathPart::FileName);
  folder.resize(std::wcslen(folder.c_str()));
  celName.resize(std::wcslen(celName.c_str()));
  SystemFolders<wchar_t> access;
  return WideFolders().Find(access, folder, celName, {kWidePathLimit, kWidePathLimit},
                            paletteBytes);
}

template <typename Char>
bool ReadPalette(const Char* celPath, std::size_t wanted, std::basic_string<Char>* path,
                 std::vector<std::uint8_t>* bytes) {
  PaletteSearchResult<Char> result = SearchFor(celPath, kPathBufferSize - 1, wanted);
  if (!result.found || result.path.empty() || !result.read) return false;
  *path = std::move(result.path);
  *bytes = std::move(result.bytes);
  return true;
}

}  // namespace

int FindPaletteFile(char* out, const char* celPath, int outSize) {
  if (out == nullptr || outSize < 2) return -1;
  out[0] = '\0';
  const std::size_t answerSize = static_cast<std::size_t>(outSize) < kPathBufferSize
                                     ? static_cast<std::size_t>(outSize)
                                     : kPathBufferSize;
  const PaletteSearchResult<char> result = SearchFor(celPath, answerSize - 1, 0);
  if (!result.found) return -1;
  std::memcpy(out, result.path.c_str(), result.path.size() + 1);
  return 0;
}

int FindPaletteFile(std::wstring* out, const wchar_t* celPath) {
  out->clear();
  const PaletteSearchResult<wchar_t> result = SearchFor(celPath, kWidePathLimit, 0);
  if (!result.found) return -1;
  *out = result.path;
  return 0;
}

PaletteSearchResult<wchar_t> SearchCelPalette(const wchar_t* celPath, std::size_t paletteBytes) {
  return SearchFor(celPath, kWidePathLimit, paletteBytes);
}

bool ReadCelPalette(const char* celPath, std::size_t wanted, std::string* path,
                    std::vector<std::uint8_t>* bytes) {
  return ReadPalette(celPath, wanted, path, bytes);
}

bool ReadCelPalette(const wchar_t* celPath, std::size_t wanted, std::wstring* path,
                    std::vector<std::uint8_t>* bytes) {
  return ReadPalette(celPath, wanted, path, bytes);
}
