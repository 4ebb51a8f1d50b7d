// The album plug-in loaded as a viewer loads it, beside tamsa and tamsadoll,
// whose pictures of the unpacked set its files must equal; the calls its
// host-level tests make.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "host/decoded.h"
#include "support/test_files.h"
#include "tools/plugin_module/plugin_module.h"

constexpr std::size_t kBmpFileHeader = 14;

// A list as GetArchiveInfo handed it over, copied out of its block.
template <typename Info>
struct Listed {
  int code = -99;
  bool null = true;
  SIZE_T blockSize = 0;
  std::vector<Info> records;  // up to the first record whose method is empty
  Bytes raw;                  // the whole block
};

class SetSuite : public ::testing::Test {
 public:
  static void SetUpTestSuite() {
    album = new PluginModule(TAMSASET_SPI_PATH);
    tamsa = new PluginModule(TAMSA_SPI_PATH);
    doll = new PluginModule(TAMSADOLL_SPI_PATH);
  }
  static void TearDownTestSuite() {
    delete album;
    delete tamsa;
    delete doll;
    album = tamsa = doll = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(album->module, nullptr) << "cannot load " << TAMSASET_SPI_PATH;
    ASSERT_NE(album->getArchiveInfo, nullptr);
    ASSERT_NE(album->getArchiveInfoW, nullptr);
    ASSERT_NE(album->getFileInfo, nullptr);
    ASSERT_NE(album->getFileInfoW, nullptr);
    ASSERT_NE(album->getFile, nullptr);
    ASSERT_NE(album->getFileW, nullptr);
    ASSERT_NE(tamsa->getPicture, nullptr);
    ASSERT_NE(doll->getDollPage, nullptr);
  }

  template <typename Info>
  static Listed<Info> TakeList(int code, HLOCAL block) {
    Listed<Info> listed;
    listed.code = code;
    listed.null = block == nullptr;
    if (block == nullptr) return listed;
    listed.blockSize = LocalSize(block);
    const auto* bytes = static_cast<const std::uint8_t*>(LocalLock(block));
    listed.raw.assign(bytes, bytes + listed.blockSize);
    for (std::size_t at = 0; at + sizeof(Info) <= listed.blockSize; at += sizeof(Info)) {
      Info info;
      std::memcpy(&info, bytes + at, sizeof info);
      if (info.method[0] == 0) break;
      listed.records.push_back(info);
    }
    LocalUnlock(block);
    LocalFree(block);
    return listed;
  }
  static Listed<ArchiveFileInfo> List(const std::string& path, LONG_PTR offset = 0) {
    HLOCAL block = reinterpret_cast<HLOCAL>(1);
    const int code = album->getArchiveInfo(path.c_str(), offset, 0, &block);
    return TakeList<ArchiveFileInfo>(code, block);
  }
  static Listed<ArchiveFileInfoW> ListW(const std::wstring& path) {
    HLOCAL block = reinterpret_cast<HLOCAL>(1);
    const int code = album->getArchiveInfoW(path.c_str(), 0, 0, &block);
    return TakeList<ArchiveFileInfoW>(code, block);
  }
  static Listed<ArchiveFileInfo> ListMemory(const Bytes& bytes) {
    HLOCAL block = reinterpret_cast<HLOCAL>(1);
    const int code = album->getArchiveInfo(reinterpret_cast<LPCSTR>(bytes.data()),
                                           static_cast<LONG_PTR>(bytes.size()), 1, &block);
    return TakeList<ArchiveFileInfo>(code, block);
  }

  // A member fetched into memory: the result and the block's bytes.
  static int Fetch(LPCSTR source, LONG_PTR length, UINT input, Bytes* file,
                   ProgressCallback progress = nullptr) {
    HLOCAL block = reinterpret_cast<HLOCAL>(1);
    const int code = album->getFile(source, length, reinterpret_cast<LPSTR>(&block),
                                    input | kOutputMemory, progress, 0);
    file->clear();
    if (block != nullptr && block != reinterpret_cast<HLOCAL>(1)) {
      const auto* bytes = static_cast<const std::uint8_t*>(LocalLock(block));
      file->assign(bytes, bytes + LocalSize(block));
      LocalUnlock(block);
      LocalFree(block);
    } else if (block == reinterpret_cast<HLOCAL>(1)) {
      ADD_FAILURE() << "GetFile left the host's variable as it was";
    }
    return code;
  }
  static int FetchW(const std::wstring& path, LONG_PTR position, Bytes* file) {
    HLOCAL block = nullptr;
    const int code = album->getFileW(path.c_str(), position, reinterpret_cast<LPWSTR>(&block),
                                     kOutputMemory, nullptr, 0);
    file->clear();
    if (block != nullptr) {
      const auto* bytes = static_cast<const std::uint8_t*>(LocalLock(block));
      file->assign(bytes, bytes + LocalSize(block));
      LocalUnlock(block);
      LocalFree(block);
    }
    return code;
  }

  // A BMP file of what a picture export handed over.
  static Bytes BmpFile(const Decoded& picture) {
    Bytes file = {'B', 'M'};
    const std::uint32_t size =
        static_cast<std::uint32_t>(kBmpFileHeader + picture.info.size() + picture.pixels.size());
    const std::uint32_t offset = static_cast<std::uint32_t>(kBmpFileHeader + picture.info.size());
    for (std::uint32_t value : {size, 0u, offset})
      for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    file.insert(file.end(), picture.info.begin(), picture.info.end());
    file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
    return file;
  }
  // tamsa's picture of the cel file at path, and tamsadoll's page.
  static Bytes CelFile(const std::string& path) {
    HLOCAL info = nullptr, pixels = nullptr;
    const int code = tamsa->getPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
    const Decoded picture = TakeDecoded(code, info, pixels);
    EXPECT_EQ(picture.code, 0) << path;
    return BmpFile(picture);
  }
  static Bytes PageFile(const std::string& config, int page) {
    HLOCAL info = nullptr, pixels = nullptr;
    const int code = doll->getDollPage(config.c_str(), page, &info, &pixels);
    const Decoded picture = TakeDecoded(code, info, pixels);
    EXPECT_EQ(picture.code, 0) << config << " page " << page;
    return BmpFile(picture);
  }

  static inline PluginModule* album = nullptr;
  static inline PluginModule* tamsa = nullptr;
  static inline PluginModule* doll = nullptr;
};

inline const std::string kSamples = TAMSA_SAMPLES_PATH;
inline const std::string kSampleSet = kSamples + "\\mira";
