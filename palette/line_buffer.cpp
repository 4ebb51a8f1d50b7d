#include "palette/line_buffer.h"

#include <cstring>

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

}  // namespace

LineBuffer::~LineBuffer() { FreeLineBuffer(*this); }

int LoadLineBuffer(LineBuffer& store, const char* text, std::size_t maxLength,
                   const LineAllocator& allocator) {
  FreeLineBuffer(store);
  if (text == nullptr) return -1;
  const void* zero = std::memchr(text, 0, maxLength);
  const std::size_t length =
      zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : maxLength;
  // Offsets are 32-bit; room for the text, an appended CR and the zero.
  if (length > 0x7FFFFFF0u) return -1;
  char* block = static_cast<char*>(allocator.allocate(length + 3));
  if (block == nullptr) return -1;
  std::memcpy(block, text, length);
  block[length] = '\0';
  // A trailing break within the last two characters means the text ends its
  // lines itself; a single character after a break (an end-of-file mark)
  // stays out of the count.
  const bool lastIsBreak = length >= 1 && IsBreak(block[length - 1]);
  const bool nextToLastIsBreak = length >= 2 && IsBreak(block[length - 2]);
  if (!lastIsBreak && !nextToLastIsBreak) {
    block[length] = '\r';
    block[length + 1] = '\0';
  }
  store.text = block;
  store.allocator = allocator;
  IndexLineBuffer(store);
  return 0;
}

void IndexLineBuffer(LineBuffer& store) {
  if (store.text == nullptr) return;
  const char* text = store.text;
  std::int32_t i = 0;
  std::int32_t offset = 0;
  while (i < kMaxLineEnds) {
    const char c = text[offset];
    if (c == '\0') {
      store.lineEnds[i++] = offset;
      break;
    }
    if (IsBreak(c)) {
      store.lineEnds[i++] = offset;
      const char after = text[offset + 1];
      // CR LF and LF CR are one break, ending at its second character.
      if (IsBreak(after) && after != c) store.lineEnds[i - 1] = ++offset;
    }
    ++offset;
  }
  store.lineEnds[i] = store.lineEnds[i - 1];
  store.lineCount = i - 1;
}

int GetBufferLineCount(const LineBuffer& store) {
  return store.text == nullptr ? -1 : store.lineCount;
}

int GetBufferLine(const LineBuffer& store, char* destination, int index, int limit) {
  if (store.text == nullptr || index < 0 || index > store.lineCount || limit < 1) return -1;
  const std::int32_t start = index == 0 ? 0 : store.lineEnds[index - 1] + 1;
  const std::int32_t span =
      index == 0 ? store.lineEnds[0] + 1 : store.lineEnds[index] - store.lineEnds[index - 1];
  CopyTextSpan(destination, store.text, span, start, limit);
  return 0;
}

int FreeLineBuffer(LineBuffer& store) {
  if (store.text == nullptr) return 0;
  store.allocator.release(store.text);
  store.text = nullptr;
  store.lineCount = 0;
  return 1;
}

void CopyTextSpan(char* destination, const char* text, std::int32_t span, std::int32_t start,
                  std::int32_t limit) {
  if (limit < 1) return;
  const std::int32_t wanted = (span < limit ? span : limit) - 1;
  std::size_t copied = wanted > 0 ? static_cast<std::size_t>(wanted) : 0;
  const void* zero = std::memchr(text + start, '\0', copied);
  if (zero != nullptr)
    copied = static_cast<std::size_t>(static_cast<const char*>(zero) - (text + start));
  std::memcpy(destination, text + start, copied);
  destination[copied] = '\0';
}
