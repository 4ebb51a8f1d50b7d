#include "archive/archive_reader.h"

#include <cstring>

#include "archive/archive_formats.h"

bool MemorySource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  if (offset > bytes_.size || count > bytes_.size - offset) return false;
  if (count > 0) std::memcpy(out, bytes_.data + offset, count);
  return true;
}

ArchiveKind RecogniseArchive(ByteView head) {
  // An LZH header: its method "-lh?-" or "-lz?-" at offset 2, a header level
  // of 0 to 3 at offset 20.
  if (head.size >= 22 && head.At(2) == '-' && head.At(3) == 'l' &&
      (head.At(4) == 'h' || head.At(4) == 'z') && head.At(6) == '-' && head.At(20) <= 3) {
    return ArchiveKind::kLzh;
  }
  // A ZIP's first local header, or the end record of an empty one.
  if (head.size >= 4 && head.At(0) == 'P' && head.At(1) == 'K' &&
      ((head.At(2) == 3 && head.At(3) == 4) || (head.At(2) == 5 && head.At(3) == 6))) {
    return ArchiveKind::kZip;
  }
  return ArchiveKind::kUnknown;
}

std::unique_ptr<ArchiveReader> OpenArchive(const ArchiveSource& source, const ArchiveLimits& limits,
                                           ArchiveStatus* status) {
  std::uint8_t head[22] = {};
  std::size_t headSize =
      source.Size() < sizeof head ? static_cast<std::size_t>(source.Size()) : sizeof head;
  if (!source.ReadAt(0, head, headSize)) {
    *status = ArchiveStatus::kReadFailed;
    return nullptr;
  }
  switch (RecogniseArchive(ByteView{head, headSize})) {
    case ArchiveKind::kLzh:
      return OpenLzhArchive(source, limits, status);
    case ArchiveKind::kZip:
      return OpenZipArchive(source, limits, status);
    case ArchiveKind::kUnknown:
      break;
  }
  *status = ArchiveStatus::kUnknownFormat;
  return nullptr;
}

std::string Utf16LeToUtf8(const std::uint8_t* bytes, std::size_t count) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i + 1 < count; i += 2) {
    std::uint32_t unit = bytes[i] | (bytes[i + 1] << 8);
    std::uint32_t code = unit;
    if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < count) {
      std::uint32_t low = bytes[i + 2] | (bytes[i + 3] << 8);
      if (low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        i += 2;
      }
    }
    if (code >= 0xD800 && code < 0xE000) code = 0xFFFD;
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

std::int64_t UnixTimeOf(int year, int month, int day, int hour, int minute, int second) {
  // Days from 1970-01-01 to the date in the proleptic Gregorian calendar.
  std::int64_t y = year - (month <= 2 ? 1 : 0);
  std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  std::int64_t yearOfEra = y - era * 400;
  std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  std::int64_t days = era * 146097 + dayOfEra - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}
