// One file taken through the plug-in as a viewer takes it: IsSupported with
// the first 2 KB, GetPictureInfo, and GetPicture, whose two blocks are read
// and freed with LocalFree.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "dib_image.h"
#include "plugin_library.h"

struct FileReport {
  bool ok = false;
  std::string failure;  // what went wrong, e.g. "file failed to open (GetPicture returned 6)"
  PictureInfo info = {};
  std::string infoText;  // the optional text block of GetPictureInfo
  int bitmapDepth = 0;   // biBitCount of the bitmap that GetPicture returned
  RgbImage picture;
};

// IsSupported and GetPictureInfo only.
FileReport ProbeFile(const PluginLibrary& plugin, const std::string& path, bool memory);
// The whole road, ending in the picture as RGB.
FileReport DecodeFile(const PluginLibrary& plugin, const std::string& path, bool memory);

// A doll's configuration file, by name: IsSupported and GetPictureInfo once
// (the report returned; not ok when either fails and no page was asked),
// then each page through the plug-in's page export from page 0 until it
// answers -1, or page 0 alone through GetPicture when it has none. onPage
// gets each page's report (ok with its picture, or its failure), the
// picture information copied from the configuration's.
FileReport DecodeDoll(const PluginLibrary& plugin, const std::string& path,
                      const std::function<void(int page, FileReport& report)>& onPage);

// A BMP file (a member an archive plug-in hands over) read as a picture:
// the information block after the 14-byte file header, the rows from the
// offset it names.
FileReport ReadBmpFile(const std::vector<std::uint8_t>& file);
