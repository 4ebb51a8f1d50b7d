#include "palette/palette_search.h"

#include <windows.h>

#include <cstring>

#include "cel/read_file.h"
#include "palette/cnf.h"
#include "palette/line_buffer.h"
#include "palette/text_utils.h"
#include "plugin/ansi_text.h"
#include "plugin/owners.h"

namespace {

// Empties the line store however a configuration file's reading ends.
struct LineBufferGuard {
  LineBufferGuard() = default;
  ~LineBufferGuard() { FreeLineBuffer(); }
  LineBufferGuard(const LineBufferGuard&) = delete;
  LineBufferGuard& operator=(const LineBufferGuard&) = delete;
};

void* GlobalZeroAlloc(std::size_t bytes) { return GlobalAlloc(GMEM_ZEROINIT, bytes); }
void GlobalRelease(void* block) { GlobalFree(block); }
constexpr LineAllocator kGlobalHeap = {GlobalZeroAlloc, GlobalRelease};

// What one configuration file says: whether it places the cel, and if so the
// path of the palette file it assigns (empty when it lists none that fits).
bool AskCnf(const char* cnfPath, const char* folder, const char* celName, char* out,
            std::size_t outSize) {
  HLOCAL block = nullptr;
  DWORD length = 0;
  if (ReadFileWhole(cnfPath, &block, &length) != 0) return false;
  CnfAnswer answer;
  {
    const UniqueLocal blockGuard(block);
    LineBufferGuard storeGuard;
    if (LoadLineBuffer(static_cast<const char*>(block), length, kGlobalHeap) != 0) return false;
    answer = ReadCnfForCel(celName, AnsiNextChar, AnsiCompareNoCase);
  }
  if (!answer.placed) return false;
  // A palette path that does not fit whole leaves out empty: the folder's
  // first palette file serves instead.
  if (answer.hasPalette) ComposePath(out, outSize, folder, answer.paletteName);
  return true;
}

// The first entry of pattern whose composed path fits out.
bool FirstPaletteFile(const char* folder, char* out, std::size_t outSize) {
  char pattern[kPathBufferSize];
  if (!ComposePath(pattern, sizeof pattern, folder, "*.kcf")) return false;
  WIN32_FIND_DATAA entry;
  const UniqueFind find = OwnFind(FindFirstFileA(pattern, &entry));
  if (find == nullptr) return false;
  do {
    if (ComposePath(out, outSize, folder, entry.cFileName)) return true;
  } while (FindNextFileA(find.get(), &entry));
  return false;
}

}  // namespace

int FindPaletteFile(char* out, const char* celPath, int outSize) {
  if (out == nullptr || outSize < 2) return -1;
  out[0] = '\0';
  const auto size = static_cast<std::size_t>(outSize);
  // A longer path would be taken apart cut short, naming another folder or cel.
  if (celPath == nullptr || std::strlen(celPath) > kMaxCelPathLength) return -1;
  char folder[kPathBufferSize];
  char celName[kPathBufferSize];
  lstrcpynA(folder, celPath, sizeof folder);
  lstrcpynA(celName, celPath, sizeof celName);
  GetPathPart(folder, PathPart::Folder, AnsiNextChar);
  GetPathPart(celName, PathPart::FileName, AnsiNextChar);

  char pattern[kPathBufferSize];
  if (!ComposePath(pattern, sizeof pattern, folder, "*.cnf")) return -1;
  {
    WIN32_FIND_DATAA entry;
    const UniqueFind find = OwnFind(FindFirstFileA(pattern, &entry));
    // Without any configuration file the folder is not a set: no guess.
    if (find == nullptr) return -1;
    do {
      char cnfPath[kPathBufferSize];
      if (!ComposePath(cnfPath, sizeof cnfPath, folder, entry.cFileName)) continue;
      // The first configuration file that places the cel decides.
      if (AskCnf(cnfPath, folder, celName, out, size)) break;
    } while (FindNextFileA(find.get(), &entry));
  }
  if (out[0] != '\0') return 0;
  return FirstPaletteFile(folder, out, size) ? 0 : -1;
}
