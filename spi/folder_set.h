// A KiSS set in a folder on disk, seen as the members of a set: the folder's
// files by name, each read once when first asked for, with the palette search
// that tamsa's wide exports run and the configuration's files as tamsadoll
// reads them. For a set opened through its configuration file.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "archive/archive_set.h"

class FolderSet : public ArchiveSet {
 public:
  // The files of folder (no separator at its end); false when it cannot be
  // listed.
  bool Open(const std::wstring& folder);

  const std::vector<SetMember>& Members() const override { return members_; }
  ArchiveStatus ListingStatus() const override { return ArchiveStatus::kOk; }
  std::ptrdiff_t Find(const std::wstring& path) const override;
  bool SameName(const std::wstring& a, const std::wstring& b) const override;
  ArchiveStatus Read(std::size_t member,
                     std::shared_ptr<const std::vector<std::uint8_t>>* bytes) const override;
  PaletteSearchResult<wchar_t> FindPalette(std::size_t celMember,
                                           std::size_t paletteBytes) const override;
  std::unique_ptr<DollFiles> FilesBeside(std::size_t member) const override;

 private:
  std::wstring PathOf(std::size_t member) const { return folder_ + L'\\' + members_[member].name; }

  std::wstring folder_;
  std::vector<SetMember> members_;
  // What each member read, so that a file is one size from listing to making.
  mutable std::mutex mutex_;
  mutable std::vector<std::shared_ptr<const std::vector<std::uint8_t>>> read_;
};
