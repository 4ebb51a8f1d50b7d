// A Susie import plug-in as spihost uses it: loaded by the one loader, checked
// to be an import plug-in, and called through the calls a viewer makes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tools/plugin_module/plugin_module.h"

struct PluginFormat {
  std::string pattern;      // e.g. "*.cel"
  std::string description;  // e.g. "Kiss Cel file"
};

// A member an archive plug-in lists: its path inside the archive (folder and
// file name as GetArchiveInfo gives them), its position and its size.
struct ArchiveMember {
  std::string path;
  std::uint64_t position = 0;
  std::uint64_t size = 0;
};

class PluginLibrary {
 public:
  PluginLibrary() = default;
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  // Loads the module and checks that it is an import plug-in with the four
  // exports a viewer needs, or an archive plug-in ("00AM") with
  // GetArchiveInfo and GetFile. On failure, error says why.
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

  bool IsArchive() const { return archive_; }
  // An archive plug-in's list of the archive file at path (GetArchiveInfo);
  // the result code, the members in *members.
  int ListArchive(const std::string& path, std::vector<ArchiveMember>* members) const;
  // The member at position, fetched into memory (GetFile); the result code.
  int FetchMember(const std::string& path, std::uint64_t position,
                  std::vector<std::uint8_t>* bytes) const;

 private:
  std::unique_ptr<PluginModule> module_;
  bool archive_ = false;
};
