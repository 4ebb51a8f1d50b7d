#include "archive_writer.h"

#include <zlib.h>

#include <stdexcept>

namespace {

using kiss::Bytes;

// 2026-01-01 00:00:00 as MS-DOS date and time, and as Unix time.
constexpr std::uint16_t kDosDate = ((2026 - 1980) << 9) | (1 << 5) | 1;
constexpr std::uint16_t kDosTime = 0;

void Put16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutText(Bytes& out, const std::string& text) {
  out.insert(out.end(), text.begin(), text.end());
}

Bytes RawDeflate(const Bytes& data) {
  z_stream stream = {};
  // Negative window bits: raw deflate data, as ZIP stores it.
  if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2 failed");
  Bytes out(deflateBound(&stream, static_cast<uLong>(data.size())));
  stream.next_in = const_cast<Bytef*>(data.data());
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("deflate did not finish");
  return out;
}

// CRC-16 of LZH (reflected polynomial 0xA001, starting at 0).
std::uint16_t Crc16(const Bytes& data) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

}  // namespace

Bytes ZipArchive(const std::vector<PackedFile>& files) {
  Bytes archive;
  Bytes directory;
  for (const PackedFile& file : files) {
    const Bytes packed = RawDeflate(file.bytes);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, file.bytes.data(), static_cast<uInt>(file.bytes.size())));
    const auto offset = static_cast<std::uint32_t>(archive.size());
    auto common = [&](Bytes& out) {
      Put16(out, 20);  // version needed: deflate
      Put16(out, 0);   // flags
      Put16(out, 8);   // deflate
      Put16(out, kDosTime);
      Put16(out, kDosDate);
      Put32(out, crc);
      Put32(out, static_cast<std::uint32_t>(packed.size()));
      Put32(out, static_cast<std::uint32_t>(file.bytes.size()));
      Put16(out, static_cast<std::uint32_t>(file.path.size()));
      Put16(out, 0);  // extra field
    };
    Put32(archive, 0x04034B50);
    common(archive);
    PutText(archive, file.path);
    archive.insert(archive.end(), packed.begin(), packed.end());

    Put32(directory, 0x02014B50);
    Put16(directory, 20);  // made by: MS-DOS
    common(directory);
    Put16(directory, 0);     // comment
    Put16(directory, 0);     // disk
    Put16(directory, 0);     // internal attributes
    Put32(directory, 0x20);  // external attributes: archive
    Put32(directory, offset);
    PutText(directory, file.path);
  }
  const auto directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive.insert(archive.end(), directory.begin(), directory.end());
  Put32(archive, 0x06054B50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(files.size()));
  Put16(archive, static_cast<std::uint32_t>(files.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryOffset);
  Put16(archive, 0);  // comment
  return archive;
}

Bytes StoredLzhArchive(const std::vector<PackedFile>& files) {
  Bytes archive;
  for (const PackedFile& file : files) {
    std::string name = file.path;
    for (char& c : name) {
      if (c == '/') c = '\\';
    }
    Bytes header;
    PutText(header, "-lh0-");
    Put32(header, static_cast<std::uint32_t>(file.bytes.size()));  // packed: stored
    Put32(header, static_cast<std::uint32_t>(file.bytes.size()));
    Put16(header, kDosTime);
    Put16(header, kDosDate);
    header.push_back(0x20);  // attribute: archive
    header.push_back(0);     // header level 0
    header.push_back(static_cast<std::uint8_t>(name.size()));
    PutText(header, name);
    Put16(header, Crc16(file.bytes));
    std::uint8_t sum = 0;
    for (std::uint8_t byte : header) sum = static_cast<std::uint8_t>(sum + byte);
    archive.push_back(static_cast<std::uint8_t>(header.size()));
    archive.push_back(sum);
    archive.insert(archive.end(), header.begin(), header.end());
    archive.insert(archive.end(), file.bytes.begin(), file.bytes.end());
  }
  archive.push_back(0);  // the end
  return archive;
}
