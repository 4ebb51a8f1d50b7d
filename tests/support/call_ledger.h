// What the loaded plug-in itself does with GDI objects, device contexts,
// registry keys and files, seen by pointing its imports at counting
// stand-ins. Lets a test check that the dialog gives back everything it
// takes, where the system's own object counts are not available, and what a
// call reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ValueWrite {
  std::string name;
  DWORD type;
  DWORD size;
};

struct CallLedger {
  int gdiObjectsCreated = 0;              // bitmaps, brushes and memory DCs
  int gdiObjectsLive = 0;                 // of those, not deleted yet
  int windowDCsLive = 0;                  // GetDC not yet matched by ReleaseDC
  int keysOpened = 0;                     // RegCreateKeyA and RegOpenKeyExA that succeeded
  int keysLive = 0;                       // of those, not closed yet
  int valueQueries = 0;                   // RegQueryValueExA
  std::vector<ValueWrite> writes;         // RegSetValueExA, in call order
  std::vector<std::wstring> filesOpened;  // CreateFileA and CreateFileW, the paths, in call order
};

// Redirects the module's imports; false, with the names not found in
// `missing`, when the module does not import all of them.
bool WatchPluginCalls(HMODULE plugin, std::string* missing);

// Forgets what was counted: the next ledger covers calls from now on. Objects
// still live are forgotten too.
void ResetLedger();
CallLedger TakeLedger();
