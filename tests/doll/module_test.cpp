// tamsadoll as a file: a DLL of the build's kind whose export table holds
// exactly the interface's names and the two page exports, which imports only
// system libraries, and whose version record is its own, numbered as
// tamsa's.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/module_file.h"

namespace {

constexpr bool kBuild64 = sizeof(void*) == 8;
constexpr const char* kExpectedFileName = kBuild64 ? "tamsadoll.sph" : "tamsadoll.spi";

TEST(DollModule, IsADllOfTheBuildsKindExportingTheInterfaceAndThePages) {
  const PeFile pe(ReadModuleFile(TAMSADOLL_SPI_PATH));
  ASSERT_TRUE(pe.Valid()) << TAMSADOLL_SPI_PATH;
  EXPECT_EQ(FileNameOf(TAMSADOLL_SPI_PATH), kExpectedFileName);
  EXPECT_EQ(pe.Machine(), kBuild64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
  EXPECT_EQ(pe.Magic(), kBuild64 ? IMAGE_NT_OPTIONAL_HDR64_MAGIC : IMAGE_NT_OPTIONAL_HDR32_MAGIC);
  EXPECT_TRUE(pe.IsDll());
  EXPECT_EQ(pe.ExportedModuleName(), kExpectedFileName);
  std::vector<std::string> names = pe.ExportNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names,
            (std::vector<std::string>{"ConfigurationDlg", "GetDollPage", "GetDollPageW",
                                      "GetPicture", "GetPictureInfo", "GetPictureInfoW",
                                      "GetPictureW", "GetPluginInfo", "GetPluginInfoW",
                                      "GetPreview", "GetPreviewW", "IsSupported", "IsSupportedW"}));

  const std::vector<std::string> imports = pe.ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports)
    EXPECT_TRUE(IsSystemLibrary(name)) << kExpectedFileName << " imports " << name;
  // No dialog: the doll has nothing to set.
  EXPECT_EQ(pe.ResourceIds(16), std::vector<unsigned>{1});  // RT_VERSION
  EXPECT_TRUE(pe.ResourceIds(5).empty());                   // RT_DIALOG
}

TEST(DollModule, VersionRecordIsItsOwnWithTamsasNumbers) {
  const VersionRecord doll(TAMSADOLL_SPI_PATH);
  const VersionRecord tamsa(TAMSA_SPI_PATH);
  ASSERT_TRUE(doll.Valid());
  ASSERT_TRUE(tamsa.Valid());
  const VS_FIXEDFILEINFO* fixed = doll.Fixed();
  const VS_FIXEDFILEINFO* tamsaFixed = tamsa.Fixed();
  ASSERT_NE(fixed, nullptr);
  ASSERT_NE(tamsaFixed, nullptr);
  EXPECT_EQ(fixed->dwFileVersionMS, tamsaFixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileVersionLS, tamsaFixed->dwFileVersionLS);
  EXPECT_EQ(fixed->dwProductVersionMS, tamsaFixed->dwProductVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, tamsaFixed->dwProductVersionLS);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00030001u);
  EXPECT_EQ(doll.Translation(), tamsa.Translation());
  EXPECT_EQ(doll.Translation(), (std::vector<WORD>{0x0411, 0x04B0}));
  EXPECT_EQ(doll.Text("FileDescription"), "KiSS set composer");
  EXPECT_EQ(doll.Text("OriginalFilename"), kExpectedFileName);
  EXPECT_EQ(doll.Text("InternalName"), "tamsadoll");
  for (const char* shared : {"FileVersion", "ProductVersion", "ProductName", "CompanyName"})
    EXPECT_EQ(doll.Text(shared), tamsa.Text(shared)) << shared;
}

}  // namespace
