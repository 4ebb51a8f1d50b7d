// The system's file calls in their 8-bit and wide forms under one name, so
// that code written once for both kinds of path calls the right one.
#pragma once

#include <windows.h>

#include <string>

template <typename Char>
struct FindData;
template <>
struct FindData<char> {
  using Type = WIN32_FIND_DATAA;
};
template <>
struct FindData<wchar_t> {
  using Type = WIN32_FIND_DATAW;
};

inline HANDLE FindFirst(const char* pattern, WIN32_FIND_DATAA* entry) {
  return FindFirstFileA(pattern, entry);
}
inline HANDLE FindFirst(const wchar_t* pattern, WIN32_FIND_DATAW* entry) {
  return FindFirstFileW(pattern, entry);
}
inline BOOL FindNext(HANDLE find, WIN32_FIND_DATAA* entry) { return FindNextFileA(find, entry); }
inline BOOL FindNext(HANDLE find, WIN32_FIND_DATAW* entry) { return FindNextFileW(find, entry); }

inline BOOL AttributesOf(const char* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return GetFileAttributesExA(path, GetFileExInfoStandard, data);
}
inline BOOL AttributesOf(const wchar_t* path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  return GetFileAttributesExW(path, GetFileExInfoStandard, data);
}

// For reading, shared with other readers, only if it exists.
inline HANDLE OpenForReading(const char* path) {
  return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}
inline HANDLE OpenForReading(const wchar_t* path) {
  return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A folder itself, for asking about it, not for reading its entries.
inline HANDLE OpenFolder(const char* path) {
  return CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}
inline HANDLE OpenFolder(const wchar_t* path) {
  return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A new file for writing, replacing one of the same name.
inline HANDLE CreateForWriting(const char* path) {
  return CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}
inline HANDLE CreateForWriting(const wchar_t* path) {
  return CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}
inline BOOL DeleteNamed(const char* path) { return DeleteFileA(path); }
inline BOOL DeleteNamed(const wchar_t* path) { return DeleteFileW(path); }
