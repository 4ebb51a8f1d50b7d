// The built module as a file: a DLL of the build's kind (PE32 i386 tamsa.spi,
// PE32+ x86-64 tamsa.sph) whose export table holds exactly the plug-in's
// undecorated names, which imports only system libraries, and which carries
// the version record hosts show and the settings dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "host/plugin_host.h"

namespace {

// The test is built for the same kind of process as the plug-in it loads.
constexpr bool kBuild64 = sizeof(void*) == 8;
constexpr unsigned kExpectedMachine = kBuild64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
constexpr unsigned kExpectedMagic =
    kBuild64 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
constexpr const char* kExpectedFileName = kBuild64 ? "tamsa.sph" : "tamsa.spi";

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
    // PE32+ widens the image base and the four stack and heap sizes to 64 bits.
    dataDirectories_ = optional + (magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
    valid_ = true;
  }

  bool Valid() const { return valid_; }
  unsigned Machine() const { return machine_; }
  unsigned Magic() const { return magic_; }
  bool IsDll() const { return (characteristics_ & IMAGE_FILE_DLL) != 0; }

  // The module's own name in its export directory.
  std::string ExportedModuleName() const {
    const std::size_t directory = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT));
    return directory == 0 ? std::string() : String(Offset(U32(directory + 12)));
  }

  std::vector<std::string> ExportNames() const {
    std::vector<std::string> names;
    const std::size_t directory = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT));
    if (directory == 0) return names;
    const std::size_t count = U32(directory + 24);
    const std::size_t table = Offset(U32(directory + 32));
    for (std::size_t i = 0; i < count; ++i) names.push_back(String(Offset(U32(table + 4 * i))));
    return names;
  }

  // The numeric ids of the resources of one type, read from the resource
  // directory (type, then id, then language).
  std::vector<unsigned> ResourceIds(unsigned type) const {
    std::vector<unsigned> ids;
    const std::size_t root = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE));
    if (root == 0) return ids;
    for (const auto& [typeId, typeEntry] : DirectoryEntries(root)) {
      // A set high bit marks a subdirectory, at an offset from the root.
      if (typeId != type || (typeEntry & 0x80000000u) == 0) continue;
      for (const auto& entry : DirectoryEntries(root + (typeEntry & 0x7FFFFFFFu)))
        ids.push_back(entry.first);
    }
    return ids;
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
  // The (id, offset) pairs of a resource directory's entries with numeric ids.
  std::vector<std::pair<unsigned, std::uint32_t>> DirectoryEntries(std::size_t directory) const {
    std::vector<std::pair<unsigned, std::uint32_t>> entries;
    const unsigned named = U16(directory + 12);
    const unsigned numbered = U16(directory + 14);
    for (unsigned i = named; i < named + numbered; ++i) {
      const std::size_t entry = directory + 16 + 8 * i;
      if (entry + 8 > bytes_.size()) break;
      entries.emplace_back(U32(entry), U32(entry + 4));
    }
    return entries;
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

std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/:") + 1);
}

TEST(Module, IsADllOfTheBuildsKindExportingExactlyThePluginNames) {
  const PeFile pe(ReadModuleFile());
  ASSERT_TRUE(pe.Valid()) << TAMSA_SPI_PATH;
  EXPECT_EQ(FileNameOf(TAMSA_SPI_PATH), kExpectedFileName);
  EXPECT_EQ(pe.Machine(), kExpectedMachine);
  EXPECT_EQ(pe.Magic(), kExpectedMagic);
  EXPECT_TRUE(pe.IsDll());
  EXPECT_EQ(pe.ExportedModuleName(), kExpectedFileName);
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
        << kExpectedFileName << " imports " << name;
  }
}

TEST(Module, CarriesTheVersionRecordAndTheSettingsDialog) {
  const PeFile pe(ReadModuleFile());
  ASSERT_TRUE(pe.Valid());
  EXPECT_EQ(pe.ResourceIds(16), std::vector<unsigned>{1});   // RT_VERSION
  EXPECT_EQ(pe.ResourceIds(5), std::vector<unsigned>{100});  // RT_DIALOG
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

  const auto text = [&](const char* name) {
    char* value = nullptr;
    const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
    UINT size = 0;
    return VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &size)
               ? std::string(value)
               : std::string("(missing)");
  };
  EXPECT_EQ(text("FileVersion"), "0.03a");
  EXPECT_EQ(text("ProductVersion"), "0.03a");
  EXPECT_EQ(text("OriginalFilename"), kExpectedFileName);
}

}  // namespace
