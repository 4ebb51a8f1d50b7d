#include "plugin_library.h"

#include <cstdint>

#include "spi/ansi_text.h"

namespace {

// The plug-in may report progress; the host never asks it to stop.
int CALLBACK IgnoreProgress(int, int, LONG_PTR) { return 0; }

}  // namespace

bool PluginLibrary::Load(const std::string& path, std::string& error) {
  module_ = std::make_unique<PluginModule>(path.c_str());
  if (module_->module == nullptr) {
    error = "cannot load " + path + " (Windows error " + std::to_string(module_->loadError) + ")";
    return false;
  }
  const char* missing = module_->getPluginInfo == nullptr    ? "GetPluginInfo"
                        : module_->isSupported == nullptr    ? "IsSupported"
                        : module_->getPictureInfo == nullptr ? "GetPictureInfo"
                        : module_->getPicture == nullptr     ? "GetPicture"
                                                             : nullptr;
  if (missing != nullptr) {
    error = path + " does not export " + missing + ": not a Susie import plug-in";
    return false;
  }
  // "00IN": interface version 00, an import filter.
  const std::string version = Info(0);
  if (version.size() != 4 || version.compare(2, 2, "IN") != 0) {
    error = path + " reports interface \"" + version + "\", not an import plug-in (\"00IN\")";
    return false;
  }
  return true;
}

std::string PluginLibrary::Info(int index) const {
  char buffer[1024] = {};
  const int length = module_->getPluginInfo(index, buffer, sizeof buffer);
  if (length <= 0) return std::string();
  buffer[sizeof buffer - 1] = '\0';
  return std::string(buffer);
}

std::vector<PluginFormat> PluginLibrary::Formats() const {
  std::vector<PluginFormat> formats;
  // Pairs of pattern and description follow the version and the name; a
  // plug-in ends the list by answering 0. The bound guards against one that never does.
  for (int index = 2; index < 2 + 2 * 64; index += 2) {
    const std::string pattern = Info(index);
    if (pattern.empty()) break;
    formats.push_back(PluginFormat{pattern, Info(index + 1)});
  }
  return formats;
}

int PluginLibrary::IsSupported(const std::string& fileName, const void* head) const {
  return module_->isSupported(fileName.c_str(), reinterpret_cast<DWORD_PTR>(head));
}

int PluginLibrary::GetPictureInfo(const char* source, LONG_PTR length, UINT flags,
                                  PictureInfo* info) const {
  return module_->getPictureInfo(source, length, flags, info);
}

int PluginLibrary::GetPicture(const char* source, LONG_PTR length, UINT flags, HLOCAL* infoBlock,
                              HLOCAL* pixelBlock) const {
  *infoBlock = nullptr;
  *pixelBlock = nullptr;
  return module_->getPicture(source, length, flags, infoBlock, pixelBlock, IgnoreProgress, 0);
}

const char* PluginLibrary::DollPageExport() const {
  return module_->getDollPageW != nullptr  ? "GetDollPageW"
         : module_->getDollPage != nullptr ? "GetDollPage"
                                           : nullptr;
}

int PluginLibrary::GetDollPage(const std::string& fullPath, int page, HLOCAL* infoBlock,
                               HLOCAL* pixelBlock) const {
  *infoBlock = nullptr;
  *pixelBlock = nullptr;
  if (module_->getDollPageW != nullptr)
    return module_->getDollPageW(WidenAnsi(fullPath).c_str(), page, infoBlock, pixelBlock);
  if (module_->getDollPage != nullptr)
    return module_->getDollPage(fullPath.c_str(), page, infoBlock, pixelBlock);
  return kResultNotServed;
}
