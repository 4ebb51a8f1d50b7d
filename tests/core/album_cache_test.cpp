// The albums kept between calls: found again by file and stamp, by the bytes
// listed from memory and by an address inside them, and bounded in count and
// in bytes, the one just kept always staying.
#include "album/album_cache.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<const OpenedAlbum> Album(std::uint64_t bytes) {
  auto album = std::make_shared<OpenedAlbum>();
  album->bytes = bytes;
  return album;
}

TEST(AlbumCache, FindsFilesByPathOffsetAndStampOnly) {
  AlbumCache cache(4, 1000);
  const auto album = Album(10);
  cache.KeepFile(L"a.lzh", 0, {100, 7}, album);
  EXPECT_EQ(cache.FindFile(L"a.lzh", 0, {100, 7}), album);
  EXPECT_EQ(cache.FindFile(L"a.lzh", 0, {100, 8}), nullptr);  // written since
  EXPECT_EQ(cache.FindFile(L"a.lzh", 0, {101, 7}), nullptr);
  EXPECT_EQ(cache.FindFile(L"a.lzh", 5, {100, 7}), nullptr);
  EXPECT_EQ(cache.FindFile(L"b.lzh", 0, {100, 7}), nullptr);
}

TEST(AlbumCache, FindsMemoryByItsBytesAndByAnAddressInside) {
  AlbumCache cache(4, 1000);
  std::vector<std::uint8_t> host = {1, 2, 3, 4, 5, 6};
  auto copy = std::make_shared<const std::vector<std::uint8_t>>(host);
  const auto album = Album(10);
  cache.KeepMemory(host.data(), copy, album);
  EXPECT_EQ(cache.FindMemory({host.data(), host.size()}), album);
  EXPECT_EQ(cache.FindMemory({host.data(), 5}), nullptr);
  std::uint64_t distance = 99;
  std::shared_ptr<const std::vector<std::uint8_t>> found;
  EXPECT_EQ(cache.FindAround(host.data() + 4, &distance, &found), album);
  EXPECT_EQ(distance, 4u);
  EXPECT_EQ(found, copy);
  EXPECT_EQ(cache.FindAround(host.data() + 6, &distance, &found), nullptr);  // past the end
  host[0] = 9;  // the host's buffer now holds other bytes
  EXPECT_EQ(cache.FindMemory({host.data(), host.size()}), nullptr);
}

TEST(AlbumCache, KeepsAtMostItsCountAndBytesTheLatestUsedFirst) {
  AlbumCache cache(2, 100);
  cache.KeepFile(L"1", 0, {}, Album(10));
  cache.KeepFile(L"2", 0, {}, Album(10));
  EXPECT_NE(cache.FindFile(L"1", 0, {}), nullptr);  // 1 is now the latest used
  cache.KeepFile(L"3", 0, {}, Album(10));           // 2 goes
  EXPECT_NE(cache.FindFile(L"1", 0, {}), nullptr);
  EXPECT_EQ(cache.FindFile(L"2", 0, {}), nullptr);
  EXPECT_NE(cache.FindFile(L"3", 0, {}), nullptr);
  cache.KeepFile(L"big", 0, {}, Album(95));  // past the bytes with any other: alone
  EXPECT_NE(cache.FindFile(L"big", 0, {}), nullptr);
  EXPECT_EQ(cache.FindFile(L"3", 0, {}), nullptr);
  cache.KeepFile(L"huge", 0, {}, Album(500));  // past the bound alone, still kept
  EXPECT_NE(cache.FindFile(L"huge", 0, {}), nullptr);
}

}  // namespace
