// Owners of the Windows handles that the plug-in, its host tool and its tests
// take: each gives its handle back on every way out.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct FileCloser {
  void operator()(HANDLE file) const { CloseHandle(file); }
};
using UniqueFile = std::unique_ptr<void, FileCloser>;
// CreateFile fails with INVALID_HANDLE_VALUE, which the owner holds as null.
inline UniqueFile OwnFile(HANDLE file) {
  return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;
inline UniqueFind OwnFind(HANDLE find) {
  return UniqueFind(find == INVALID_HANDLE_VALUE ? nullptr : find);
}

struct LocalFreer {
  void operator()(HLOCAL block) const { LocalFree(block); }
};
using UniqueLocal = std::unique_ptr<void, LocalFreer>;

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueGdiObject = std::unique_ptr<void, GdiObjectDeleter>;

struct MemoryDcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using UniqueMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, MemoryDcDeleter>;

// A window's device context, released to that window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// An object selected into a device context for a scope; the one it replaced
// goes back when the scope ends.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~Selection() {
    if (old_ != nullptr) SelectObject(dc_, old_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A local block locked for the life of the owner. A null block, or one that
// cannot be locked, gives no bytes.
class LockedLocal {
 public:
  explicit LockedLocal(HLOCAL block)
      : block_(block), bytes_(block != nullptr ? static_cast<BYTE*>(LocalLock(block)) : nullptr) {}
  ~LockedLocal() {
    if (bytes_ != nullptr) LocalUnlock(block_);
  }
  LockedLocal(const LockedLocal&) = delete;
  LockedLocal& operator=(const LockedLocal&) = delete;

  BYTE* Bytes() const { return bytes_; }
  SIZE_T Size() const { return bytes_ != nullptr ? LocalSize(block_) : 0; }

 private:
  HLOCAL block_;
  BYTE* bytes_;
};
