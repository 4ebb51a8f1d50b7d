// The line store: one text (a configuration file) handed out line by line by
// index. Each user owns its store, so users on several threads never meet;
// loading replaces the store's previous text, and the owner's end frees it.
#pragma once

#include <cstddef>
#include <cstdint>

// The indexing records at most this many line ends, so at most 2047 lines count.
constexpr int kMaxLineEnds = 2048;

// Where the store's text lives: zero-initialised blocks. The plug-in hands in
// GlobalAlloc(GMEM_ZEROINIT) and GlobalFree, native code the C heap.
struct LineAllocator {
  void* (*allocate)(std::size_t bytes);  // a zero-filled block, or null
  void (*release)(void* block);
};

struct LineBuffer {
  LineBuffer() = default;
  ~LineBuffer();
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;

  char* text = nullptr;  // null while nothing is loaded
  // End of line k: the offset of the last character of its break, or of the
  // text's terminating zero; one more entry repeats the last one recorded.
  std::int32_t lineEnds[kMaxLineEnds + 1] = {};
  std::int32_t lineCount = 0;
  LineAllocator allocator = {};  // the one that made text
};

// Copies the text (its first maxLength bytes, or up to its first zero byte if
// that comes first) into the store and indexes it. A CR is appended unless one
// of the last two characters is a CR or an LF. 0 on success; -1 for a null
// text (the store is emptied) or when no memory is available (the store is
// empty too).
int LoadLineBuffer(LineBuffer& store, const char* text, std::size_t maxLength,
                   const LineAllocator& allocator);

// The number of counted lines, or -1 when nothing is loaded.
int GetBufferLineCount(const LineBuffer& store);

// Copies line index into destination, at most limit - 1 characters and a
// zero. A line keeps the first character of a CR LF or LF CR pair. Index may
// equal the line count (what follows the last counted break). 0 on success,
// -1 when nothing is loaded or index or limit is out of range (destination
// untouched).
int GetBufferLine(const LineBuffer& store, char* destination, int index, int limit);

// 1 when a text was freed, 0 when nothing was loaded.
int FreeLineBuffer(LineBuffer& store);

// Rebuilds the line-end table and count from the loaded text.
void IndexLineBuffer(LineBuffer& store);

// Copies min(span, limit) - 1 characters of text from start, fewer if the
// text's zero comes first, and ends them with a zero.
void CopyTextSpan(char* destination, const char* text, std::int32_t span, std::int32_t start,
                  std::int32_t limit);
