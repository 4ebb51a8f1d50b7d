// The readers of each kind behind OpenArchive, and what they share.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "archive/archive_reader.h"

std::unique_ptr<ArchiveReader> OpenLzhArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status);
std::unique_ptr<ArchiveReader> OpenZipArchive(const ArchiveSource& source,
                                              const ArchiveLimits& limits, ArchiveStatus* status);

// A reader of one kind, made and listed: null, with *status saying why, when
// the archive cannot be listed or memory runs out.
template <typename Reader>
std::unique_ptr<ArchiveReader> OpenListed(const ArchiveSource& source, const ArchiveLimits& limits,
                                          ArchiveStatus* status) {
  std::unique_ptr<Reader> reader;
  try {
    reader = std::make_unique<Reader>(source, limits);
    if (!reader->List(status)) return nullptr;
  } catch (const std::bad_alloc&) {
    *status = ArchiveStatus::kNoMemory;
    return nullptr;
  }
  *status = ArchiveStatus::kOk;
  return reader;
}

// UTF-16LE bytes as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16LeToUtf8(const std::uint8_t* bytes, std::size_t count);

// Seconds since 1970 of a calendar date and time, read as UTC.
std::int64_t UnixTimeOf(int year, int month, int day, int hour, int minute, int second);
