#include "support/archive_files.h"

#include <zlib.h>

#include <stdexcept>

namespace archive_files {
namespace {

void Put16(Bytes* out, std::uint32_t value) {
  out->push_back(static_cast<std::uint8_t>(value));
  out->push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes* out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}
void PutText(Bytes* out, const std::string& text) {
  out->insert(out->end(), text.begin(), text.end());
}
void Set16(Bytes* out, std::size_t at, std::uint32_t value) {
  (*out)[at] = static_cast<std::uint8_t>(value);
  (*out)[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

constexpr std::uint32_t kDosTime = (14u << 25) | (5u << 21) | (4u << 16) | (12u << 11) | (30u << 5);

// An extended header's bytes without its size: type, data (the next size
// field follows).
Bytes Extended(std::uint8_t type, const Bytes& data) {
  Bytes header{type};
  header.insert(header.end(), data.begin(), data.end());
  return header;
}

Bytes TextBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<Bytes> ExtendedHeaders(const LzhMember& member, int level) {
  std::vector<Bytes> headers;
  if (level == 2 && !member.directory) headers.push_back(Extended(0x01, TextBytes(member.name)));
  if (!member.folder.empty()) {
    Bytes path = TextBytes(member.folder);
    for (auto& byte : path) byte = byte == '/' ? 0xFF : byte;
    headers.push_back(Extended(0x02, path));
  }
  if (!member.wideName.empty()) {
    Bytes wide;
    for (char16_t unit : member.wideName) Put16(&wide, unit);
    headers.push_back(Extended(0x44, wide));
  }
  if (member.utf8CodePage) {
    Bytes page;
    Put32(&page, 65001);
    headers.push_back(Extended(0x46, page));
  }
  return headers;
}

// The chain: each header followed by the next one's size, 0 at the end.
Bytes Chain(const std::vector<Bytes>& headers) {
  Bytes chain;
  for (const Bytes& header : headers) {
    chain.insert(chain.end(), header.begin(), header.end());
    chain.push_back(0);
    chain.push_back(0);
  }
  return chain;
}

std::uint32_t FirstSize(const std::vector<Bytes>& headers) {
  return headers.empty() ? 0 : static_cast<std::uint32_t>(headers[0].size() + 2);
}

// Fills in each header's "next size" (the last two bytes before it).
void LinkChain(Bytes* out, std::size_t chainStart, const std::vector<Bytes>& headers) {
  std::size_t at = chainStart;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    at += headers[i].size();
    std::uint32_t next =
        i + 1 < headers.size() ? static_cast<std::uint32_t>(headers[i + 1].size() + 2) : 0;
    Set16(out, at, next);
    at += 2;
  }
}

}  // namespace

std::uint16_t Crc16(const Bytes& data) {
  std::uint16_t crc = 0;
  for (std::uint8_t byte : data) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
  }
  return crc;
}

Bytes MakeLzh(const std::vector<LzhMember>& members, int level) {
  Bytes out;
  for (const LzhMember& member : members) {
    std::string method = member.directory ? "-lhd-" : "-lh0-";
    std::uint32_t size =
        member.claimedSize.value_or(static_cast<std::uint32_t>(member.data.size()));
    std::uint16_t crc = member.crc.value_or(Crc16(member.data));
    std::vector<Bytes> extended = ExtendedHeaders(member, level);
    Bytes chain = Chain(extended);
    std::uint32_t packed =
        member.claimedPacked.value_or(static_cast<std::uint32_t>(member.data.size()));
    std::size_t start = out.size();
    if (level <= 1) {
      std::string name = member.name;
      out.push_back(0);  // header size, below
      out.push_back(0);  // checksum, below
      PutText(&out, method);
      // Level 1 counts its extended headers in the packed size.
      Put32(&out, packed + (level == 1 ? static_cast<std::uint32_t>(chain.size()) : 0));
      Put32(&out, size);
      Put32(&out, kDosTime);
      out.push_back(level == 1 ? 0x20 : 0x00);
      out.push_back(static_cast<std::uint8_t>(level));
      out.push_back(static_cast<std::uint8_t>(name.size()));
      PutText(&out, name);
      Put16(&out, crc);
      if (level == 1) {
        out.push_back('M');
        Put16(&out, FirstSize(extended));
      }
      std::size_t headerSize = out.size() - start - 2;
      out[start] = static_cast<std::uint8_t>(headerSize);
      std::uint32_t sum = 0;
      for (std::size_t i = start + 2; i < out.size(); ++i) sum += out[i];
      out[start + 1] = static_cast<std::uint8_t>(sum);
      if (level == 1) {
        std::size_t chainStart = out.size();
        out.insert(out.end(), chain.begin(), chain.end());
        LinkChain(&out, chainStart, extended);
      }
    } else if (level == 2) {
      Put16(&out, 0);  // total header size, below
      PutText(&out, method);
      Put32(&out, packed);
      Put32(&out, size);
      Put32(&out, 1400000000);
      out.push_back(0x20);
      out.push_back(2);
      Put16(&out, crc);
      out.push_back('U');
      Put16(&out, FirstSize(extended));
      std::size_t chainStart = out.size();
      out.insert(out.end(), chain.begin(), chain.end());
      LinkChain(&out, chainStart, extended);
      Set16(&out, start, static_cast<std::uint32_t>(out.size() - start));
    } else {
      throw std::invalid_argument("header level");
    }
    out.insert(out.end(), member.data.begin(), member.data.end());
  }
  out.push_back(0);
  return out;
}

Bytes MakeZip(const std::vector<ZipMember>& members) {
  Bytes out, directory;
  for (const ZipMember& member : members) {
    Bytes packed = member.data;
    if (member.deflate) {
      z_stream stream{};
      if (deflateInit2(&stream, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("deflateInit2");
      }
      packed.resize(deflateBound(&stream, static_cast<uLong>(member.data.size())));
      stream.next_in = const_cast<Bytef*>(member.data.data());
      stream.avail_in = static_cast<uInt>(member.data.size());
      stream.next_out = packed.data();
      stream.avail_out = static_cast<uInt>(packed.size());
      deflate(&stream, Z_FINISH);
      packed.resize(stream.total_out);
      deflateEnd(&stream);
    }
    std::uint16_t method = member.method.value_or(member.deflate ? 8 : 0);
    std::uint32_t crc = member.crc.value_or(static_cast<std::uint32_t>(
        crc32(0, member.data.data(), static_cast<uInt>(member.data.size()))));
    std::uint32_t size =
        member.claimedSize.value_or(static_cast<std::uint32_t>(member.data.size()));
    std::uint32_t packedSize =
        member.claimedPacked.value_or(static_cast<std::uint32_t>(packed.size()));
    auto offset = static_cast<std::uint32_t>(out.size());
    Put32(&out, 0x04034b50);
    Put16(&out, 20);
    Put16(&out, member.flags);
    Put16(&out, method);
    Put32(&out, kDosTime);
    Put32(&out, crc);
    Put32(&out, packedSize);
    Put32(&out, size);
    Put16(&out, static_cast<std::uint32_t>(member.name.size()));
    Put16(&out, 0);
    PutText(&out, member.name);
    out.insert(out.end(), packed.begin(), packed.end());

    Put32(&directory, 0x02014b50);
    Put16(&directory, 20);
    Put16(&directory, 20);
    Put16(&directory, member.flags);
    Put16(&directory, method);
    Put32(&directory, kDosTime);
    Put32(&directory, crc);
    Put32(&directory, packedSize);
    Put32(&directory, size);
    Put16(&directory, static_cast<std::uint32_t>(member.name.size()));
    Put16(&directory, 0);
    Put16(&directory, 0);
    Put16(&directory, 0);
    Put16(&directory, 0);
    Put32(&directory, 0);
    Put32(&directory, offset);
    PutText(&directory, member.name);
  }
  auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), directory.begin(), directory.end());
  bool many = members.size() > 0xFFFF;
  if (many) {
    // The 64-bit end record and its locator carry the count.
    auto recordOffset = static_cast<std::uint32_t>(out.size());
    Put32(&out, 0x06064b50);
    Put32(&out, 44);
    Put32(&out, 0);
    Put16(&out, 45);
    Put16(&out, 45);
    Put32(&out, 0);
    Put32(&out, 0);
    for (int i = 0; i < 2; ++i) {
      Put32(&out, static_cast<std::uint32_t>(members.size()));
      Put32(&out, 0);
    }
    Put32(&out, static_cast<std::uint32_t>(directory.size()));
    Put32(&out, 0);
    Put32(&out, directoryOffset);
    Put32(&out, 0);
    Put32(&out, 0x07064b50);
    Put32(&out, 0);
    Put32(&out, recordOffset);
    Put32(&out, 0);
    Put32(&out, 1);
  }
  Put32(&out, 0x06054b50);
  Put16(&out, 0);
  Put16(&out, 0);
  Put16(&out, many ? 0xFFFF : static_cast<std::uint32_t>(members.size()));
  Put16(&out, many ? 0xFFFF : static_cast<std::uint32_t>(members.size()));
  Put32(&out, static_cast<std::uint32_t>(directory.size()));
  Put32(&out, directoryOffset);
  Put16(&out, 0);
  return out;
}

}  // namespace archive_files
