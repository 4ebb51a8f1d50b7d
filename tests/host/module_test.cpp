// The built module as a file: a PE32 DLL whose export table holds exactly the
// plug-in's undecorated names, which imports only system libraries, and which
// carries the version record hosts show.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/plugin_host.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes ReadModuleFile() {
  std::ifstream in(TAMSA_SPI_PATH, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A bounds-checked reader over the file, mapping RVAs through the section table.
class PeFile {
 public:
  explicit PeFile(Bytes bytes) : bytes_(std::move(bytes)) {
    if (U16(0) != IMAGE_DOS_SIGNATURE) return;
    nt_ = U32(0x3C);
    if (U32(nt_) != IMAGE_NT_SIGNATURE) return;
    machine_ = U16(nt_ + 4);
    characteristics_ = U16(nt_ + 22);
    const std::size_t optional = nt_ + 24;
    magic_ = U16(optional);
    const unsigned sectionCount = U16(nt_ + 6);
    const std::size_t sections = optional + U16(nt_ + 20);
    for (unsigned i = 0; i < sectionCount; ++i) {
      const std::size_t s = sections + i * 40;
      sections_.push_back({U32(s + 12), std::max(U32(s + 8), U32(s + 16)), U32(s + 20)});
    }
    dataDirectories_ = optional + 96;
    valid_ = true;
  }

  bool Valid() const { return valid_; }
  unsigned Machine() const { return machine_; }
  unsigned Magic() const { return magic_; }
  bool IsDll() const { return (characteristics_ & IMAGE_FILE_DLL) != 0; }

  std::vector<std::string> ExportNames() const {
    std::vector<std::string> names;
    const std::size_t directory = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT));
    if (directory == 0) return names;
    const std::size_t count = U32(directory + 24);
    const std::size_t table = Offset(U32(directory + 32));
    for (std::size_t i = 0; i < count; ++i) names.push_back(String(Offset(U32(table + 4 * i))));
    return names;
  }

  std::vector<std::string> ImportedLibraries() const {
    std::vector<std::string> names;
    std::size_t descriptor = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT));
    if (descriptor == 0) return names;
    for (; U32(descriptor + 12) != 0; descriptor += 20) {
      std::string name = String(Offset(U32(descriptor + 12)));
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      names.push_back(name);
    }
    return names;
  }

 private:
  struct Section {
    std::uint32_t rva, size, fileOffset;
  };
  std::uint32_t U16(std::size_t at) const {
    return at + 2 <= bytes_.size() ? bytes_[at] | (bytes_[at + 1] << 8) : 0;
  }
  std::uint32_t U32(std::size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  std::size_t Offset(std::uint32_t rva) const {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.fileOffset;
    }
    return 0;
  }
  std::string String(std::size_t at) const {
    std::string text;
    while (at != 0 && at < bytes_.size() && bytes_[at] != 0)
      text += static_cast<char>(bytes_[at++]);
    return text;
  }

  Bytes bytes_;
  bool valid_ = false;
  std::size_t nt_ = 0, dataDirectories_ = 0;
  unsigned machine_ = 0, magic_ = 0, characteristics_ = 0;
  std::vector<Section> sections_;
};

TEST(Module, IsA32BitDllExportingExactlyThePluginNames) {
  const PeFile pe(ReadModuleFile());
  ASSERT_TRUE(pe.Valid()) << TAMSA_SPI_PATH;
  EXPECT_EQ(pe.Machine(), static_cast<unsigned>(IMAGE_FILE_MACHINE_I386));
  EXPECT_EQ(pe.Magic(), static_cast<unsigned>(IMAGE_NT_OPTIONAL_HDR32_MAGIC));
  EXPECT_TRUE(pe.IsDll());
  std::vector<std::string> names = pe.ExportNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ConfigurationDlg", "GetPicture", "GetPictureInfo",
                                             "GetPictureInfoW", "GetPictureW", "GetPluginInfo",
                                             "GetPluginInfoW", "GetPreview", "GetPreviewW",
                                             "IsSupported", "IsSupportedW"}));
}

TEST(Module, ImportsOnlySystemLibraries) {
  const PeFile pe(ReadModuleFile());
  ASSERT_TRUE(pe.Valid());
  const std::vector<std::string> allowed = {"kernel32.dll", "user32.dll",   "gdi32.dll",
                                            "advapi32.dll", "comctl32.dll", "comdlg32.dll",
                                            "msvcrt.dll"};
  const std::vector<std::string> imports = pe.ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports) {
    EXPECT_NE(std::find(allowed.begin(), allowed.end(), name), allowed.end())
        << "tamsa.spi imports " << name;
  }
}

TEST(Module, VersionRecord) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(TAMSA_SPI_PATH, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoA(TAMSA_SPI_PATH, 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00030001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00000000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00030001u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translations = nullptr;
  ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translations), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translations[0], 0x0411);
  EXPECT_EQ(translations[1], 0x04B0);

  for (const char* name : {"FileVersion", "ProductVersion"}) {
    char* text = nullptr;
    const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
    ASSERT_TRUE(VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
        << name;
    EXPECT_STREQ(text, "0.03a") << name;
  }
}

}  // namespace
