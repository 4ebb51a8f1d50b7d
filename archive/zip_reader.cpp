// ZIP archives through minizip's unzip over the source: the central
// directory for the listing, and for each member a handle of its own that
// goes straight to the member's directory record.
#include <unzip.h>

#include <mutex>
#include <new>

#include "archive/archive_formats.h"

namespace {

struct SourceCursor {
  const ArchiveSource* source;
  std::uint64_t position = 0;
  bool failed = false;
};

// minizip's "file name" is the cursor, opened once per handle.
voidpf ZCALLBACK CursorOpen(voidpf, const void* cursor, int) { return const_cast<void*>(cursor); }

uLong ZCALLBACK CursorRead(voidpf, voidpf stream, void* buffer, uLong count) {
  auto* cursor = static_cast<SourceCursor*>(stream);
  std::uint64_t size = cursor->source->Size();
  std::uint64_t left = cursor->position < size ? size - cursor->position : 0;
  uLong n = count < left ? count : static_cast<uLong>(left);
  if (n == 0) return 0;
  if (!cursor->source->ReadAt(cursor->position, buffer, n)) {
    cursor->failed = true;
    return 0;
  }
  cursor->position += n;
  return n;
}

uLong ZCALLBACK CursorWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T ZCALLBACK CursorTell(voidpf, voidpf stream) {
  return static_cast<SourceCursor*>(stream)->position;
}

long ZCALLBACK CursorSeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  auto* cursor = static_cast<SourceCursor*>(stream);
  std::uint64_t base = 0;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_CUR:
      base = cursor->position;
      break;
    case ZLIB_FILEFUNC_SEEK_END:
      base = cursor->source->Size();
      break;
    case ZLIB_FILEFUNC_SEEK_SET:
      break;
    default:
      return -1;
  }
  std::uint64_t size = cursor->source->Size();
  if (base > size || offset > size - base) return -1;
  cursor->position = base + offset;
  return 0;
}

int ZCALLBACK CursorClose(voidpf, voidpf) { return 0; }

int ZCALLBACK CursorError(voidpf, voidpf stream) {
  return static_cast<SourceCursor*>(stream)->failed ? 1 : 0;
}

// An open handle with the cursor it reads through.
struct ZipHandle {
  SourceCursor cursor;
  unzFile file = nullptr;
  explicit ZipHandle(const ArchiveSource& source) : cursor{&source} {}
  ~ZipHandle() {
    if (file) unzClose(file);
  }
};

unzFile OpenOver(SourceCursor* cursor) {
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = CursorOpen;
  functions.zread_file = CursorRead;
  functions.zwrite_file = CursorWrite;
  functions.ztell64_file = CursorTell;
  functions.zseek64_file = CursorSeek;
  functions.zclose_file = CursorClose;
  functions.zerror_file = CursorError;
  return unzOpen2_64(cursor, &functions);
}

constexpr unsigned kEncrypted = 1u << 0;
constexpr unsigned kUtf8Names = 1u << 11;

class ZipReader : public ArchiveReader {
 public:
  ZipReader(const ArchiveSource& source, const ArchiveLimits& limits)
      : source_(source), limits_(limits) {
    kind_ = ArchiveKind::kZip;
  }

  bool List(ArchiveStatus* status) {
    auto handle = std::make_unique<ZipHandle>(source_);
    handle->file = OpenOver(&handle->cursor);
    SourceCursor& cursor = handle->cursor;
    ZipHandle& zip = *handle;
    if (!zip.file) {
      // minizip looks for the end record after the first byte only, so an
      // empty archive (the end record alone) is recognised here.
      std::uint8_t end[22] = {};
      if (source_.Size() >= sizeof end && source_.ReadAt(0, end, sizeof end) &&
          RecogniseArchive({end, sizeof end}) == ArchiveKind::kZip && end[2] == 5 && end[8] == 0 &&
          end[9] == 0 && end[10] == 0 && end[11] == 0) {
        return true;
      }
      *status = cursor.failed ? ArchiveStatus::kReadFailed : ArchiveStatus::kBroken;
      return false;
    }
    unz_global_info64 global = {};
    if (unzGetGlobalInfo64(zip.file, &global) != UNZ_OK) {
      *status = ArchiveStatus::kBroken;
      return false;
    }
    if (global.number_entry > limits_.members) {
      *status = ArchiveStatus::kTooLarge;
      return false;
    }
    int result = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : UNZ_OK;
    while (result == UNZ_OK) {
      unz_file_info64 info = {};
      result = unzGetCurrentFileInfo64(zip.file, &info, nullptr, 0, nullptr, 0, nullptr, 0);
      if (result != UNZ_OK) break;
      ArchiveEntry entry;
      entry.name.resize(info.size_filename);
      result =
          unzGetCurrentFileInfo64(zip.file, &info, &entry.name[0],
                                  static_cast<uLong>(entry.name.size()), nullptr, 0, nullptr, 0);
      if (result != UNZ_OK) break;
      unz64_file_pos position = {};
      unzGetFilePos64(zip.file, &position);
      entry.text = info.flag & kUtf8Names ? NameText::kUtf8 : NameText::kCodePage;
      entry.directory = !entry.name.empty() && entry.name.back() == '/';
      entry.method = info.compression_method == 0 ? "stored"
                     : info.compression_method == 8
                         ? "deflate"
                         : "method " + std::to_string(info.compression_method);
      entry.packedSize = info.compressed_size;
      entry.size = info.uncompressed_size;
      entry.crc = static_cast<std::uint32_t>(info.crc);
      entry.unixTime = UnixTimeOf(
          static_cast<int>(info.tmu_date.tm_year), static_cast<int>(info.tmu_date.tm_mon) + 1,
          static_cast<int>(info.tmu_date.tm_mday), static_cast<int>(info.tmu_date.tm_hour),
          static_cast<int>(info.tmu_date.tm_min), static_cast<int>(info.tmu_date.tm_sec));
      entry.encrypted = (info.flag & kEncrypted) != 0;
      entries_.push_back(std::move(entry));
      positions_.push_back(position);
      result = unzGoToNextFile(zip.file);
    }
    if (cursor.failed) {
      *status = ArchiveStatus::kReadFailed;
      return false;
    }
    if (result != UNZ_END_OF_LIST_OF_FILE) {
      if (entries_.empty()) {
        *status = ArchiveStatus::kBroken;
        return false;
      }
      listingStatus_ = ArchiveStatus::kBroken;
    }
    Release(std::move(handle));
    return true;
  }

  ArchiveStatus Extract(std::size_t index, std::vector<std::uint8_t>* bytes) const override {
    bytes->clear();
    if (index >= entries_.size()) return ArchiveStatus::kBroken;
    const ArchiveEntry& entry = entries_[index];
    if (entry.directory) return ArchiveStatus::kOk;
    if (entry.encrypted || (entry.method != "stored" && entry.method != "deflate")) {
      return ArchiveStatus::kUnsupported;
    }
    if (entry.size > limits_.memberBytes) return ArchiveStatus::kTooLarge;
    if (entry.packedSize > source_.Size()) return ArchiveStatus::kBroken;

    std::unique_ptr<ZipHandle> handle = Acquire();
    if (!handle) return ArchiveStatus::kReadFailed;
    ArchiveStatus status = ExtractWith(*handle, index, bytes);
    // A handle is reused only while its reads are whole.
    if (status != ArchiveStatus::kReadFailed) Release(std::move(handle));
    return status;
  }

 private:
  // Opening a handle searches the archive's end for its directory, which
  // costs more than reading a small member: the handles of finished calls
  // are kept for the next ones, each used by one call at a time.
  std::unique_ptr<ZipHandle> Acquire() const {
    {
      std::lock_guard<std::mutex> lock(poolLock_);
      if (!pool_.empty()) {
        std::unique_ptr<ZipHandle> handle = std::move(pool_.back());
        pool_.pop_back();
        return handle;
      }
    }
    try {
      auto handle = std::make_unique<ZipHandle>(source_);
      handle->file = OpenOver(&handle->cursor);
      return handle->file ? std::move(handle) : nullptr;
    } catch (const std::bad_alloc&) {
      return nullptr;
    }
  }

  void Release(std::unique_ptr<ZipHandle> handle) const {
    std::lock_guard<std::mutex> lock(poolLock_);
    try {
      if (pool_.size() < kPooledHandles) pool_.push_back(std::move(handle));
    } catch (const std::bad_alloc&) {
    }
  }

  ArchiveStatus ExtractWith(ZipHandle& zip, std::size_t index,
                            std::vector<std::uint8_t>* bytes) const {
    const ArchiveEntry& entry = entries_[index];
    SourceCursor& cursor = zip.cursor;
    if (unzGoToFilePos64(zip.file, &positions_[index]) != UNZ_OK ||
        unzOpenCurrentFile(zip.file) != UNZ_OK) {
      return cursor.failed ? ArchiveStatus::kReadFailed : ArchiveStatus::kBroken;
    }
    // minizip stops at the size the directory claims; the buffer grows with
    // what arrives, so the claim alone allocates little.
    auto size = static_cast<std::size_t>(entry.size);
    std::size_t filled = 0;
    int result = 0;
    try {
      std::size_t step = size < (std::size_t{1} << 20) ? size : (std::size_t{1} << 20);
      while (filled < size) {
        if (bytes->size() == filled) {
          std::size_t grown = filled + (filled > step ? filled : step);
          bytes->resize(grown < size ? grown : size);
        }
        std::size_t want = bytes->size() - filled;
        if (want > (1u << 30)) want = 1u << 30;
        result = unzReadCurrentFile(zip.file, bytes->data() + filled, static_cast<unsigned>(want));
        if (result <= 0) break;
        filled += static_cast<std::size_t>(result);
      }
    } catch (const std::bad_alloc&) {
      unzCloseCurrentFile(zip.file);
      bytes->clear();
      return ArchiveStatus::kNoMemory;
    }
    int closed = unzCloseCurrentFile(zip.file);
    bytes->resize(filled);
    if (cursor.failed) return ArchiveStatus::kReadFailed;
    if (result < 0 || filled != size) return ArchiveStatus::kBroken;
    if (closed == UNZ_CRCERROR) return ArchiveStatus::kCrcMismatch;
    if (closed != UNZ_OK) return ArchiveStatus::kBroken;
    return ArchiveStatus::kOk;
  }

  static constexpr std::size_t kPooledHandles = 8;
  const ArchiveSource& source_;
  ArchiveLimits limits_;
  std::vector<unz64_file_pos> positions_;  // each entry's directory record
  mutable std::mutex poolLock_;
  mutable std::vector<std::unique_ptr<ZipHandle>> pool_;
};

}  // namespace

std::unique_ptr<ArchiveReader> OpenZipArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status) {
  return OpenListed<ZipReader>(source, limits, status);
}
