// LZH archives through lhasa: the listing through its reader over stream
// callbacks, each member's data through a decoder of its own over the same
// stateless source, so that members decode from several threads at once.
#include <lhasa.h>

#include <cstring>
#include <limits>
#include <new>

#include "archive/archive_formats.h"

namespace {

// A position in the source, advanced by lhasa's reads and skips.
struct SourceCursor {
  const ArchiveSource* source;
  std::uint64_t position;
  std::uint64_t end;  // nothing at or past it is read
  bool failed = false;
};

int StreamRead(void* handle, void* buffer, std::size_t count) {
  auto* cursor = static_cast<SourceCursor*>(handle);
  std::uint64_t left = cursor->end - cursor->position;
  std::size_t n = count < left ? count : static_cast<std::size_t>(left);
  if (n > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    n = static_cast<std::size_t>(std::numeric_limits<int>::max());
  }
  if (n == 0) return 0;
  if (!cursor->source->ReadAt(cursor->position, buffer, n)) {
    cursor->failed = true;
    return -1;
  }
  cursor->position += n;
  return static_cast<int>(n);
}

// Without a skip of its own lhasa skips by reading, which loops forever at
// the end of a stream; this one fails there.
int StreamSkip(void* handle, std::size_t count) {
  auto* cursor = static_cast<SourceCursor*>(handle);
  if (count > cursor->end - cursor->position) {
    cursor->position = cursor->end;
    return 0;
  }
  cursor->position += count;
  return 1;
}

const LHAInputStreamType kStreamType = {StreamRead, StreamSkip, nullptr};

std::size_t DecoderRead(void* buffer, std::size_t count, void* handle) {
  int n = StreamRead(handle, buffer, count);
  return n > 0 ? static_cast<std::size_t>(n) : 0;
}

struct StreamOwner {
  LHAInputStream* stream;
  ~StreamOwner() {
    if (stream) lha_input_stream_free(stream);
  }
};
struct ReaderOwner {
  LHAReader* reader;
  ~ReaderOwner() {
    if (reader) lha_reader_free(reader);
  }
};
struct DecoderOwner {
  LHADecoder* decoder;
  ~DecoderOwner() {
    if (decoder) lha_decoder_free(decoder);
  }
};

std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Le32(const std::uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }

// The extended headers' path: parts separated by 0xFF, joined by '/' with
// one at the end.
std::string PathOfExtended(const std::uint8_t* data, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i)
    path += data[i] == 0xFF ? '/' : static_cast<char>(data[i]);
  if (!path.empty() && path.back() != '/') path += '/';
  return path;
}

std::string PathOfUtf16(const std::uint8_t* data, std::size_t count) {
  std::string path = Utf16LeToUtf8(data, count);
  // A separator stored as U+FFFF (0xEF 0xBF 0xBF) or a backslash.
  std::string joined;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path.compare(i, 3, "\xEF\xBF\xBF") == 0) {
      joined += '/';
      i += 2;
    } else {
      joined += path[i] == '\\' ? '/' : path[i];
    }
  }
  if (!joined.empty() && joined.back() != '/') joined += '/';
  return joined;
}

// The name as the header stores it, read from lhasa's copy of the header's
// bytes rather than from its cleaned-up name (which lower-cases all-capital
// names, turns backslashes into '/' even inside double-byte characters and
// drops ".." parts): the core decides about names.
void StoredName(const std::uint8_t* raw, std::size_t size, int level, ArchiveEntry* entry) {
  std::string path, file, widePath, wideFile;
  bool haveWideFile = false, haveWidePath = false, utf8 = false;
  std::size_t extended = 0;  // offset of the first extended header's size field
  std::size_t field = 2;
  if (level <= 1) {
    std::size_t length = size > 21 ? raw[21] : 0;
    if (22 + length <= size) file.assign(reinterpret_cast<const char*>(raw + 22), length);
    extended = level == 1 ? static_cast<std::size_t>(raw[0]) : size;
  } else if (level == 2) {
    extended = 24;
  } else {
    extended = 28;
    field = 4;
  }
  // The chain as lhasa walks it: each size counts the type byte, the data
  // and the next header's size field.
  std::size_t offset = extended;
  while (offset + field <= size) {
    std::size_t length = field == 4 ? Le32(raw + offset) : Le16(raw + offset);
    if (length == 0 || length < field + 1 || length > size - offset - field) break;
    const std::uint8_t* data = raw + offset + field + 1;
    std::size_t dataLength = length - field - 1;
    switch (raw[offset + field]) {
      case 0x01:
        file.assign(reinterpret_cast<const char*>(data), dataLength);
        break;
      case 0x02:
        path = PathOfExtended(data, dataLength);
        break;
      case 0x44:
        wideFile = Utf16LeToUtf8(data, dataLength);
        haveWideFile = true;
        break;
      case 0x45:
        widePath = PathOfUtf16(data, dataLength);
        haveWidePath = true;
        break;
      case 0x46:  // the code page of the names: 65001 is UTF-8
        utf8 = dataLength >= 4 && Le32(data) == 65001;
        break;
      default:
        break;
    }
    offset += length;
  }
  if (haveWideFile || haveWidePath) {
    entry->name = (haveWidePath ? widePath : path) + (haveWideFile ? wideFile : file);
    entry->text = NameText::kUtf8;
  } else {
    entry->name = path + file;
    entry->text = utf8 ? NameText::kUtf8 : NameText::kCodePage;
  }
}

// A record lhasa refuses but some tools write: a file stored under the
// directory method "-lhd-", with a name and data but no path (header levels
// 0 to 2). Its entry and where the record ends, or false.
bool ReadStoredFileRecord(const ArchiveSource& source, std::uint64_t offset, ArchiveEntry* entry,
                          std::uint64_t* dataOffset) {
  std::uint8_t base[26] = {};
  std::uint64_t size = source.Size();
  if (offset > size || size - offset < sizeof base || !source.ReadAt(offset, base, sizeof base)) {
    return false;
  }
  if (std::memcmp(base + 2, LHA_COMPRESS_TYPE_DIR, 5) != 0) return false;
  int level = base[20];
  std::vector<std::uint8_t> raw;
  std::uint32_t packed = Le32(base + 7);
  if (level <= 1) {
    std::size_t length = base[0] + 2u;
    raw.resize(length);
    if (length < 24 || size - offset < length || !source.ReadAt(offset, raw.data(), length) ||
        24u + raw[21] > length) {  // the name and the CRC within the header
      return false;
    }
    unsigned sum = 0;
    for (std::size_t i = 2; i < length; ++i) sum += raw[i];
    if ((sum & 0xFF) != base[1]) return false;
    // Level 1's extended headers follow, counted in the packed size.
    for (std::size_t next = level == 1 ? Le16(&raw[length - 2]) : 0; next != 0;
         next = Le16(&raw[raw.size() - 2])) {
      if (next < 3 || next > packed || size - offset - raw.size() < next) return false;
      packed -= static_cast<std::uint32_t>(next);
      std::size_t at = raw.size();
      raw.resize(at + next);
      if (!source.ReadAt(offset + at, &raw[at], next)) return false;
    }
  } else if (level == 2) {
    std::size_t length = Le16(base);
    if (length < 26 || size - offset < length) return false;
    raw.resize(length);
    if (!source.ReadAt(offset, raw.data(), length)) return false;
  } else {
    return false;
  }
  StoredName(raw.data(), raw.size(), level, entry);
  if (entry->name.empty() || entry->name.back() == '/' || entry->name.back() == '\\') return false;
  entry->method = LHA_COMPRESS_TYPE_DIR;
  entry->packedSize = packed;
  entry->size = Le32(base + 11);
  entry->crc = Le16(level <= 1 ? &raw[22 + raw[21]] : base + 21);
  entry->unixTime = level == 2 ? Le32(base + 15) : 0;
  if (entry->size != entry->packedSize) return false;
  *dataOffset = offset + raw.size();
  return true;
}

class LzhReader : public ArchiveReader {
 public:
  LzhReader(const ArchiveSource& source, const ArchiveLimits& limits)
      : source_(source), limits_(limits) {
    kind_ = ArchiveKind::kLzh;
  }

  // Lists every header; false with *status when the archive cannot be listed.
  bool List(ArchiveStatus* status) {
    // lhasa lists from start until a header it refuses; a file stored as a
    // "-lhd-" record is taken here and the listing goes on after it.
    std::uint64_t start = 0;
    for (;;) {
      std::uint64_t next = start;
      if (!ListFrom(start, &next, status)) return false;
      std::uint8_t marker = 0;
      if (next == source_.Size() ||
          (next < source_.Size() && source_.ReadAt(next, &marker, 1) && marker == 0)) {
        return true;
      }
      ArchiveEntry entry;
      std::uint64_t dataOffset = 0;
      if (next < start || !ReadStoredFileRecord(source_, next, &entry, &dataOffset) ||
          entry.packedSize > source_.Size() - dataOffset) {
        // Anything else there is a header that does not read.
        listingStatus_ = ArchiveStatus::kBroken;
        if (entries_.empty()) {
          *status = ArchiveStatus::kBroken;
          return false;
        }
        return true;
      }
      if (!Add(std::move(entry), dataOffset, status)) return false;
      start = dataOffset + entries_.back().packedSize;
    }
  }

  // Lists through lhasa from offset start; *next is where the header after
  // the last one listed starts.
  bool ListFrom(std::uint64_t start, std::uint64_t* next, ArchiveStatus* status) {
    SourceCursor cursor{&source_, start, source_.Size()};
    StreamOwner stream{lha_input_stream_new(&kStreamType, &cursor)};
    ReaderOwner reader{stream.stream ? lha_reader_new(stream.stream) : nullptr};
    if (!reader.reader) {
      *status = ArchiveStatus::kNoMemory;
      return false;
    }
    // Directories are listed once, where they stand: never returned again
    // for their metadata.
    lha_reader_set_dir_policy(reader.reader, LHA_READER_DIR_PLAIN);
    while (const LHAFileHeader* header = lha_reader_next_file(reader.reader)) {
      ArchiveEntry entry;
      StoredName(header->raw_data, header->raw_data_len, header->header_level, &entry);
      entry.method = header->compress_method;
      entry.packedSize = header->compressed_length;
      entry.size = header->length;
      entry.crc = header->crc;
      entry.unixTime = header->timestamp;
      entry.directory = entry.method == LHA_COMPRESS_TYPE_DIR &&
                        header->symlink_target == nullptr && entry.packedSize == 0;
      // The header has been read whole (lhasa's look-ahead at the start is
      // shorter than any header), so its data starts here.
      if (!Add(std::move(entry), cursor.position, status)) return false;
      *next = cursor.position + entries_.back().packedSize;
    }
    if (cursor.failed) {
      *status = ArchiveStatus::kReadFailed;
      return false;
    }
    return true;
  }

  bool Add(ArchiveEntry entry, std::uint64_t dataOffset, ArchiveStatus* status) {
    if (entries_.size() >= limits_.members) {
      *status = ArchiveStatus::kTooLarge;
      return false;
    }
    entries_.push_back(std::move(entry));
    dataOffsets_.push_back(dataOffset);
    return true;
  }

  ArchiveStatus Extract(std::size_t index, std::vector<std::uint8_t>* bytes) const override {
    bytes->clear();
    if (index >= entries_.size()) return ArchiveStatus::kBroken;
    const ArchiveEntry& entry = entries_[index];
    if (entry.directory) return ArchiveStatus::kOk;
    if (entry.size > limits_.memberBytes) return ArchiveStatus::kTooLarge;
    std::uint64_t start = dataOffsets_[index];
    if (entry.packedSize > source_.Size() - start) return ArchiveStatus::kBroken;
    // A "-lhd-" record with data is a file stored as it is; one without is a
    // link.
    std::string method = entry.method;
    if (method == LHA_COMPRESS_TYPE_DIR) {
      if (entry.packedSize != entry.size || entry.size == 0) return ArchiveStatus::kUnsupported;
      method = "-lh0-";
    }
    LHADecoderType* type = lha_decoder_for_name(&method[0]);
    if (!type) return ArchiveStatus::kUnsupported;

    SourceCursor cursor{&source_, start, start + entry.packedSize};
    auto size = static_cast<std::size_t>(entry.size);
    DecoderOwner decoder{lha_decoder_new(type, DecoderRead, &cursor, size)};
    if (!decoder.decoder) return ArchiveStatus::kNoMemory;
    // The buffer grows with what the decoder delivers, never past the size
    // the header claims, so a header's claim alone allocates little.
    std::size_t filled = 0;
    try {
      std::size_t step = size < (std::size_t{1} << 20) ? size : (std::size_t{1} << 20);
      while (filled < size) {
        if (bytes->size() == filled) {
          std::size_t grown = filled + (filled > step ? filled : step);
          bytes->resize(grown < size ? grown : size);
        }
        std::size_t n =
            lha_decoder_read(decoder.decoder, bytes->data() + filled, bytes->size() - filled);
        if (n == 0) break;
        filled += n;
      }
    } catch (const std::bad_alloc&) {
      bytes->clear();
      return ArchiveStatus::kNoMemory;
    }
    bytes->resize(filled);
    if (cursor.failed) return ArchiveStatus::kReadFailed;
    if (filled != size || lha_decoder_get_length(decoder.decoder) != size) {
      return ArchiveStatus::kBroken;
    }
    if (lha_decoder_get_crc(decoder.decoder) != entry.crc) return ArchiveStatus::kCrcMismatch;
    return ArchiveStatus::kOk;
  }

 private:
  const ArchiveSource& source_;
  ArchiveLimits limits_;
  std::vector<std::uint64_t> dataOffsets_;  // each entry's compressed data
};

}  // namespace

std::unique_ptr<ArchiveReader> OpenLzhArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status) {
  return OpenListed<LzhReader>(source, limits, status);
}
