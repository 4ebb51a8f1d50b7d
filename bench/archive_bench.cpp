// Reading every member of each real set archive through OpenArchive and
// Extract, beside the libraries' own reading of the same archive in the
// same process: lhasa's reader over a memory stream (LZH), minizip's unzip
// over memory (ZIP). Rounds alternate between the two; each side's best
// round is printed with the ratio of ours to theirs (the goal: at most 1.1).
//
//   archive_bench [ARCHIVE_FOLDER]   (default: ../shared/realarchives)
#include <lhasa.h>
#include <unzip.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

constexpr int kRounds = 30;

struct Memory {
  const Bytes* bytes;
  std::size_t position = 0;
};

std::size_t Take(Memory* memory, void* out, std::size_t count) {
  std::size_t left = memory->bytes->size() - memory->position;
  std::size_t n = std::min(count, left);
  std::memcpy(out, memory->bytes->data() + memory->position, n);
  memory->position += n;
  return n;
}

int LhaRead(void* handle, void* out, std::size_t count) {
  return static_cast<int>(Take(static_cast<Memory*>(handle), out, count));
}
int LhaSkip(void* handle, std::size_t count) {
  auto* memory = static_cast<Memory*>(handle);
  if (count > memory->bytes->size() - memory->position) return 0;
  memory->position += count;
  return 1;
}
const LHAInputStreamType kLhaMemory = {LhaRead, LhaSkip, nullptr};

// lhasa's own: one reader through the archive, every member read whole.
std::size_t LhasaReadsAll(const Bytes& archive) {
  Memory memory{&archive};
  LHAInputStream* stream = lha_input_stream_new(&kLhaMemory, &memory);
  LHAReader* reader = lha_reader_new(stream);
  lha_reader_set_dir_policy(reader, LHA_READER_DIR_PLAIN);
  std::size_t total = 0;
  while (LHAFileHeader* header = lha_reader_next_file(reader)) {
    Bytes bytes(header->length);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      std::size_t n = lha_reader_read(reader, bytes.data() + filled, bytes.size() - filled);
      if (n == 0) break;
      filled += n;
    }
    total += filled;
  }
  lha_reader_free(reader);
  lha_input_stream_free(stream);
  return total;
}

voidpf ZCALLBACK ZipOpen(voidpf, const void* memory, int) { return const_cast<void*>(memory); }
uLong ZCALLBACK ZipRead(voidpf, voidpf memory, void* out, uLong count) {
  return static_cast<uLong>(Take(static_cast<Memory*>(memory), out, count));
}
ZPOS64_T ZCALLBACK ZipTell(voidpf, voidpf memory) { return static_cast<Memory*>(memory)->position; }
long ZCALLBACK ZipSeek(voidpf, voidpf handle, ZPOS64_T offset, int origin) {
  auto* memory = static_cast<Memory*>(handle);
  std::size_t base = origin == ZLIB_FILEFUNC_SEEK_CUR   ? memory->position
                     : origin == ZLIB_FILEFUNC_SEEK_END ? memory->bytes->size()
                                                        : 0;
  if (offset > memory->bytes->size() - base) return -1;
  memory->position = base + static_cast<std::size_t>(offset);
  return 0;
}
int ZCALLBACK ZipClose(voidpf, voidpf) { return 0; }
int ZCALLBACK ZipError(voidpf, voidpf) { return 0; }

// minizip's own: one handle through the directory, every member read whole.
std::size_t MinizipReadsAll(const Bytes& archive) {
  Memory memory{&archive};
  zlib_filefunc64_def functions = {};
  functions.zopen64_file = ZipOpen;
  functions.zread_file = ZipRead;
  functions.ztell64_file = ZipTell;
  functions.zseek64_file = ZipSeek;
  functions.zclose_file = ZipClose;
  functions.zerror_file = ZipError;
  unzFile zip = unzOpen2_64(&memory, &functions);
  std::size_t total = 0;
  for (int result = unzGoToFirstFile(zip); result == UNZ_OK; result = unzGoToNextFile(zip)) {
    unz_file_info64 info = {};
    unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0);
    Bytes bytes(info.uncompressed_size);
    unzOpenCurrentFile(zip);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      int n = unzReadCurrentFile(zip, bytes.data() + filled,
                                 static_cast<unsigned>(bytes.size() - filled));
      if (n <= 0) break;
      filled += static_cast<std::size_t>(n);
    }
    unzCloseCurrentFile(zip);
    total += filled;
  }
  unzClose(zip);
  return total;
}

std::size_t OursReadsAll(const Bytes& archive) {
  MemorySource source({archive.data(), archive.size()});
  ArchiveStatus status;
  auto reader = OpenArchive(source, {}, &status);
  if (!reader) return 0;
  std::size_t total = 0;
  Bytes bytes;
  for (std::size_t i = 0; i < reader->Entries().size(); ++i) {
    if (reader->Extract(i, &bytes) == ArchiveStatus::kOk) total += bytes.size();
  }
  return total;
}

template <typename Read>
double Seconds(Read read, const Bytes& archive, std::size_t* total) {
  auto start = std::chrono::steady_clock::now();
  *total = read(archive);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path(TAMSA_REALARCHIVES_PATH);
  if (!fs::is_directory(folder)) {
    std::printf("archive_bench: no archives in %s; nothing measured\n", folder.string().c_str());
    return 0;
  }
  std::vector<fs::path> paths;
  for (const auto& item : fs::directory_iterator(folder)) {
    std::string extension = item.path().extension().string();
    if (extension == ".lzh" || extension == ".zip") paths.push_back(item.path());
  }
  std::sort(paths.begin(), paths.end());
  std::printf("%-18s %10s %12s %12s %7s\n", "archive", "bytes out", "ours (us)", "library (us)",
              "ratio");
  for (const fs::path& path : paths) {
    std::ifstream file(path, std::ios::binary);
    Bytes archive((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    bool zip = path.extension() == ".zip";
    double ours = 1e9, theirs = 1e9;
    std::size_t oursTotal = 0, theirsTotal = 0;
    for (int round = 0; round < kRounds; ++round) {
      ours = std::min(ours, Seconds(OursReadsAll, archive, &oursTotal));
      theirs = std::min(theirs, zip ? Seconds(MinizipReadsAll, archive, &theirsTotal)
                                    : Seconds(LhasaReadsAll, archive, &theirsTotal));
    }
    if (theirsTotal == 0) {
      std::printf("%-18s %10zu %12.1f %12.1f       -  (the library reads nothing of it)\n",
                  path.filename().string().c_str(), oursTotal, ours * 1e6, theirs * 1e6);
      continue;
    }
    // When the library stops early (lhasa's reader at a file stored as a
    // "-lhd-" record), the ratio is of the time per byte read.
    bool same = oursTotal == theirsTotal;
    double ratio = same ? ours / theirs
                        : (ours / static_cast<double>(oursTotal)) /
                              (theirs / static_cast<double>(theirsTotal));
    std::printf(
        "%-18s %10zu %12.1f %12.1f %7.3f%s\n", path.filename().string().c_str(), oursTotal,
        ours * 1e6, theirs * 1e6, ratio,
        same ? "" : ("  per byte: the library read " + std::to_string(theirsTotal)).c_str());
  }
  return 0;
}
