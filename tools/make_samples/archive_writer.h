// Packs files into the two archive formats KiSS sets travel in: a ZIP whose
// members zlib deflates, and an LZH whose members are stored (-lh0-), which
// needs no compressor. Every field that could vary (times, attributes) is
// fixed, so the same files give the same bytes on every run.
#pragma once

#include <string>
#include <vector>

#include "tests/support/kiss_files.h"

struct PackedFile {
  std::string path;  // parts joined by '/'
  kiss::Bytes bytes;
};

kiss::Bytes ZipArchive(const std::vector<PackedFile>& files);
// Level-0 headers; paths stored with '\' between their parts.
kiss::Bytes StoredLzhArchive(const std::vector<PackedFile>& files);
