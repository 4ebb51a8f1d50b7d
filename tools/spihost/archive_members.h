// The cels and dolls of a KiSS set held in an archive (.lzh, .lha, .zip),
// made by the album core as tamsa.spi and tamsadoll.spi decode the same files
// of an unpacked copy: a plug-in handed a member's bytes in memory would have
// no folder to find its palette in.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "album/album.h"
#include "archive/archive_set.h"
#include "convert_file.h"

// Whether the name ends in .lzh, .lha or .zip.
bool IsArchiveName(const std::string& name);

// The set in the archive file at path; null, with failure set, when it
// cannot be opened or listed.
std::unique_ptr<ArchiveSet> OpenSetArchive(const std::string& path, std::string& failure);

// What a member's problem, or a failed read, means.
std::string DescribeArchiveStatus(ArchiveStatus status);

// The member's path in the ANSI code page, as the report and output names
// spell it (characters it cannot spell as '_').
std::string MemberText(const std::wstring& path);

bool IsCelMember(const SetMember& member);
bool IsConfigurationMember(const SetMember& member);

// A cel member as tamsa.spi decodes the same cel in an unpacked copy: its
// quick test and its information, then its picture as the album makes it
// (the colours of the palette search, the stored display settings).
FileReport DecodeArchiveCel(const ArchiveSet& set, const std::vector<AlbumEntry>& album,
                            std::size_t member);

// A configuration member as tamsadoll.spi composes it: the quick test once
// (the report returned), then every page of it in the album to onPage.
FileReport DecodeArchiveDoll(const ArchiveSet& set, const std::vector<AlbumEntry>& album,
                             std::size_t member,
                             const std::function<void(int page, FileReport& report)>& onPage);
