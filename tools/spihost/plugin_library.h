// A Susie import plug-in loaded as a viewer loads it: LoadLibraryA, then the
// exports looked up by name. Only the interface of plugin/plugin_api.h is
// used, so any import plug-in serves.
#pragma once

#include <string>
#include <vector>

#include "plugin/plugin_api.h"

struct PluginFormat {
  std::string pattern;      // e.g. "*.cel"
  std::string description;  // e.g. "Kiss Cel file"
};

class PluginLibrary {
 public:
  PluginLibrary() = default;
  ~PluginLibrary();
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

 private:
  using GetPluginInfoFn = decltype(&::GetPluginInfo);
  using IsSupportedFn = decltype(&::IsSupported);
  using GetPictureInfoFn = decltype(&::GetPictureInfo);
  using GetPictureFn = decltype(&::GetPicture);

  HMODULE module_ = nullptr;
  GetPluginInfoFn getPluginInfo_ = nullptr;
  IsSupportedFn isSupported_ = nullptr;
  GetPictureInfoFn getPictureInfo_ = nullptr;
  GetPictureFn getPicture_ = nullptr;
};
