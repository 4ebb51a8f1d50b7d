// GetPluginInfo's answer from a plug-in's table of ASCII texts, in the 8-bit
// and the wide form, and what IsSupported's data argument is.
#pragma once

#include <windows.h>

// The text at index copied into buffer, cut to fit with its terminator;
// the characters copied, or 0 for an index outside the table or no buffer.
inline int CopyPluginInfo(const char* const* texts, int count, int index, LPSTR buffer,
                          int bufferLength) {
  if (index < 0 || index >= count) return 0;
  if (buffer == nullptr || bufferLength < 1) return 0;
  lstrcpynA(buffer, texts[index], bufferLength);
  return lstrlenA(buffer);
}

// bufferLength counts wide characters.
inline int CopyPluginInfo(const char* const* texts, int count, int index, LPWSTR buffer,
                          int bufferLength) {
  if (index < 0 || index >= count) return 0;
  if (buffer == nullptr || bufferLength < 1) return 0;
  // The texts are ASCII: each byte is its own character.
  const char* text = texts[index];
  int length = 0;
  for (; text[length] != '\0' && length < bufferLength - 1; ++length) buffer[length] = text[length];
  buffer[length] = L'\0';
  return length;
}

// A data argument with no bit above the low 16 is a file handle, not a pointer.
inline bool IsFileHandle(DWORD_PTR data) { return (data >> 16) == 0; }
