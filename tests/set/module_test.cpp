// tamsaset as a file and as a plug-in: a DLL of the build's kind exporting
// exactly the archive kind's functions, importing only system libraries, with
// a version record of its own numbered as tamsa's; what it says it is; which
// files it claims.
#include <algorithm>

#include "set/set_host.h"
#include "support/module_file.h"

namespace {

constexpr bool kBuild64 = sizeof(void*) == 8;
constexpr const char* kExpectedFileName = kBuild64 ? "tamsaset.sph" : "tamsaset.spi";

TEST(SetModule, IsADllOfTheBuildsKindExportingTheArchiveInterface) {
  const PeFile pe(ReadModuleFile(TAMSASET_SPI_PATH));
  ASSERT_TRUE(pe.Valid()) << TAMSASET_SPI_PATH;
  EXPECT_EQ(FileNameOf(TAMSASET_SPI_PATH), kExpectedFileName);
  EXPECT_EQ(pe.Machine(), kBuild64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386);
  EXPECT_TRUE(pe.IsDll());
  EXPECT_EQ(pe.ExportedModuleName(), kExpectedFileName);
  std::vector<std::string> names = pe.ExportNames();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ConfigurationDlg", "GetArchiveInfo",
                                             "GetArchiveInfoW", "GetFile", "GetFileInfo",
                                             "GetFileInfoW", "GetFileW", "GetPluginInfo",
                                             "GetPluginInfoW", "IsSupported", "IsSupportedW"}));
  const std::vector<std::string> imports = pe.ImportedLibraries();
  EXPECT_FALSE(imports.empty());
  for (const std::string& name : imports)
    EXPECT_TRUE(IsSystemLibrary(name)) << kExpectedFileName << " imports " << name;
  EXPECT_EQ(pe.ResourceIds(16), std::vector<unsigned>{1});  // RT_VERSION
  EXPECT_TRUE(pe.ResourceIds(5).empty());                   // RT_DIALOG: nothing to set

  const VersionRecord set(TAMSASET_SPI_PATH);
  const VersionRecord tamsa(TAMSA_SPI_PATH);
  ASSERT_TRUE(set.Valid());
  ASSERT_TRUE(tamsa.Valid());
  EXPECT_EQ(set.Fixed()->dwFileVersionLS, tamsa.Fixed()->dwFileVersionLS);
  EXPECT_EQ(set.Fixed()->dwFileVersionMS, tamsa.Fixed()->dwFileVersionMS);
  EXPECT_EQ(set.Text("FileDescription"), "KiSS set album");
  EXPECT_EQ(set.Text("OriginalFilename"), kExpectedFileName);
  EXPECT_EQ(set.Text("InternalName"), "tamsaset");
}

using SetPlugin = SetSuite;

TEST_F(SetPlugin, SaysItIsAnArchivePluginForKissSets) {
  const char* expected[] = {"00AM", nullptr, "*.lzh;*.lha;*.zip;*.cnf", "KiSS set"};
  for (int index = 0; index < 4; ++index) {
    char narrow[256] = {};
    wchar_t wide[256] = {};
    const int length = album->getPluginInfo(index, narrow, sizeof narrow);
    EXPECT_EQ(album->getPluginInfoW(index, wide, 256), length);
    EXPECT_EQ(Widened(narrow), std::wstring(wide));
    if (expected[index] != nullptr) EXPECT_STREQ(narrow, expected[index]);
  }
  char none[8] = {};
  EXPECT_EQ(album->getPluginInfo(4, none, sizeof none), 0);
  EXPECT_EQ(album->configurationDlg(nullptr, 1), -1);
}

// The quick test as a viewer makes it: the first 2 KB (zero-padded), or the
// file's handle.
int ClaimsBuffer(const std::string& name, const Bytes& bytes) {
  Bytes window(2048, 0);
  std::copy(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), 2048),
            window.begin());
  return SetSuite::album->isSupported(name.c_str(), reinterpret_cast<DWORD_PTR>(window.data()));
}
int ClaimsHandle(const std::string& path) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const int claimed = SetSuite::album->isSupported(path.c_str(), reinterpret_cast<DWORD_PTR>(file));
  LARGE_INTEGER position = {};
  const LARGE_INTEGER none = {};
  SetFilePointerEx(file, none, &position, FILE_CURRENT);
  CloseHandle(file);
  EXPECT_EQ(position.QuadPart, 0) << "the host's handle was moved";
  return claimed;
}

TEST_F(SetPlugin, ClaimsOnlySetsWithCelsInArchivesOfTheirNameAndConfigurations) {
  const TempFolder folder;
  const Bytes zip = ReadBytes(kSamples + "\\archives\\mira.zip");
  const Bytes lzh = ReadBytes(kSamples + "\\archives\\mira.lzh");
  const Bytes cnf = ReadBytes(kSampleSet + "\\mira.cnf");
  struct Case {
    std::string name;
    Bytes bytes;
    int claimed;
  };
  const std::vector<Case> cases = {
      {"mira.zip", zip, 1},
      {"MIRA.ZIP", zip, 1},
      {"mira.lzh", lzh, 1},
      {"mira.lha", lzh, 1},
      {"mira.cnf", cnf, 1},
      {"mira.zip.txt", zip, 0},  // another name: another plug-in's
      {"mira.lzh", zip, 0},      // a ZIP named as LZH
      {"mira.zip", lzh, 0},
      {"mira.zip", Bytes(zip.begin(), zip.begin() + 10), 0},  // no set behind the signature
      {"mira.cnf", Bytes(2048, 'x'), 0},
      {"empty.zip", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClaimsBuffer(c.name, c.bytes), c.claimed);
    EXPECT_EQ(ClaimsHandle(folder.Write(c.name, c.bytes)), c.claimed);
  }
  // A buffer shorter than 2 KB at the end of readable memory.
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  auto* pages = static_cast<std::uint8_t*>(
      VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  ASSERT_NE(pages, nullptr);
  DWORD old = 0;
  VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old);
  std::uint8_t* shortBuffer = pages + system.dwPageSize - 100;
  std::copy(zip.begin(), zip.begin() + 100, shortBuffer);
  // Read up to the end of what is readable, and answered as for those bytes
  // zero-padded.
  const Bytes head(zip.begin(), zip.begin() + 100);
  EXPECT_EQ(album->isSupported("mira.zip", reinterpret_cast<DWORD_PTR>(shortBuffer)),
            ClaimsBuffer("mira.zip", head));
  VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace

namespace {

std::uint64_t Little(const Bytes& bytes, std::size_t at, std::size_t size) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < size; ++i) value |= std::uint64_t{bytes[at + i]} << (8 * i);
  return value;
}

// The first record of the sample ZIP's list read from the block's bytes by
// the interface's layout, not through the plug-in's structure: the page,
// 200 x 320 at 24 bits (rows of 600 bytes).
template <typename Listed>
void ExpectFirstRecordLaidOut(const Listed& listed, std::size_t charSize) {
  constexpr std::size_t kPointer = sizeof(void*);
  const std::size_t names = 8 + 4 * kPointer;
  const std::size_t record = names + 400 * charSize + 4 + (kPointer == 8 ? 4 : 0);
  EXPECT_EQ(record, charSize == 1 ? (kPointer == 8 ? 448u : 428u) : (kPointer == 8 ? 848u : 828u));
  ASSERT_GE(listed.raw.size(), 2 * record);
  const Bytes& raw = listed.raw;
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 5), std::string("page\0", 5));
  EXPECT_EQ(Little(raw, 8, kPointer), 0u);                               // position
  EXPECT_EQ(Little(raw, 8 + kPointer, kPointer), 14u + 40 + 600 * 320);  // compsize
  EXPECT_EQ(Little(raw, 8 + 2 * kPointer, kPointer), 14u + 40 + 600 * 320);
  EXPECT_EQ(Little(raw, names, charSize), 0u);  // no folder
  const char* name = "!mira.set0.bmp";
  for (std::size_t i = 0; i <= std::strlen(name); ++i)
    EXPECT_EQ(Little(raw, names + 200 * charSize + i * charSize, charSize),
              static_cast<std::uint8_t>(name[i]))
        << i;
  EXPECT_EQ(Little(raw, names + 400 * charSize, 4), 0u);  // a made file's crc
  EXPECT_EQ(Little(raw, record + 8, kPointer), 1u);       // the next record's position
}

TEST_F(SetPlugin, ListsAreLaidOutAsTheInterfaceSaysInBothWidths) {
  const std::string zip = kSamples + "\\archives\\mira.zip";
  ExpectFirstRecordLaidOut(List(zip), 1);
  ExpectFirstRecordLaidOut(ListW(Widened(zip)), 2);
}

}  // namespace
