#include "archive_members.h"

#include <windows.h>

#include <cstring>
#include <new>
#include <vector>

#include "cel/cel_format.h"
#include "cel/colour_table.h"
#include "cel/convert.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "file_io.h"
#include "result_codes.h"
#include "settings/settings_store.h"
#include "spi/ansi_text.h"
#include "spi/archive_file.h"
#include "spi/plugin_api.h"
#include "spi/system_set_text.h"

namespace {

std::string Failed(const char* call, int code) {
  return DescribeResult(code) + " (" + call + " returned " + std::to_string(code) + ")";
}

bool EndsWith(const std::wstring& name, const wchar_t* extension) {
  return HasWideExtension(name.c_str(), extension);
}

// The member's bytes; false, with report.failure set, when they cannot be had.
bool ReadMember(const ArchiveSet& set, std::size_t member,
                std::shared_ptr<const std::vector<std::uint8_t>>* bytes, FileReport& report) {
  const ArchiveStatus status = set.Read(member, bytes);
  if (status == ArchiveStatus::kOk) return true;
  report.failure = DescribeArchiveStatus(status);
  return false;
}

// The first kHeadSize bytes, zero past the member's end, as a host hands them.
std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> head(kHeadSize, 0);
  std::memcpy(head.data(), bytes.data(), bytes.size() < kHeadSize ? bytes.size() : kHeadSize);
  return head;
}

// The two blocks of the plan's bitmap, filled as the plug-ins fill the
// host's, read back into report.
template <typename FillInfo, typename FillPixels>
void TakePicture(const PicturePlan& plan, FillInfo fillInfo, FillPixels fillPixels,
                 FileReport& report) {
  if (!FitsIn32Bits(plan)) {
    report.failure = Failed("GetPicture", kResultNoMemory);
    return;
  }
  try {
    std::vector<std::uint8_t> info(static_cast<std::size_t>(plan.infoBytes), 0);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(plan.pixelBytes), 0);
    WriteInfoHeader(info.data(), plan);
    fillInfo(info.data());
    if (!pixels.empty()) fillPixels(pixels.data());
    DibReadResult dib = ReadDib(info.data(), info.size(), pixels.data(), pixels.size());
    if (!dib.ok) {
      report.failure = "unusable bitmap: " + dib.error;
      return;
    }
    report.bitmapDepth = dib.bitCount;
    report.picture = std::move(dib.image);
    report.ok = true;
  } catch (const std::bad_alloc&) {
    report.failure = Failed("GetPicture", kResultNoMemory);
  }
}

}  // namespace

bool IsArchiveName(const std::string& name) {
  return HasExtension(name.c_str(), ".LZH", AnsiCompareNoCase) ||
         HasExtension(name.c_str(), ".LHA", AnsiCompareNoCase) ||
         HasExtension(name.c_str(), ".ZIP", AnsiCompareNoCase);
}

std::unique_ptr<ArchiveSet> OpenSetArchive(const std::string& path, std::string& failure) {
  const std::shared_ptr<ArchiveFile> file = ArchiveFile::Open(WidenAnsi(FullPath(path)).c_str());
  if (file == nullptr) {
    failure = "file failed to open (the host cannot read it)";
    return nullptr;
  }
  ArchiveStatus status = ArchiveStatus::kOk;
  std::unique_ptr<ArchiveSet> set =
      OpenArchiveSet(file, std::make_shared<SystemSetText>(), ArchiveLimits(), &status);
  if (set == nullptr) failure = "cannot list the archive: " + DescribeArchiveStatus(status);
  return set;
}

std::string DescribeArchiveStatus(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk:
      return "ok";
    case ArchiveStatus::kUnknownFormat:
      return "not an archive of a known format";
    case ArchiveStatus::kBroken:
      return "the archive is damaged";
    case ArchiveStatus::kCrcMismatch:
      return "the member's bytes do not match their stored check";
    case ArchiveStatus::kUnsupported:
      return "an encrypted member, or a compression method not read here";
    case ArchiveStatus::kTooLarge:
      return "past the limit on a member's or the set's size or member count";
    case ArchiveStatus::kNoMemory:
      return "out of memory";
    case ArchiveStatus::kReadFailed:
      return "the archive file cannot be read";
    case ArchiveStatus::kBadName:
      return "a name that would unpack outside the set's folder, or that cannot be converted";
    case ArchiveStatus::kSameName:
      return "an earlier member has the same name";
  }
  return "unknown problem";
}

std::string MemberText(const std::wstring& path) {
  if (path.empty()) return std::string();
  const int size = static_cast<int>(path.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) WideCharToMultiByte(CP_ACP, 0, path.data(), size, &text[0], length, "_", nullptr);
  return text;
}

bool IsCelMember(const SetMember& member) { return EndsWith(member.name, L".CEL"); }
bool IsConfigurationMember(const SetMember& member) { return EndsWith(member.name, L".CNF"); }

FileReport DecodeArchiveCel(const ArchiveSet& set, std::size_t member) {
  FileReport report;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  if (!ReadMember(set, member, &bytes, report)) return report;
  const std::vector<std::uint8_t> head = Head(*bytes);
  if (!PassesQuickTest(ByteView{head.data(), kKissHeaderSize}, true)) {
    report.failure = "not supported (IsSupported answered 0)";
    return report;
  }
  const CelPictureInfo info = ReadCelPictureInfo(ByteView{head.data(), kKissHeaderSize});
  report.info.width = info.width;
  report.info.height = info.height;
  report.info.colorDepth = info.bitsPerPixel;

  const ByteView cel{bytes->data(), bytes->size()};
  const PluginSettings settings = ReadDecoderSettings();
  PicturePlan plan;
  if (!PlanPicture(cel, &plan)) {
    report.failure = Failed("GetPicture", kResultNotServed);
    return report;
  }
  TakePicture(
      plan,
      [&](std::uint8_t* block) {
        if (plan.colourTableBytes == 0) return;
        std::uint8_t* table = block + kInfoHeaderSize;
        const unsigned depth = plan.rule.outputDepth;
        const PaletteSearchResult<wchar_t> palette = set.FindPalette(member, kPaletteReadLength);
        const bool filled = palette.found && palette.read &&
                            BuildColoursFromPaletteFile(
                                table, depth, ByteView{palette.bytes.data(), palette.bytes.size()},
                                HasWideExtension(palette.path.c_str(), L".KCF"));
        if (!filled) BuildFallbackColours(table, depth);
      },
      [&](std::uint8_t* rows) { ConvertPixels(cel, plan, settings, rows); }, report);
  return report;
}

FileReport DecodeArchiveDoll(const ArchiveSet& set, std::size_t member,
                             const std::function<void(int page, FileReport& report)>& onPage) {
  FileReport whole;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  if (!ReadMember(set, member, &bytes, whole)) return whole;
  const std::vector<std::uint8_t> head = Head(*bytes);
  if (!LooksLikeDollConfig(ByteView{head.data(), kDollClaimWindow})) {
    whole.failure = "not supported (IsSupported answered 0)";
    return whole;
  }
  const DollConfig config = ReadDollConfig(ByteView{bytes->data(), bytes->size()});
  if (!DollSizeServed(config)) {
    whole.failure = Failed("GetPictureInfo", kResultNoMemory);
    return whole;
  }
  whole.info.width = static_cast<LONG>(config.width);
  whole.info.height = static_cast<LONG>(config.height);
  whole.info.colorDepth = 24;
  whole.ok = true;
  const std::unique_ptr<DollFiles> files = set.FilesBeside(member);
  const PicturePlan plan = DollPicturePlan(config);
  for (int number = 0; number < DollPageCount(config); ++number) {
    FileReport page = whole;
    page.ok = false;
    TakePicture(
        plan, [](std::uint8_t*) {},  // no colour table at 24 bits
        [&](std::uint8_t* rows) { ComposeDoll(config, number, *files, rows); }, page);
    onPage(number, page);
  }
  return whole;
}
