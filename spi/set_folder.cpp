#include "spi/set_folder.h"

#include <cstring>
#include <cwchar>

#include "palette/folder_search.h"
#include "palette/text_utils.h"
#include "spi/ansi_text.h"
#include "spi/read_file.h"

namespace {

// Wide paths may be as long as the system allows.
constexpr std::size_t kWidePathLimit = 32767;

std::size_t PathLimit(char) { return kPathBufferSize - 1; }
std::size_t PathLimit(wchar_t) { return kWidePathLimit; }

std::string NameInFolder(const std::string& name, char) { return name; }
std::wstring NameInFolder(const std::string& name, wchar_t) { return WidenAnsi(name); }

// The 8-bit twin's rule: a path longer than 258 characters is not taken
// apart. Wide paths have no limit of their own.
bool CanTakeApart(const char* path) {
  return path != nullptr && std::strlen(path) <= kMaxCelPathLength;
}
bool CanTakeApart(const wchar_t* path) { return path != nullptr; }

void CutToFolder(std::string* path) {
  GetPathPart(&(*path)[0], PathPart::Folder, AnsiNextChar());
  path->resize(std::strlen(path->c_str()));
}
void CutToFolder(std::wstring* path) {
  GetPathPart(&(*path)[0], PathPart::Folder);
  path->resize(std::wcslen(path->c_str()));
}

}  // namespace

template <typename Char>
bool SetFolder<Char>::Open(const Char* configPath) {
  if (!CanTakeApart(configPath)) return false;
  folder_ = configPath;
  CutToFolder(&folder_);
  return true;
}

template <typename Char>
bool SetFolder<Char>::Read(const std::string& name, std::vector<std::uint8_t>* bytes) {
  const std::basic_string<Char> inFolder = NameInFolder(name, Char());
  std::basic_string<Char> path;
  if (folder_.empty()) {
    // A configuration named without a folder lies in the current one.
    if (inFolder.size() > PathLimit(Char())) return false;
    path = inFolder;
  } else if (!ComposeFolderPath(folder_, inFolder, PathLimit(Char()), &path)) {
    return false;
  }
  return ReadFileBytes(path.c_str(), 0, bytes);
}

template class SetFolder<char>;
template class SetFolder<wchar_t>;
