// Finding a cel's palette file through the set configuration files (*.cnf)
// beside it, or the first palette file (*.kcf) there: the search itself, on a
// folder seen through FolderAccess, and a cache of what each folder says that
// is used only while the folder shows no change. Free of Windows headers; the
// plug-in's edge answers FolderAccess with Win32 calls, for 8-bit (char) and
// wide (wchar_t) paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cel/text_adapters.h"
#include "palette/cnf.h"
#include "palette/line_buffer.h"

template <typename Char>
using PathText = std::basic_string<Char>;

// A file's size and last write time (100 ns ticks), as the system reports them.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
  bool operator==(const FileStamp& other) const {
    return size == other.size && writeTime == other.writeTime;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

template <typename Char>
struct ListedFile {
  PathText<Char> name;
  PathText<Char> shortName;  // the 8.3 alias, empty when the name is one already
  // The stamp the listing gave, if any: as good as one asked for after the
  // listing, since a file's listed time is never newer than its own.
  bool stamped = false;
  FileStamp stamp = {};
};

// What the search asks of the system.
template <typename Char>
class FolderAccess {
 public:
  virtual ~FolderAccess() = default;
  // Every entry of the folder, in the order the file system lists them, with
  // their stamps where the listing gives them; false when the folder cannot
  // be listed.
  virtual bool List(const PathText<Char>& folder, std::vector<ListedFile<Char>>* entries) = 0;
  // The stamp of a file or folder; false when it has none to give.
  virtual bool Stamp(const PathText<Char>& path, FileStamp* stamp) = 0;
  // The whole file (wanted 0), or a block of wanted bytes whose part past the
  // file's end is zero; false when the file does not open.
  virtual bool Read(const PathText<Char>& path, std::size_t wanted,
                    std::vector<std::uint8_t>* bytes) = 0;
  // The system's case-insensitive comparison of a cel line's field 2 (8-bit
  // text of the ANSI code page) with the cel's file name.
  virtual bool SameCelName(const std::string& field, const PathText<Char>& celName) = 0;
  // A palette line's name (8-bit text) as a path part.
  virtual PathText<Char> PathFromCnfText(const std::string& name) = 0;
  // The step rule of the configuration files' code page.
  virtual const NextChar& CnfSteps() = 0;
  // Where the line store keeps a configuration file's text.
  virtual const LineAllocator& TextHeap() = 0;
  // The clock of the write times, now.
  virtual std::uint64_t Now() = 0;
  // Whether the folder's write time changes whenever an entry is added,
  // removed or renamed (true on NTFS and on the file systems of Unix; false
  // on FAT, whose folders keep their time).
  virtual bool FolderTimeTracksEntries(const PathText<Char>& folder) = 0;
};

// The longest paths the search composes, in characters: every configuration
// file's path, and the palette path it answers with. Longer ones are skipped,
// never cut.
struct PathLimits {
  std::size_t path;
  std::size_t answer;
};

template <typename Char>
struct PaletteSearchResult {
  bool found = false;
  PathText<Char> path;  // the palette file; its group is always 0
  // When its first bytes were asked for: whether it opened, and those bytes
  // (zero past the file's end).
  bool read = false;
  std::vector<std::uint8_t> bytes;
};

// folder, a backslash and name ("%s\%s"), or false when longer than limit.
template <typename Char>
bool ComposeFolderPath(const PathText<Char>& folder, const PathText<Char>& name, std::size_t limit,
                       PathText<Char>* path) {
  if (folder.size() + 1 + name.size() > limit) return false;
  *path = folder;
  path->push_back(static_cast<Char>('\\'));
  *path += name;
  return true;
}

// Whether a listed entry matches "*.cnf" or "*.kcf" (extension with its dot)
// as the system's listing matches a pattern: its name or its 8.3 alias ends
// in the extension, letters compared without regard to case.
template <typename Char>
bool MatchesExtension(const ListedFile<Char>& entry, const char* extension);

// The cel line of the first configuration file (in listing order) that
// places the cel picks a palette line; without one, or when its palette path
// does not fit, the first palette file listed. Reads every file afresh.
template <typename Char>
PaletteSearchResult<Char> FindPaletteInFolder(FolderAccess<Char>& access,
                                              const PathText<Char>& folder,
                                              const PathText<Char>& celName, PathLimits limits);

// The same answers as FindPaletteInFolder, from what earlier calls read:
// the listing is kept while the folder's stamp stays the same, and with it
// each configuration file's reading and each palette file's first bytes
// while their own stamps stay the same; a change of the folder lets go of
// all of it. A stamp is trusted only once it is older than the clock's
// coarseness, so that a change within the same tick is not missed: until
// then the file is read again. Safe for calls from any number of threads;
// bounded in the folders and palette files it keeps.
template <typename Char>
class FolderCache {
 public:
  static constexpr std::size_t kMaxFolders = 16;
  static constexpr std::size_t kMaxPaletteFiles = 16;  // for each folder
  // Write times this close to the moment they were seen are not trusted:
  // two seconds, the coarsest clock of a file system in use.
  static constexpr std::uint64_t kTrustMargin = 2 * 10000000ull;

  // paletteBytes: when not 0, the answer's first so many bytes are read too.
  PaletteSearchResult<Char> Find(FolderAccess<Char>& access, const PathText<Char>& folder,
                                 const PathText<Char>& celName, PathLimits limits,
                                 std::size_t paletteBytes = 0);

 private:
  struct CnfRecord {
    PathText<Char> name;
    FileStamp stamp;
    bool trusted = false;
    std::shared_ptr<const CnfIndex> index;  // null until read, or when it cannot be read
  };
  struct PaletteRecord {
    PathText<Char> name;
    FileStamp stamp;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  };
  // Whether the folder's time changes with its entries, as the system
  // answers when first asked.
  enum class EntryTimes { NotAsked, Tracked, Untracked };
  struct Snapshot {
    PathText<Char> folder;
    FileStamp folderStamp;
    bool folderTrusted = false;
    EntryTimes entryTimes = EntryTimes::NotAsked;
    bool anyCnf = false;
    std::vector<CnfRecord> cnfs;               // every *.cnf entry, in listing order
    std::vector<PathText<Char>> paletteNames;  // every *.kcf entry, in listing order
    std::vector<PaletteRecord> palettes;       // first bytes of palette files read, oldest first
  };

  std::shared_ptr<const Snapshot> Lookup(const PathText<Char>& folder);
  void Publish(std::shared_ptr<const Snapshot> snapshot);

  std::mutex mutex_;
  std::list<std::shared_ptr<const Snapshot>> folders_;  // most recently used first
};

extern template class FolderCache<char>;
extern template class FolderCache<wchar_t>;
