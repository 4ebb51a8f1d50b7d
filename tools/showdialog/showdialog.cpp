// Opens the settings dialog of a tamsa.spi as a host does, without a parent
// window, and keeps it on screen for a screenshot. Once the dialog is up it
// prints "shown X Y WIDTH HEIGHT" (its outer rectangle in screen pixels); it
// cancels the dialog when the named file appears or the seconds run out.
//
//   showdialog PLUGIN DONE-FILE [SECONDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using ConfigurationDlgFn = int(WINAPI*)(HWND, int);

constexpr const wchar_t kCaption[] = L"Tamsa - \u8A2D\u5B9A";

HWND WaitForDialog(DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
    const HWND dialog = FindWindowW(L"#32770", kCaption);
    if (dialog != nullptr && IsWindowVisible(dialog)) return dialog;
    Sleep(100);
  }
  return nullptr;
}

void HoldDialog(const char* doneFile, DWORD timeoutMs) {
  const HWND dialog = WaitForDialog(timeoutMs);
  if (dialog == nullptr) {
    std::fprintf(stderr, "showdialog: the dialog did not appear\n");
    return;
  }
  // A round trip through the dialog's thread: its first painting is done.
  SendMessageW(dialog, WM_NULL, 0, 0);
  RedrawWindow(dialog, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT outer;
  GetWindowRect(dialog, &outer);
  std::printf("shown %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top);
  std::fflush(stdout);
  for (DWORD waited = 0; waited < timeoutMs; waited += 200) {
    if (GetFileAttributesA(doneFile) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(200);
  }
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: showdialog PLUGIN DONE-FILE [SECONDS]\n");
    return 2;
  }
  const DWORD timeoutMs = (argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 600) * 1000;
  const HMODULE plugin = LoadLibraryA(argv[1]);
  if (plugin == nullptr) {
    std::fprintf(stderr, "showdialog: cannot load %s\n", argv[1]);
    return 1;
  }
  const auto configure = reinterpret_cast<ConfigurationDlgFn>(
      reinterpret_cast<void*>(GetProcAddress(plugin, "ConfigurationDlg")));
  if (configure == nullptr) {
    std::fprintf(stderr, "showdialog: %s has no ConfigurationDlg\n", argv[1]);
    return 1;
  }
  std::thread holder(HoldDialog, argv[2], timeoutMs);
  const int result = configure(nullptr, 1);
  holder.join();
  FreeLibrary(plugin);
  return result == 0 ? 0 : 1;
}
