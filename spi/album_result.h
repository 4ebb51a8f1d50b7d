// The interface's result code for what the album core answers, for the
// album plug-in's exports and for a host that makes album files itself.
#pragma once

#include "album/album.h"
#include "spi/plugin_api.h"

inline int ResultOf(AlbumResult result) {
  switch (result) {
    case AlbumResult::kOk:
      return kResultSuccess;
    case AlbumResult::kNoMemory:
      return kResultNoMemory;
    case AlbumResult::kReadFailed:
      return kResultFileOpenFailed;
    case AlbumResult::kBroken:
      break;
  }
  return kResultBrokenData;
}
