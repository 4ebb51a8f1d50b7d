#include "plugin_library.h"

#include <cstdint>
#include <cstring>

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
  if (module_->getPluginInfo == nullptr) {
    error = path + " does not export GetPluginInfo: not a Susie plug-in";
    return false;
  }
  // "00IN": interface version 00, an import filter; "00AM": an archive one.
  const std::string version = Info(0);
  archive_ = version == "00AM";
  const char* missing = nullptr;
  if (archive_) {
    missing = module_->isSupported == nullptr      ? "IsSupported"
              : module_->getArchiveInfo == nullptr ? "GetArchiveInfo"
              : module_->getFile == nullptr        ? "GetFile"
                                                   : nullptr;
  } else {
    missing = module_->isSupported == nullptr      ? "IsSupported"
              : module_->getPictureInfo == nullptr ? "GetPictureInfo"
              : module_->getPicture == nullptr     ? "GetPicture"
                                                   : nullptr;
  }
  if (missing != nullptr) {
    error = path + " does not export " + missing + ": not a Susie " +
            (archive_ ? "archive" : "import") + " plug-in";
    return false;
  }
  if (!archive_ && (version.size() != 4 || version.compare(2, 2, "IN") != 0)) {
    error = path + " reports interface \"" + version +
            "\", not an import (\"00IN\") or archive (\"00AM\") plug-in";
    return false;
  }
  return true;
}

int PluginLibrary::ListArchive(const std::string& path, std::vector<ArchiveMember>* members) const {
  members->clear();
  HLOCAL block = nullptr;
  const int code = module_->getArchiveInfo(path.c_str(), 0, kInputFile, &block);
  if (code != kResultSuccess || block == nullptr) {
    if (block != nullptr) LocalFree(block);
    return code != kResultSuccess ? code : kResultInternalError;
  }
  const auto* bytes = static_cast<const std::uint8_t*>(LocalLock(block));
  const SIZE_T size = LocalSize(block);
  // The list ends at the first record whose method is empty, or at the block's end.
  for (SIZE_T at = 0; bytes != nullptr && at + sizeof(ArchiveFileInfo) <= size;
       at += sizeof(ArchiveFileInfo)) {
    ArchiveFileInfo info;
    std::memcpy(&info, bytes + at, sizeof info);
    if (info.method[0] == 0) break;
    info.path[sizeof info.path - 1] = '\0';
    info.filename[sizeof info.filename - 1] = '\0';
    members->push_back(
        ArchiveMember{std::string(info.path) + info.filename, info.position, info.filesize});
  }
  LocalUnlock(block);
  LocalFree(block);
  return kResultSuccess;
}

int PluginLibrary::FetchMember(const std::string& path, std::uint64_t position,
                               std::vector<std::uint8_t>* bytes) const {
  bytes->clear();
  HLOCAL block = nullptr;
  const int code = module_->getFile(path.c_str(), static_cast<LONG_PTR>(position),
                                    reinterpret_cast<LPSTR>(&block), kInputFile | kOutputMemory,
                                    IgnoreProgress, 0);
  if (block != nullptr) {
    const auto* data = static_cast<const std::uint8_t*>(LocalLock(block));
    if (data != nullptr) bytes->assign(data, data + LocalSize(block));
    LocalUnlock(block);
    LocalFree(block);
  }
  return code;
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
