// tamsaset's exports, each with its wide twin: identification, the strict
// quick test, the album's list, one member's record, one member's file.
// A member's position is its index in the album's list.
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "album/album.h"
#include "album/album_cache.h"
#include "doll/doll_config.h"
#include "settings/settings_store.h"
#include "spi/album_result.h"
#include "spi/ansi_text.h"
#include "spi/archive_api.h"
#include "spi/archive_file.h"
#include "spi/export_guard.h"
#include "spi/folder_set.h"
#include "spi/host_data.h"
#include "spi/owners.h"
#include "spi/plugin_info.h"
#include "spi/system_calls.h"
#include "spi/system_set_text.h"

namespace {

constexpr const char* kPluginInfo[] = {
    "00AM",
    "Tamsa set Ver.0.03a (c) 2026 the Tamsa developers: KiSS set album",
    "*.lzh;*.lha;*.zip;*.cnf",
    "KiSS set",
};
constexpr int kPluginInfoCount = static_cast<int>(sizeof kPluginInfo / sizeof kPluginInfo[0]);

// Archives kept between calls: a host lists once, then asks for each member.
constexpr std::size_t kAlbumsKept = 4;
constexpr std::uint64_t kAlbumBytesKept = 64ull << 20;

AlbumCache& Albums() {
  static AlbumCache cache(kAlbumsKept, kAlbumBytesKept);
  return cache;
}

std::wstring WideName(const char* name) { return WidenAnsi(name); }
std::wstring WideName(const wchar_t* name) { return name; }

bool NameEndsWith(const std::wstring& name, const wchar_t* extension) {
  return HasWideExtension(name.c_str(), extension);
}

int ResultOf(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk:
      return kResultSuccess;
    case ArchiveStatus::kUnknownFormat:
      return kResultUnknownFormat;
    case ArchiveStatus::kNoMemory:
    case ArchiveStatus::kTooLarge:
      return kResultNoMemory;
    case ArchiveStatus::kReadFailed:
      return kResultFileOpenFailed;
    default:
      return kResultBrokenData;
  }
}

using Album = std::shared_ptr<const OpenedAlbum>;

int ListSet(std::shared_ptr<const ArchiveSource> source, Album* album) {
  ArchiveStatus status = ArchiveStatus::kBroken;
  std::shared_ptr<const ArchiveSet> set = OpenArchiveSet(
      std::move(source), std::make_shared<SystemSetText>(), ArchiveLimits{}, &status);
  if (set == nullptr) return ResultOf(status);
  auto opened = std::make_shared<OpenedAlbum>();
  opened->entries = ListAlbum(*set, -1);
  // An archive cut short or damaged so that none of its cels and
  // configurations reads is a failure, not an empty album.
  if (opened->entries.empty() && set->ListingStatus() != ArchiveStatus::kOk)
    return ResultOf(set->ListingStatus());
  if (opened->entries.empty())
    for (const SetMember& member : set->Members())
      if (NameEndsWith(member.name, L".CEL") || NameEndsWith(member.name, L".CNF"))
        return member.problem != ArchiveStatus::kOk ? ResultOf(member.problem) : kResultBrokenData;
  opened->bytes = SetBytes(*set);
  opened->set = std::move(set);
  *album = std::move(opened);
  return kResultSuccess;
}

// A set opened through its configuration file: the pages of that file, the
// cels of its folder. Read afresh at every call: the folder's files are the
// palette search's to keep.
int OpenConfiguration(const std::wstring& path, Album* album) {
  std::wstring folder = path;
  const std::size_t separator = folder.find_last_of(L"\\/");
  const std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  folder = separator == std::wstring::npos ? L"." : folder.substr(0, separator);
  auto set = std::make_shared<FolderSet>();
  if (!set->Open(folder)) return kResultFileOpenFailed;
  const std::ptrdiff_t config = set->Find(name);
  if (config < 0) return kResultFileOpenFailed;
  auto opened = std::make_shared<OpenedAlbum>();
  opened->entries = ListAlbum(*set, config);
  opened->set = std::move(set);
  *album = std::move(opened);
  return kResultSuccess;
}

int OpenFile(const std::wstring& path, LONG_PTR offset, Album* album) {
  if (offset < 0) return kResultNotServed;  // no file has a negative offset
  if (NameEndsWith(path, L".CNF"))
    return offset == 0 ? OpenConfiguration(path, album) : kResultNotServed;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!AttributesOf(path.c_str(), &data)) return kResultFileOpenFailed;
  const FileStamp stamp = {
      (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
      (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
          data.ftLastWriteTime.dwLowDateTime};
  const auto where = static_cast<std::uint64_t>(offset);
  *album = Albums().FindFile(path, where, stamp);
  if (*album != nullptr) return kResultSuccess;
  std::shared_ptr<const ArchiveSource> source = ArchiveFile::Open(path.c_str());
  if (source == nullptr) return kResultFileOpenFailed;
  if (where != 0) source = std::make_shared<OffsetSource>(std::move(source), where);
  const int result = ListSet(std::move(source), album);
  if (result == kResultSuccess) Albums().KeepFile(path, where, stamp, *album);
  return result;
}

int OpenMemory(const void* source, LONG_PTR length, Album* album) {
  const ByteView bytes{static_cast<const std::uint8_t*>(source), HostDataSize(length)};
  *album = Albums().FindMemory(bytes);
  if (*album != nullptr) return kResultSuccess;
  // The host's bytes may go when the call returns: the set keeps a copy.
  auto copy =
      std::make_shared<const std::vector<std::uint8_t>>(bytes.data, bytes.data + bytes.size);
  const int result = ListSet(std::make_shared<SharedBytesSource>(copy), album);
  if (result == kResultSuccess) Albums().KeepMemory(bytes.data, std::move(copy), *album);
  return result;
}

template <typename Char>
int OpenAlbum(const Char* source, LONG_PTR length, UINT flags, Album* album) {
  if (source == nullptr) return kResultNotServed;
  switch (flags & kInputModeMask) {
    case kInputFile:
      return OpenFile(WideName(source), length, album);
    case kInputMemory:
      return OpenMemory(source, length, album);
    default:
      return kResultNotServed;
  }
}

// GetFile from memory, as hosts call it: source at the start of an archive
// listed from memory (length: the position; the archive's whole size is
// read as position 0, the interface's other reading), or inside one (its
// distance from the start is the position). Only bytes the host said it has
// are compared with what was listed.
int FindInMemory(const void* source, LONG_PTR length, Album* album, std::size_t* position) {
  std::uint64_t distance = 0;
  std::shared_ptr<const std::vector<std::uint8_t>> copy;
  const auto* at = static_cast<const std::uint8_t*>(source);
  *album = Albums().FindAround(at, &distance, &copy);
  if (*album == nullptr) return kResultUnknownFormat;
  std::size_t compared = 0;
  if (distance == 0) {
    compared = copy->size() < 8 ? copy->size() : 8;  // the signature
    if (length < 0) return kResultNotServed;
    const auto asked = static_cast<std::uint64_t>(length);
    *position = asked >= (*album)->entries.size() && asked == copy->size()
                    ? 0
                    : static_cast<std::size_t>(asked);
  } else {
    const std::size_t left = copy->size() - static_cast<std::size_t>(distance);
    compared = HostDataSize(length) < left ? HostDataSize(length) : left;
    *position = static_cast<std::size_t>(distance);
  }
  if (compared != 0 && std::memcmp(at, copy->data() + distance, compared) != 0)
    return kResultUnknownFormat;
  return kResultSuccess;
}

// A name for the 8-bit records: ANSI text cut at a character's end to fit.
void CopyName(const std::wstring& name, char* out) {
  std::wstring fitting = name;
  std::string narrow = NarrowAnsi(fitting);
  while (narrow.size() >= static_cast<std::size_t>(kArchiveNameLength)) {
    fitting.pop_back();
    narrow = NarrowAnsi(fitting);
  }
  std::memcpy(out, narrow.c_str(), narrow.size() + 1);
}
void CopyName(const std::wstring& name, wchar_t* out) {
  const std::size_t length = name.size() < static_cast<std::size_t>(kArchiveNameLength) - 1
                                 ? name.size()
                                 : static_cast<std::size_t>(kArchiveNameLength) - 1;
  std::wmemcpy(out, name.data(), length);
  out[length] = L'\0';
}

template <typename Char>
void FillRecord(const AlbumEntry& entry, std::size_t position, ArchiveFileInfoOf<Char>* info) {
  std::memset(info, 0, sizeof *info);
  std::strncpy(reinterpret_cast<char*>(info->method), entry.method.c_str(),
               sizeof info->method - 1);
  info->position = static_cast<ULONG_PTR>(position);
  info->compsize = static_cast<ULONG_PTR>(entry.packedSize);
  info->filesize = static_cast<ULONG_PTR>(entry.size);
  info->timestamp = static_cast<LONG_PTR>(entry.unixTime);
  CopyName(entry.folder, info->path);
  CopyName(entry.name, info->filename);
  info->crc = entry.crc;
}

template <typename Char>
int GetArchiveInfoOf(const Char* source, LONG_PTR length, UINT flags, HLOCAL* list) {
  if (list == nullptr) return kResultNotServed;
  *list = nullptr;
  Album album;
  const int result = OpenAlbum(source, length, flags, &album);
  if (result != kResultSuccess) return result;
  // Every record, then one of zeros that ends the list.
  const std::size_t count = album->entries.size();
  UniqueLocal block(LocalAlloc(LPTR, (count + 1) * sizeof(ArchiveFileInfoOf<Char>)));
  if (block == nullptr) return kResultNoMemory;
  auto* records = static_cast<ArchiveFileInfoOf<Char>*>(block.get());
  for (std::size_t i = 0; i < count; ++i) FillRecord(album->entries[i], i, &records[i]);
  *list = block.release();  // a fixed block: its handle is its address
  return kResultSuccess;
}

bool SameListedName(const char* listed, const char* asked, bool ignoreCase) {
  return ignoreCase ? AnsiCompareNoCase(listed, asked) == 0 : std::strcmp(listed, asked) == 0;
}
bool SameListedName(const wchar_t* listed, const wchar_t* asked, bool ignoreCase) {
  return ignoreCase ? WideCompareNoCase(listed, asked) == 0 : std::wcscmp(listed, asked) == 0;
}

template <typename Char>
int GetFileInfoOf(const Char* source, LONG_PTR length, const Char* name, UINT flags,
                  ArchiveFileInfoOf<Char>* info) {
  if (name == nullptr || info == nullptr) return kResultNotServed;
  Album album;
  const int result = OpenAlbum(source, length, flags, &album);
  if (result != kResultSuccess) return result;
  ArchiveFileInfoOf<Char> record;
  for (std::size_t i = 0; i < album->entries.size(); ++i) {
    FillRecord(album->entries[i], i, &record);
    std::basic_string<Char> listed = record.path;
    listed += record.filename;
    if (SameListedName(listed.c_str(), name, (flags & kNameIgnoresCase) != 0)) {
      *info = record;
      return kResultSuccess;
    }
  }
  return kResultNotServed;
}

std::wstring FileInFolder(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L'\\' + name;
}
std::string FileInFolder(const std::string& folder, const std::string& name) {
  // The last character of an 8-bit folder may end a double-byte one.
  const char* last = folder.c_str();
  for (const char* at = last; *at != '\0'; at = CharNextA(at)) last = at;
  if (folder.empty() || *last == '\\' || *last == '/') return folder + name;
  return folder + '\\' + name;
}

// The member written as folder\name: a new file, or none at all.
template <typename Char>
int WriteIntoFolder(const Char* folder, const AlbumEntry& entry,
                    const std::vector<std::uint8_t>& file) {
  Char name[kArchiveNameLength];
  CopyName(entry.name, name);
  const std::basic_string<Char> path = FileInFolder(std::basic_string<Char>(folder), name);
  UniqueFile out = OwnFile(CreateForWriting(path.c_str()));
  if (out == nullptr) return kResultFileOpenFailed;
  DWORD written = 0;
  const bool whole =
      WriteFile(out.get(), file.data(), static_cast<DWORD>(file.size()), &written, nullptr) &&
      written == file.size();
  if (!whole) {
    out.reset();
    DeleteNamed(path.c_str());
    return kResultFileOpenFailed;
  }
  return kResultSuccess;
}

template <typename Char>
int GetFileOf(const Char* source, LONG_PTR length, Char* dest, UINT flags,
              ProgressCallback progress, LONG_PTR userData) {
  const UINT output = flags & kOutputModeMask;
  if (output != kOutputFolder && output != kOutputMemory) return kResultNotServed;
  if (source == nullptr || dest == nullptr) return kResultNotServed;
  HLOCAL* block = output == kOutputMemory ? reinterpret_cast<HLOCAL*>(dest) : nullptr;
  if (block != nullptr) *block = nullptr;

  Album album;
  std::size_t position = 0;
  int result = kResultNotServed;
  switch (flags & kInputModeMask) {
    case kInputFile:
      if (length < 0) return kResultNotServed;
      result = OpenFile(WideName(source), 0, &album);
      position = static_cast<std::size_t>(length);
      break;
    case kInputMemory:
      result = FindInMemory(source, length, &album, &position);
      break;
    default:
      return kResultNotServed;
  }
  if (result != kResultSuccess) return result;
  if (position >= album->entries.size()) return kResultNotServed;  // no member has it
  const AlbumEntry& entry = album->entries[position];

  if (progress != nullptr && progress(0, 1, userData) != 0) return kResultAborted;
  std::vector<std::uint8_t> file;
  result = ResultOf(MakeAlbumFile(*album->set, entry, ReadDecoderSettings(), &file));
  if (result != kResultSuccess) return result;
  if (progress != nullptr && progress(1, 1, userData) != 0) return kResultAborted;

  if (block == nullptr) return WriteIntoFolder(dest, entry, file);
  UniqueLocal bytes(LocalAlloc(LMEM_FIXED, file.size()));
  if (bytes == nullptr) return kResultNoMemory;
  if (!file.empty()) std::memcpy(bytes.get(), file.data(), file.size());
  *block = bytes.release();
  return kResultSuccess;
}

// The first 2 KB of the file, read from the host's handle (where it stands,
// and left there) or copied from the host's buffer.
std::size_t ReadHead(DWORD_PTR data, std::uint8_t* window, std::size_t size) {
  if (IsFileHandle(data)) {
    const auto file = reinterpret_cast<HANDLE>(data);
    LARGE_INTEGER position = {};
    const LARGE_INTEGER none = {};
    const bool known = SetFilePointerEx(file, none, &position, FILE_CURRENT) != FALSE;
    DWORD read = 0;
    if (!ReadFile(file, window, static_cast<DWORD>(size), &read, nullptr)) read = 0;
    if (known) SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
    std::memset(window + read, 0, size - read);
    return read;
  }
  CopyReadableHostBytes(reinterpret_cast<const void*>(data), window, size);
  return size;
}

template <typename Char>
int IsSupportedOf(const Char* fileName, DWORD_PTR data) {
  if (fileName == nullptr) return 0;
  const std::wstring name = WideName(fileName);
  std::uint8_t window[kDollClaimWindow];
  const std::size_t size = ReadHead(data, window, sizeof window);
  const ByteView head{window, size};
  if (NameEndsWith(name, L".CNF")) return LooksLikeDollConfig(head) ? 1 : 0;
  const ArchiveKind kind = RecogniseArchive(head);
  const bool named =
      ((NameEndsWith(name, L".LZH") || NameEndsWith(name, L".LHA")) && kind == ArchiveKind::kLzh) ||
      (NameEndsWith(name, L".ZIP") && kind == ArchiveKind::kZip);
  if (!named) return 0;
  if (HeadShowsCel(head)) return 1;
  // Past the first 2 KB: the set through the file's name, when it opens.
  Album album;
  if (OpenFile(name, 0, &album) != kResultSuccess) return 0;
  for (const AlbumEntry& entry : album->entries)
    if (entry.kind == AlbumKind::kCel) return 1;
  return 0;
}

}  // namespace

extern "C" int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength) {
  return GuardedCall(
      [&] { return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength); });
}

extern "C" int WINAPI GetPluginInfoW(int index, LPWSTR buffer, int bufferLength) {
  return GuardedCall(
      [&] { return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength); });
}

extern "C" int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR data) {
  const int result = GuardedCall([&] { return IsSupportedOf(fileName, data); });
  return result == 1 ? 1 : 0;
}

extern "C" int WINAPI IsSupportedW(LPCWSTR fileName, DWORD_PTR data) {
  const int result = GuardedCall([&] { return IsSupportedOf(fileName, data); });
  return result == 1 ? 1 : 0;
}

extern "C" int WINAPI GetArchiveInfo(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* list) {
  return GuardedCall([&] { return GetArchiveInfoOf(source, length, flags, list); });
}

extern "C" int WINAPI GetArchiveInfoW(LPCWSTR source, LONG_PTR length, UINT flags, HLOCAL* list) {
  return GuardedCall([&] { return GetArchiveInfoOf(source, length, flags, list); });
}

extern "C" int WINAPI GetFileInfo(LPCSTR source, LONG_PTR length, LPCSTR name, UINT flags,
                                  ArchiveFileInfo* info) {
  return GuardedCall([&] { return GetFileInfoOf(source, length, name, flags, info); });
}

extern "C" int WINAPI GetFileInfoW(LPCWSTR source, LONG_PTR length, LPCWSTR name, UINT flags,
                                   ArchiveFileInfoW* info) {
  return GuardedCall([&] { return GetFileInfoOf(source, length, name, flags, info); });
}

extern "C" int WINAPI GetFile(LPCSTR source, LONG_PTR length, LPSTR dest, UINT flags,
                              ProgressCallback progress, LONG_PTR userData) {
  return GuardedCall([&] { return GetFileOf(source, length, dest, flags, progress, userData); });
}

extern "C" int WINAPI GetFileW(LPCWSTR source, LONG_PTR length, LPWSTR dest, UINT flags,
                               ProgressCallback progress, LONG_PTR userData) {
  return GuardedCall([&] { return GetFileOf(source, length, dest, flags, progress, userData); });
}

// Nothing to set: cels are flattened by tamsa's settings.
extern "C" int WINAPI ConfigurationDlg(HWND, int) {
  return GuardedCall([] { return kResultNotServed; });
}
