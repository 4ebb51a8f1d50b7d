#include "file_list.h"

#include <windows.h>

#include <algorithm>
#include <set>

#include "archive_members.h"
#include "file_io.h"
#include "name_pattern.h"
#include "output_names.h"

namespace {

struct Listing {
  std::vector<std::string> files;
  std::vector<std::string> folders;
  bool ok = false;
};

bool LessNoCase(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  const char last = folder.back();
  return last == '\\' || last == '/' ? folder + name : folder + "\\" + name;
}

Listing List(const std::string& pattern) {
  Listing listing;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    listing.ok = GetLastError() == ERROR_FILE_NOT_FOUND;
    return listing;
  }
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      listing.folders.push_back(name);
    else
      listing.files.push_back(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  std::sort(listing.files.begin(), listing.files.end(), LessNoCase);
  std::sort(listing.folders.begin(), listing.folders.end(), LessNoCase);
  listing.ok = true;
  return listing;
}

// A picture's output name drops its extension; an archive's folder of
// pictures keeps it, so that mira.zip and mira.lzh do not meet.
std::string OutputStemOf(const std::string& name) {
  return IsArchiveName(name) ? name : WithoutExtension(name);
}

void ScanFolder(const std::string& folder, const std::string& relative,
                const std::vector<std::string>& patterns, bool recursive, InputList& list) {
  const Listing listing = List(Join(folder, "*"));
  if (!listing.ok) {
    list.problems.push_back("cannot list the folder " + folder);
    return;
  }
  for (const std::string& name : listing.files) {
    if (!MatchesAnyPattern(name, patterns)) continue;
    const std::string label = Join(relative, name);
    list.files.push_back(InputFile{Join(folder, name), label, OutputStemOf(label)});
  }
  if (!recursive) return;
  for (const std::string& name : listing.folders)
    ScanFolder(Join(folder, name), Join(relative, name), patterns, recursive, list);
}

bool HasWildcard(const std::string& text) { return text.find_first_of("*?") != std::string::npos; }

std::string Upper(std::string text) {
  CharUpperBuffA(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

}  // namespace

InputList CollectInputs(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& patterns, bool recursive) {
  InputList list;
  for (const std::string& argument : arguments) {
    const DWORD attributes = GetFileAttributesA(argument.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ScanFolder(argument, "", patterns, recursive, list);
    } else if (HasWildcard(NameOf(argument))) {
      const std::string folder = FolderOf(argument);
      const Listing listing = List(argument);
      if (!listing.ok) list.problems.push_back("cannot list " + argument);
      if (listing.ok && listing.files.empty())
        list.problems.push_back("no file matches " + argument);
      for (const std::string& name : listing.files)
        list.files.push_back(InputFile{Join(folder, name), Join(folder, name), OutputStemOf(name)});
    } else {
      // A missing file stays on the list, to be reported like any other failure.
      list.files.push_back(InputFile{argument, argument, OutputStemOf(NameOf(argument))});
    }
  }
  std::set<std::string> taken;
  for (InputFile& file : list.files) {
    std::string stem = file.outputStem;
    for (int n = 2; !taken.insert(Upper(stem)).second; ++n)
      stem = file.outputStem + "-" + std::to_string(n);
    file.outputStem = stem;
  }
  return list;
}
