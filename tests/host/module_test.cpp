// The built module as a file: a DLL of the build's kind (PE32 i386 tamsa.spi,
// PE32+ x86-64 tamsa.sph) whose export table holds exactly the plug-in's
// undecorated names, which imports only system libraries, and which carries
// the version record hosts show and the settings dialog.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "support/module_file.h"

namespace {

// The test is built for the same kind of process as the plug-in it loads.
constexpr bool kBuild64 = sizeof(void*) == 8;
constexpr unsigned kExpectedMachine = kBuild64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386;
constexpr unsigned kExpectedMagic =
    kBuild64 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC;
constexpr const char* kExpectedFileName = kBuild64 ? "tamsa.sph" : "tamsa.spi";

TEST(Module, IsADllOfTheBuildsKindExportingExactlyThePluginNames) {
  const PeFile pe(ReadModuleFile(TAMSA_SPI_PATH));
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
  const PeFile pe(ReadModuleFile(TAMSA_SPI_PATH));
  ASSERT_TRUE(pe.Valid());
  const std::vector<std::string> imports = pe.ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports)
    EXPECT_TRUE(IsSystemLibrary(name)) << kExpectedFileName << " imports " << name;
}

TEST(Module, CarriesTheVersionRecordAndTheSettingsDialog) {
  const PeFile pe(ReadModuleFile(TAMSA_SPI_PATH));
  ASSERT_TRUE(pe.Valid());
  EXPECT_EQ(pe.ResourceIds(16), std::vector<unsigned>{1});   // RT_VERSION
  EXPECT_EQ(pe.ResourceIds(5), std::vector<unsigned>{100});  // RT_DIALOG
}

TEST(Module, VersionRecord) {
  const VersionRecord record(TAMSA_SPI_PATH);
  ASSERT_TRUE(record.Valid());
  const VS_FIXEDFILEINFO* fixed = record.Fixed();
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00000000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00030001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00000000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00030001u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(record.Translation(), (std::vector<WORD>{0x0411, 0x04B0}));
  EXPECT_EQ(record.Text("FileVersion"), "0.03a");
  EXPECT_EQ(record.Text("ProductVersion"), "0.03a");
  EXPECT_EQ(record.Text("OriginalFilename"), kExpectedFileName);
}

}  // namespace
