#include "support/call_ledger.h"

#include <mutex>
#include <set>

namespace {

std::mutex ledgerMutex;
std::set<HGDIOBJ> liveObjects;
std::set<HDC> liveWindowDCs;
std::set<HKEY> liveKeys;
CallLedger counts;

decltype(&::CreateCompatibleDC) realCreateCompatibleDC = nullptr;
decltype(&::CreateCompatibleBitmap) realCreateCompatibleBitmap = nullptr;
decltype(&::CreateSolidBrush) realCreateSolidBrush = nullptr;
decltype(&::DeleteDC) realDeleteDC = nullptr;
decltype(&::DeleteObject) realDeleteObject = nullptr;
decltype(&::GetDC) realGetDC = nullptr;
decltype(&::ReleaseDC) realReleaseDC = nullptr;
decltype(&::RegCreateKeyA) realRegCreateKeyA = nullptr;
decltype(&::RegOpenKeyExA) realRegOpenKeyExA = nullptr;
decltype(&::RegCloseKey) realRegCloseKey = nullptr;
decltype(&::RegSetValueExA) realRegSetValueExA = nullptr;
decltype(&::RegQueryValueExA) realRegQueryValueExA = nullptr;
decltype(&::CreateFileA) realCreateFileA = nullptr;
decltype(&::CreateFileW) realCreateFileW = nullptr;

template <typename T>
void Born(std::set<T>& live, T handle, int* created) {
  if (handle == nullptr) return;
  std::lock_guard<std::mutex> lock(ledgerMutex);
  live.insert(handle);
  if (created != nullptr) ++*created;
}

template <typename T>
void Gone(std::set<T>& live, T handle) {
  std::lock_guard<std::mutex> lock(ledgerMutex);
  live.erase(handle);
}

HDC WINAPI CountedCreateCompatibleDC(HDC dc) {
  const HDC made = realCreateCompatibleDC(dc);
  Born<HGDIOBJ>(liveObjects, made, &counts.gdiObjectsCreated);
  return made;
}

HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC dc, int width, int height) {
  const HBITMAP made = realCreateCompatibleBitmap(dc, width, height);
  Born<HGDIOBJ>(liveObjects, made, &counts.gdiObjectsCreated);
  return made;
}

HBRUSH WINAPI CountedCreateSolidBrush(COLORREF colour) {
  const HBRUSH made = realCreateSolidBrush(colour);
  Born<HGDIOBJ>(liveObjects, made, &counts.gdiObjectsCreated);
  return made;
}

BOOL WINAPI CountedDeleteDC(HDC dc) {
  const BOOL deleted = realDeleteDC(dc);
  if (deleted) Gone<HGDIOBJ>(liveObjects, dc);
  return deleted;
}

BOOL WINAPI CountedDeleteObject(HGDIOBJ object) {
  const BOOL deleted = realDeleteObject(object);
  if (deleted) Gone(liveObjects, object);
  return deleted;
}

HDC WINAPI CountedGetDC(HWND window) {
  const HDC dc = realGetDC(window);
  Born(liveWindowDCs, dc, nullptr);
  return dc;
}

int WINAPI CountedReleaseDC(HWND window, HDC dc) {
  const int released = realReleaseDC(window, dc);
  if (released) Gone(liveWindowDCs, dc);
  return released;
}

LONG WINAPI CountedRegCreateKeyA(HKEY root, LPCSTR path, PHKEY key) {
  const LONG status = realRegCreateKeyA(root, path, key);
  if (status == ERROR_SUCCESS) Born(liveKeys, *key, &counts.keysOpened);
  return status;
}

LONG WINAPI CountedRegOpenKeyExA(HKEY root, LPCSTR path, DWORD options, REGSAM access, PHKEY key) {
  const LONG status = realRegOpenKeyExA(root, path, options, access, key);
  if (status == ERROR_SUCCESS) Born(liveKeys, *key, &counts.keysOpened);
  return status;
}

LONG WINAPI CountedRegCloseKey(HKEY key) {
  const LONG status = realRegCloseKey(key);
  if (status == ERROR_SUCCESS) Gone(liveKeys, key);
  return status;
}

LONG WINAPI RecordedRegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type,
                                   const BYTE* data, DWORD size) {
  {
    std::lock_guard<std::mutex> lock(ledgerMutex);
    counts.writes.push_back(ValueWrite{name != nullptr ? name : "", type, size});
  }
  return realRegSetValueExA(key, name, reserved, type, data, size);
}

LONG WINAPI CountedRegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type,
                                    LPBYTE data, LPDWORD size) {
  {
    std::lock_guard<std::mutex> lock(ledgerMutex);
    ++counts.valueQueries;
  }
  return realRegQueryValueExA(key, name, reserved, type, data, size);
}

void RecordOpen(std::wstring path) {
  std::lock_guard<std::mutex> lock(ledgerMutex);
  counts.filesOpened.push_back(std::move(path));
}

HANDLE WINAPI RecordedCreateFileA(LPCSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE model) {
  std::wstring wide;
  for (const char* p = path; p != nullptr && *p != '\0'; ++p)
    wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  RecordOpen(wide);
  return realCreateFileA(path, access, share, security, disposition, flags, model);
}

HANDLE WINAPI RecordedCreateFileW(LPCWSTR path, DWORD access, DWORD share,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE model) {
  RecordOpen(path != nullptr ? path : L"");
  return realCreateFileW(path, access, share, security, disposition, flags, model);
}

// Points the module's import of dll!function at `replacement` and returns
// what it pointed at before, or null when the module does not import it.
void* PatchImport(HMODULE module, const char* dll, const char* function, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;
  for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       entry->Name != 0; ++entry) {
    if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
    if (entry->OriginalFirstThunk == 0) continue;  // no names left to match
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
      void* previous = reinterpret_cast<void*>(slots->u1.Function);
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

template <typename F>
void Redirect(HMODULE module, const char* dll, const char* function, F replacement, F* real,
              std::string* missing) {
  void* previous = PatchImport(module, dll, function, reinterpret_cast<void*>(replacement));
  if (previous == nullptr) {
    *missing += std::string(missing->empty() ? "" : ", ") + function;
    return;
  }
  // A module patched twice would otherwise make the stand-in call itself.
  if (previous != reinterpret_cast<void*>(replacement)) *real = reinterpret_cast<F>(previous);
}

}  // namespace

bool WatchPluginCalls(HMODULE plugin, std::string* missing) {
  missing->clear();
  Redirect(plugin, "gdi32.dll", "CreateCompatibleDC", &CountedCreateCompatibleDC,
           &realCreateCompatibleDC, missing);
  Redirect(plugin, "gdi32.dll", "CreateCompatibleBitmap", &CountedCreateCompatibleBitmap,
           &realCreateCompatibleBitmap, missing);
  Redirect(plugin, "gdi32.dll", "CreateSolidBrush", &CountedCreateSolidBrush, &realCreateSolidBrush,
           missing);
  Redirect(plugin, "gdi32.dll", "DeleteDC", &CountedDeleteDC, &realDeleteDC, missing);
  Redirect(plugin, "gdi32.dll", "DeleteObject", &CountedDeleteObject, &realDeleteObject, missing);
  Redirect(plugin, "user32.dll", "GetDC", &CountedGetDC, &realGetDC, missing);
  Redirect(plugin, "user32.dll", "ReleaseDC", &CountedReleaseDC, &realReleaseDC, missing);
  Redirect(plugin, "advapi32.dll", "RegCreateKeyA", &CountedRegCreateKeyA, &realRegCreateKeyA,
           missing);
  Redirect(plugin, "advapi32.dll", "RegOpenKeyExA", &CountedRegOpenKeyExA, &realRegOpenKeyExA,
           missing);
  Redirect(plugin, "advapi32.dll", "RegCloseKey", &CountedRegCloseKey, &realRegCloseKey, missing);
  Redirect(plugin, "advapi32.dll", "RegSetValueExA", &RecordedRegSetValueExA, &realRegSetValueExA,
           missing);
  Redirect(plugin, "advapi32.dll", "RegQueryValueExA", &CountedRegQueryValueExA,
           &realRegQueryValueExA, missing);
  Redirect(plugin, "kernel32.dll", "CreateFileA", &RecordedCreateFileA, &realCreateFileA, missing);
  Redirect(plugin, "kernel32.dll", "CreateFileW", &RecordedCreateFileW, &realCreateFileW, missing);
  return missing->empty();
}

void ResetLedger() {
  std::lock_guard<std::mutex> lock(ledgerMutex);
  liveObjects.clear();
  liveWindowDCs.clear();
  liveKeys.clear();
  counts = CallLedger{};
}

CallLedger TakeLedger() {
  std::lock_guard<std::mutex> lock(ledgerMutex);
  CallLedger ledger = counts;
  ledger.gdiObjectsLive = static_cast<int>(liveObjects.size());
  ledger.windowDCsLive = static_cast<int>(liveWindowDCs.size());
  ledger.keysLive = static_cast<int>(liveKeys.size());
  return ledger;
}
