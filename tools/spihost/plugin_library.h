// A Susie import plug-in as spihost uses it: loaded by the one loader, checked
// to be an import plug-in, and called through the calls a viewer makes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/plugin_module/plugin_module.h"

struct PluginFormat {
  std::string pattern;      // e.g. "*.cel"
  std::string description;  // e.g. "Kiss Cel file"
};

class PluginLibrary {
 public:
  PluginLibrary() = default;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Loads the module and checks that it is an import plug-in with the four
  // exports a viewer needs. On failure, error says why.
  bool Load(const std::string& path, std::string& error);

  // GetPluginInfo's string at index, or "" when the plug-in answers 0.
  std::string Info(int index) const;
  // The (pattern, description) pairs from index 2 on.
  std::vector<PluginFormat> Formats() const;

  int IsSupported(const std::string& fileName, const void* head) const;
  int GetPictureInfo(const char* source, LONG_PTR length, UINT flags, PictureInfo* info) const;
  int GetPicture(const char* source, LONG_PTR length, UINT flags, HLOCAL* infoBlock,
                 HLOCAL* pixelBlock) const;

  // A doll plug-in's GetDollPageW (or, without it, GetDollPage): page 0 to 9
  // of the configuration file at fullPath, -1 for a page past the last.
  // Null when the plug-in has neither.
  const char* DollPageExport() const;
  int GetDollPage(const std::string& fullPath, int page, HLOCAL* infoBlock,
                  HLOCAL* pixelBlock) const;

 private:
  std::unique_ptr<PluginModule> module_;
};
