// The album plug-in's speed as a host sees it, through its exports, next to
// the work it stands on measured in the same process and run: the core's
// reading of the archive (listing it and reading every member), and that
// reading with every cel decoded from memory through tamsa and every page
// composed through tamsadoll. Each figure is a ratio of two medians.
//
//   album_bench [ARCHIVE]
// ARCHIVE defaults to the largest real archive beside the project, or the
// sample set's LZH when they are absent.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "album/album.h"
#include "album/album_cache.h"
#include "bench/turns.h"
#include "spi/archive_file.h"
#include "spi/system_set_text.h"
#include "support/test_files.h"
#include "tools/plugin_module/plugin_module.h"

namespace {

using SharedBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

std::shared_ptr<const ArchiveSet> ReadEveryMember(const SharedBytes& archive) {
  ArchiveStatus status = ArchiveStatus::kBroken;
  std::shared_ptr<const ArchiveSet> set =
      OpenArchiveSet(std::make_shared<SharedBytesSource>(archive),
                     std::make_shared<SystemSetText>(), ArchiveLimits{}, &status);
  if (set == nullptr) return nullptr;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    SharedBytes bytes;
    set->Read(i, &bytes);
  }
  return set;
}

void FreeBlock(HLOCAL block) {
  if (block != nullptr) LocalFree(block);
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : TAMSA_REALARCHIVES_PATH "\\transparent.lzh";
  if (argc <= 1 && !IsFolder(TAMSA_REALARCHIVES_PATH))
    path = TAMSA_SAMPLES_PATH "\\archives\\mira.lzh";
  const Bytes file = ReadBytes(path);
  PluginModule album(TAMSASET_SPI_PATH), tamsa(TAMSA_SPI_PATH), doll(TAMSADOLL_SPI_PATH);
  if (file.empty() || album.getArchiveInfo == nullptr || tamsa.getPicture == nullptr ||
      doll.getDollPage == nullptr) {
    std::fprintf(stderr, "album_bench: cannot read %s or load the plug-ins\n", path.c_str());
    return 2;
  }
  const auto archive = std::make_shared<const std::vector<std::uint8_t>>(file);
  const std::shared_ptr<const ArchiveSet> set = ReadEveryMember(archive);
  if (set == nullptr) {
    std::fprintf(stderr, "album_bench: %s does not open\n", path.c_str());
    return 2;
  }
  // The unpacked copy tamsadoll composes the pages from.
  const TempFolder unpacked;
  const std::wstring folder = Widened(unpacked.Path());
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    SharedBytes bytes;
    if (member.problem != ArchiveStatus::kOk || set->Read(i, &bytes) != ArchiveStatus::kOk)
      continue;
    std::wstring at = folder;
    for (wchar_t c : member.folder) {
      if (c == L'\\') CreateDirectoryW(at.c_str(), nullptr);
      at.push_back(c);
    }
    CreateDirectoryW(at.c_str(), nullptr);
    const HANDLE out = CreateFileW((folder + L"\\" + member.path).c_str(), GENERIC_WRITE, 0,
                                   nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
    CloseHandle(out);
  }
  const std::vector<AlbumEntry> entries = ListAlbum(*set, -1);

  // The host's buffers, one per call: a buffer the plug-in listed before
  // would be found in its cache and not read again.
  std::vector<std::unique_ptr<std::vector<std::uint8_t>>> buffers;
  auto freshBuffer = [&] {
    buffers.push_back(std::make_unique<std::vector<std::uint8_t>>(file));
    return buffers.back().get();
  };
  auto list = [&](const std::vector<std::uint8_t>& bytes) {
    HLOCAL block = nullptr;
    album.getArchiveInfo(reinterpret_cast<LPCSTR>(bytes.data()),
                         static_cast<LONG_PTR>(bytes.size()), kInputMemory, &block);
    FreeBlock(block);
  };
  auto listAndFetch = [&] {
    const std::vector<std::uint8_t>& bytes = *freshBuffer();
    list(bytes);
    const auto* start = reinterpret_cast<LPCSTR>(bytes.data());
    for (std::size_t i = 0; i < entries.size(); ++i) {
      HLOCAL block = nullptr;
      album.getFile(start + i, static_cast<LONG_PTR>(bytes.size() - i),
                    reinterpret_cast<LPSTR>(&block), kInputMemory | kOutputMemory, nullptr, 0);
      FreeBlock(block);
    }
  };
  auto readDecodeCompose = [&] {
    const std::shared_ptr<const ArchiveSet> read = ReadEveryMember(archive);
    for (const AlbumEntry& entry : entries) {
      HLOCAL info = nullptr, pixels = nullptr;
      if (entry.kind == AlbumKind::kCel) {
        SharedBytes bytes;
        read->Read(entry.member, &bytes);
        tamsa.getPicture(reinterpret_cast<LPCSTR>(bytes->data()),
                         static_cast<LONG_PTR>(bytes->size()), kInputMemory, &info, &pixels,
                         nullptr, 0);
      } else if (entry.kind == AlbumKind::kPage) {
        const std::wstring config = folder + L"\\" + read->Members()[entry.member].path;
        doll.getDollPageW(config.c_str(), entry.page, &info, &pixels);
      }
      FreeBlock(info);
      FreeBlock(pixels);
    }
  };

  std::printf("album_bench: %s, %u members, %u in the album\n", path.c_str(),
              static_cast<unsigned>(set->Members().size()), static_cast<unsigned>(entries.size()));
  std::printf("Each ratio: the median time of the first piece of work over the second's.\n");
  const Pair listing =
      TimeInTurns([&] { list(*freshBuffer()); }, [&] { ReadEveryMember(archive); }, 9);
  const Pair whole = TimeInTurns(listAndFetch, readDecodeCompose, 9);
  int failures = 0;
  auto report = [&](const char* what, const Pair& times, double limit) {
    const bool met = times.Ratio() <= limit;
    failures += met ? 0 : 1;
    std::printf("%-62s %6.2f  (%.1f us over %.1f us)  goal at most %.1f: %s\n", what, times.Ratio(),
                times.first, times.second, limit, met ? "met" : "NOT MET");
  };
  report("GetArchiveInfo / the core reading every member", listing, 1.2);
  report("GetArchiveInfo + GetFile of every member / read + decode + compose", whole, 1.3);
  return failures == 0 ? 0 : 1;
}
