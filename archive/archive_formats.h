// The readers of each kind behind OpenArchive, and what they share.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "archive/archive_reader.h"

std::unique_ptr<ArchiveReader> OpenLzhArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status);
std::unique_ptr<ArchiveReader> OpenZipArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status);

// UTF-16LE bytes as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(const std::uint8_t* bytes, std::size_t count);

// Seconds since 1970 of a calendar date and time, read as UTC.
std::int64_t UnixTimeOf(int year, int month, int day, int hour, int minute, int second);
