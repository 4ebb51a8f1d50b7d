#include "convert_file.h"

#include <cstring>
#include <utility>

#include "doll/doll_config.h"
#include "file_io.h"
#include "result_codes.h"
#include "spi/owners.h"

namespace {

std::string Failed(const char* call, int code) {
  return DescribeResult(code) + " (" + call + " returned " + std::to_string(code) + ")";
}

// What the plug-in is handed: the file's name, or its bytes in memory. The
// bytes carry kHeadSize zeros past the end, so a plug-in that reads a header
// beyond a short file still reads the host's memory; the length stays true.
struct Source {
  std::string fullPath;
  ByteBuffer bytes;
  LONG_PTR length = 0;
  bool memory = false;
  ByteBuffer head;

  const char* Argument() const {
    return memory ? reinterpret_cast<const char*>(bytes.data()) : fullPath.c_str();
  }
  UINT Flags() const { return memory ? kInputMemory : kInputFile; }
};

// Reads what the calls need and asks IsSupported; false with report.failure set otherwise.
bool Prepare(const PluginLibrary& plugin, const std::string& path, bool memory, Source& source,
             FileReport& report) {
  source.fullPath = FullPath(path);
  source.memory = memory;
  bool read = false;
  if (memory) {
    read = ReadWhole(source.fullPath, source.bytes);
    source.length = static_cast<LONG_PTR>(source.bytes.size());
    source.head.assign(kHeadSize, 0);
    std::memcpy(source.head.data(), source.bytes.data(),
                source.bytes.size() < kHeadSize ? source.bytes.size() : kHeadSize);
    source.bytes.resize(source.bytes.size() + kHeadSize, 0);
  } else {
    read = ReadHead(source.fullPath, source.head);
  }
  if (!read) {
    report.failure = "file failed to open (the host cannot read it)";
    return false;
  }
  if (plugin.IsSupported(source.fullPath, source.head.data()) == 0) {
    report.failure = "not supported (IsSupported answered 0)";
    return false;
  }
  return true;
}

bool QueryInfo(const PluginLibrary& plugin, const Source& source, FileReport& report) {
  PictureInfo info = {};
  const int code = plugin.GetPictureInfo(source.Argument(), source.length, source.Flags(), &info);
  if (code != kResultSuccess) {
    report.failure = Failed("GetPictureInfo", code);
    return false;
  }
  if (info.info != nullptr) {
    // Optional text about the picture; the host frees it.
    const UniqueLocal block(info.info);
    const LockedLocal text(block.get());
    if (text.Bytes() != nullptr)
      report.infoText.assign(reinterpret_cast<const char*>(text.Bytes()),
                             strnlen(reinterpret_cast<const char*>(text.Bytes()), text.Size()));
    info.info = nullptr;
  }
  report.info = info;
  return true;
}

// Takes over the two blocks of a picture call that returned code: frees
// them, and reads the bitmap into report (ok, or its failure).
void TakeBitmap(const char* call, int code, HLOCAL infoHandle, HLOCAL pixelHandle,
                FileReport& report) {
  if (code != kResultSuccess) {
    // On failure the handles are not the host's to free.
    report.failure = Failed(call, code);
    return;
  }
  const UniqueLocal infoBlock(infoHandle);
  const UniqueLocal pixelBlock(pixelHandle);
  if (infoHandle == nullptr || pixelHandle == nullptr) {
    report.failure = std::string(call) + " returned 0 without both bitmap blocks";
    return;
  }
  const LockedLocal infoBytes(infoBlock.get());
  const LockedLocal pixelBytes(pixelBlock.get());
  DibReadResult dib =
      ReadDib(infoBytes.Bytes(), infoBytes.Size(), pixelBytes.Bytes(), pixelBytes.Size());
  if (!dib.ok) {
    report.failure = std::string("unusable bitmap from ") + call + ": " + dib.error;
    return;
  }
  report.bitmapDepth = dib.bitCount;
  report.picture = std::move(dib.image);
  report.ok = true;
}

}  // namespace

FileReport ProbeFile(const PluginLibrary& plugin, const std::string& path, bool memory) {
  FileReport report;
  Source source;
  if (!Prepare(plugin, path, memory, source, report)) return report;
  report.ok = QueryInfo(plugin, source, report);
  return report;
}

FileReport DecodeFile(const PluginLibrary& plugin, const std::string& path, bool memory) {
  FileReport report;
  Source source;
  if (!Prepare(plugin, path, memory, source, report)) return report;
  if (!QueryInfo(plugin, source, report)) return report;

  HLOCAL infoHandle = nullptr;
  HLOCAL pixelHandle = nullptr;
  const int code = plugin.GetPicture(source.Argument(), source.length, source.Flags(), &infoHandle,
                                     &pixelHandle);
  TakeBitmap("GetPicture", code, infoHandle, pixelHandle, report);
  return report;
}

FileReport DecodeDoll(const PluginLibrary& plugin, const std::string& path,
                      const std::function<void(int page, FileReport& report)>& onPage) {
  FileReport whole;
  Source source;
  if (!Prepare(plugin, path, false, source, whole)) return whole;
  if (!QueryInfo(plugin, source, whole)) return whole;
  whole.ok = true;

  const char* pageExport = plugin.DollPageExport();
  if (pageExport == nullptr) {
    // A plug-in that shows only page 0, through the plain picture call.
    FileReport page = whole;
    page.ok = false;
    HLOCAL infoHandle = nullptr;
    HLOCAL pixelHandle = nullptr;
    const int code = plugin.GetPicture(source.Argument(), 0, kInputFile, &infoHandle, &pixelHandle);
    TakeBitmap("GetPicture", code, infoHandle, pixelHandle, page);
    onPage(0, page);
    return whole;
  }
  // Page by page until the plug-in says there are no more; the bound keeps a
  // plug-in that never says so from being asked forever.
  for (int number = 0; number < kDollPageLimit; ++number) {
    FileReport page = whole;
    page.ok = false;
    HLOCAL infoHandle = nullptr;
    HLOCAL pixelHandle = nullptr;
    const int code = plugin.GetDollPage(source.fullPath, number, &infoHandle, &pixelHandle);
    if (code == kResultNotServed && number > 0) break;
    TakeBitmap(pageExport, code, infoHandle, pixelHandle, page);
    onPage(number, page);
  }
  return whole;
}

FileReport ReadBmpFile(const std::vector<std::uint8_t>& file) {
  FileReport report;
  constexpr std::size_t kFileHeader = 14;
  if (file.size() < kFileHeader + 40 || file[0] != 'B' || file[1] != 'M') {
    report.failure = "not a BMP file";
    return report;
  }
  const std::size_t offset =
      file[10] | (file[11] << 8) | (file[12] << 16) | (static_cast<std::size_t>(file[13]) << 24);
  if (offset < kFileHeader + 40 || offset > file.size()) {
    report.failure = "a BMP file whose rows lie outside it";
    return report;
  }
  DibReadResult dib = ReadDib(file.data() + kFileHeader, offset - kFileHeader, file.data() + offset,
                              file.size() - offset);
  if (!dib.ok) {
    report.failure = "unusable BMP file: " + dib.error;
    return report;
  }
  report.info.width = dib.image.width;
  report.info.height = dib.image.height;
  report.info.colorDepth = static_cast<SHORT>(dib.bitCount);
  report.bitmapDepth = dib.bitCount;
  report.picture = std::move(dib.image);
  report.ok = true;
  return report;
}
