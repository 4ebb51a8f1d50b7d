#include "palette/folder_search.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// A configuration file's reading, or null when it cannot be read or its text
// cannot be held.
template <typename Char>
std::shared_ptr<const CnfIndex> ReadCnf(FolderAccess<Char>& access, const PathText<Char>& path) {
  std::vector<std::uint8_t> bytes;
  if (!access.Read(path, 0, &bytes)) return nullptr;
  // An empty file is an empty text, not a missing one.
  static const char kEmpty = '\0';
  const char* text = bytes.empty() ? &kEmpty : reinterpret_cast<const char*>(bytes.data());
  LineBuffer lines;
  if (LoadLineBuffer(lines, text, bytes.size(), access.TextHeap()) != 0) return nullptr;
  return std::make_shared<const CnfIndex>(IndexCnf(lines, access.CnfSteps()));
}

template <typename Char>
bool SameFoldedName(const PathText<Char>& a, const PathText<Char>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto x = static_cast<std::uint32_t>(a[i]);
    auto y = static_cast<std::uint32_t>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

// A plain palette name that the listing holds only in another letter case
// is taken as listed: it names the same file, which then opens without the
// system searching the folder for the name.
template <typename Char>
PathText<Char> AsListed(const PathText<Char>& name, const std::vector<PathText<Char>>& listed) {
  std::uint32_t hash = 0;
  if (!FoldPlainName(name.data(), name.size(), &hash)) return name;
  for (const PathText<Char>& entry : listed) {
    if (entry == name) return name;
  }
  for (const PathText<Char>& entry : listed) {
    if (SameFoldedName(entry, name)) return entry;
  }
  return name;
}

// A palette file chosen: its name within the folder and its path.
template <typename Char>
struct Chosen {
  PathText<Char> name;
  PathText<Char> path;
};

// Whether the configuration places the cel; if so, answer holds the palette
// its line picks, or an empty path when there is none that fits.
template <typename Char>
bool AnswerFromCnf(FolderAccess<Char>& access, const CnfIndex& index, const PathText<Char>& folder,
                   const PathText<Char>& celName, const std::vector<PathText<Char>>& palettes,
                   PathLimits limits, Chosen<Char>* answer) {
  const CelPlacement* placement = FindPlacement(
      index, celName, [&](const std::string& field) { return access.SameCelName(field, celName); });
  if (placement == nullptr) return false;
  const PaletteLine* line = PaletteLineFor(index, placement->paletteNumber);
  if (line == nullptr || !line->whole) return true;
  answer->name = AsListed(access.PathFromCnfText(line->name), palettes);
  if (!ComposeFolderPath(folder, answer->name, limits.answer, &answer->path)) *answer = {};
  return true;
}

// The first palette file whose path fits, or an empty path.
template <typename Char>
Chosen<Char> FirstPaletteFile(const std::vector<PathText<Char>>& names,
                              const PathText<Char>& folder, PathLimits limits) {
  Chosen<Char> chosen;
  for (const PathText<Char>& name : names) {
    if (ComposeFolderPath(folder, name, limits.answer, &chosen.path)) {
      chosen.name = name;
      return chosen;
    }
  }
  return {};
}

template <typename Char>
bool HasSeparator(const PathText<Char>& name) {
  for (Char c : name) {
    if (c == '\\' || c == '/' || c == ':') return true;
  }
  return false;
}

// A file's stamp: the one this call's listing gave, else asked for.
template <typename Char>
bool StampOf(FolderAccess<Char>& access, const PathText<Char>& path, const ListedFile<Char>* listed,
             FileStamp* stamp) {
  if (listed == nullptr || !listed->stamped) return access.Stamp(path, stamp);
  *stamp = listed->stamp;
  return true;
}

// "%s\*.cnf" and "%s\*.kcf" must fit the path limit for the folder to be listed.
template <typename Char>
bool PatternsFit(const PathText<Char>& folder, PathLimits limits) {
  return folder.size() + 6 <= limits.path;
}

}  // namespace

template <typename Char>
bool MatchesExtension(const ListedFile<Char>& entry, const char* extension) {
  return EndsWithNoCase(entry.name.data(), entry.name.size(), extension) ||
         (!entry.shortName.empty() &&
          EndsWithNoCase(entry.shortName.data(), entry.shortName.size(), extension));
}

template <typename Char>
PaletteSearchResult<Char> FindPaletteInFolder(FolderAccess<Char>& access,
                                              const PathText<Char>& folder,
                                              const PathText<Char>& celName, PathLimits limits) {
  if (!PatternsFit(folder, limits)) return {};
  std::vector<ListedFile<Char>> entries;
  if (!access.List(folder, &entries)) return {};
  std::vector<PathText<Char>> palettes;
  for (const ListedFile<Char>& entry : entries) {
    if (MatchesExtension(entry, ".kcf")) palettes.push_back(entry.name);
  }
  bool anyCnf = false;
  Chosen<Char> answer;
  for (const ListedFile<Char>& entry : entries) {
    if (!MatchesExtension(entry, ".cnf")) continue;
    anyCnf = true;
    PathText<Char> path;
    if (!ComposeFolderPath(folder, entry.name, limits.path, &path)) continue;
    const std::shared_ptr<const CnfIndex> index = ReadCnf(access, path);
    // The first configuration file that places the cel decides.
    if (index != nullptr &&
        AnswerFromCnf(access, *index, folder, celName, palettes, limits, &answer))
      break;
  }
  // Without any configuration file the folder is not a set: no guess.
  if (!anyCnf) return {};
  if (answer.path.empty()) answer = FirstPaletteFile(palettes, folder, limits);
  PaletteSearchResult<Char> result;
  result.found = !answer.path.empty();
  result.path = answer.path;
  return result;
}

template <typename Char>
PaletteSearchResult<Char> FolderCache<Char>::Find(FolderAccess<Char>& access,
                                                  const PathText<Char>& folder,
                                                  const PathText<Char>& celName, PathLimits limits,
                                                  std::size_t paletteBytes) {
  if (!PatternsFit(folder, limits)) return {};
  // Taken before any stamp is read: a stamp older than this by the margin
  // changes with any later write.
  const std::uint64_t now = access.Now();
  FileStamp folderStamp;
  const bool stamped = access.Stamp(folder, &folderStamp);
  const std::shared_ptr<const Snapshot> kept = Lookup(folder);
  std::shared_ptr<Snapshot> changed;  // the new state to keep, when anything was read

  const bool unchanged =
      stamped && kept != nullptr && kept->folderTrusted && kept->folderStamp == folderStamp;
  // The volume is asked only once a listing kept might serve: a first look,
  // which lists anyway, does not need its answer.
  EntryTimes entryTimes = kept != nullptr ? kept->entryTimes : EntryTimes::NotAsked;
  const bool asked = unchanged && entryTimes == EntryTimes::NotAsked;
  if (asked) {
    entryTimes =
        access.FolderTimeTracksEntries(folder) ? EntryTimes::Tracked : EntryTimes::Untracked;
  }
  // The stamps of this call's listing, in the order of cnfs and paletteNames.
  std::vector<const ListedFile<Char>*> listedCnfs;
  std::vector<const ListedFile<Char>*> listedPalettes;
  std::vector<ListedFile<Char>> entries;
  if (!unchanged || entryTimes != EntryTimes::Tracked) {
    if (!access.List(folder, &entries)) return {};
    changed = std::make_shared<Snapshot>();
    changed->folder = folder;
    changed->folderStamp = folderStamp;
    changed->folderTrusted = stamped && folderStamp.writeTime + kTrustMargin < now;
    changed->entryTimes = entryTimes;
    // Nothing read before is kept across a change of the folder: a file
    // removed and another renamed to its name may carry the same stamp.
    for (const ListedFile<Char>& entry : entries) {
      if (MatchesExtension(entry, ".cnf")) {
        CnfRecord record;
        record.name = entry.name;
        changed->cnfs.push_back(std::move(record));
        listedCnfs.push_back(&entry);
      }
      if (MatchesExtension(entry, ".kcf")) {
        changed->paletteNames.push_back(entry.name);
        listedPalettes.push_back(&entry);
      }
    }
    changed->anyCnf = !changed->cnfs.empty();
  }

  PaletteSearchResult<Char> result;
  const Snapshot* view = changed != nullptr ? changed.get() : kept.get();
  // Until anything is read, the state kept serves; the first change copies it.
  auto changeable = [&]() -> Snapshot& {
    if (changed == nullptr) {
      changed = std::make_shared<Snapshot>(*kept);
      view = changed.get();
    }
    return *changed;
  };
  if (asked) changeable().entryTimes = entryTimes;
  Chosen<Char> answer;
  if (view->anyCnf) {
    for (std::size_t i = 0; i < view->cnfs.size(); ++i) {
      PathText<Char> path;
      if (!ComposeFolderPath(folder, view->cnfs[i].name, limits.path, &path)) continue;
      FileStamp stamp;
      const bool known =
          StampOf(access, path, listedCnfs.empty() ? nullptr : listedCnfs[i], &stamp);
      std::shared_ptr<const CnfIndex> index = view->cnfs[i].index;
      if (!known || index == nullptr || !view->cnfs[i].trusted || view->cnfs[i].stamp != stamp) {
        index = ReadCnf(access, path);
        CnfRecord& record = changeable().cnfs[i];
        record.index = index;
        record.stamp = stamp;
        record.trusted = known && index != nullptr && stamp.writeTime + kTrustMargin < now;
      }
      if (index != nullptr &&
          AnswerFromCnf(access, *index, folder, celName, view->paletteNames, limits, &answer))
        break;
    }
    if (answer.path.empty()) answer = FirstPaletteFile(view->paletteNames, folder, limits);
    result.found = !answer.path.empty();
    result.path = answer.path;
  }
  if (result.found && paletteBytes != 0) {
    // The palette file's first bytes, kept with the folder while its stamp
    // holds; a file in another folder is read each time.
    const ListedFile<Char>* listed = nullptr;
    for (std::size_t i = 0; i < listedPalettes.size() && listed == nullptr; ++i) {
      if (view->paletteNames[i] == answer.name) listed = listedPalettes[i];
    }
    FileStamp stamp;
    const bool known = !HasSeparator(answer.name) && StampOf(access, result.path, listed, &stamp);
    const PaletteRecord* record = nullptr;
    if (known) {
      for (const PaletteRecord& palette : view->palettes) {
        if (palette.name == answer.name && palette.bytes->size() == paletteBytes &&
            palette.stamp == stamp)
          record = &palette;
      }
    }
    if (record != nullptr) {
      result.read = true;
      result.bytes = *record->bytes;
    } else {
      result.read = access.Read(result.path, paletteBytes, &result.bytes);
      // Only a stamp old enough to change with any later write is kept.
      if (result.read && known && stamp.writeTime + kTrustMargin < now) {
        std::vector<PaletteRecord>& palettes = changeable().palettes;
        palettes.erase(
            std::remove_if(palettes.begin(), palettes.end(),
                           [&](const PaletteRecord& p) { return p.name == answer.name; }),
            palettes.end());
        if (palettes.size() >= kMaxPaletteFiles) palettes.erase(palettes.begin());
        PaletteRecord record;
        record.name = answer.name;
        record.stamp = stamp;
        record.bytes = std::make_shared<const std::vector<std::uint8_t>>(result.bytes);
        palettes.push_back(std::move(record));
      }
    }
  }
  // A folder without a stamp cannot be checked later, so it is not kept.
  if (changed != nullptr && stamped) Publish(std::move(changed));
  return result;
}

template <typename Char>
std::shared_ptr<const typename FolderCache<Char>::Snapshot> FolderCache<Char>::Lookup(
    const PathText<Char>& folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = folders_.begin(); it != folders_.end(); ++it) {
    if ((*it)->folder != folder) continue;
    folders_.splice(folders_.begin(), folders_, it);
    return folders_.front();
  }
  return nullptr;
}

template <typename Char>
void FolderCache<Char>::Publish(std::shared_ptr<const Snapshot> snapshot) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto it = folders_.begin(); it != folders_.end(); ++it) {
    if ((*it)->folder == snapshot->folder) {
      folders_.erase(it);
      break;
    }
  }
  folders_.push_front(std::move(snapshot));
  if (folders_.size() > kMaxFolders) folders_.pop_back();
}

template bool MatchesExtension(const ListedFile<char>&, const char*);
template bool MatchesExtension(const ListedFile<wchar_t>&, const char*);
template PaletteSearchResult<char> FindPaletteInFolder(FolderAccess<char>&, const PathText<char>&,
                                                       const PathText<char>&, PathLimits);
template PaletteSearchResult<wchar_t> FindPaletteInFolder(FolderAccess<wchar_t>&,
                                                          const PathText<wchar_t>&,
                                                          const PathText<wchar_t>&, PathLimits);
template class FolderCache<char>;
template class FolderCache<wchar_t>;
