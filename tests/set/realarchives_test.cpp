// The real set archives beside the project, when present: each opens as an
// album whose every page and cel equals what tamsadoll and tamsa make of an
// unpacked copy (unpacked here through the core's set); the damaged one is
// refused with a result.
#include <memory>

#include "set/set_host.h"
#include "spi/archive_file.h"
#include "spi/system_set_text.h"

namespace {

const std::string kRealArchives = TAMSA_REALARCHIVES_PATH;

std::wstring WideOf(const char* text) { return Widened(text); }
std::wstring WideOf(const wchar_t* text) { return text; }

// Every member of the archive written under folder by its path; false when
// the archive does not open.
bool Unpack(const std::wstring& archive, const std::wstring& folder) {
  ArchiveStatus status = ArchiveStatus::kBroken;
  const auto set = OpenArchiveSet(ArchiveFile::Open(archive.c_str()),
                                  std::make_shared<SystemSetText>(), ArchiveLimits{}, &status);
  if (set == nullptr) return false;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    if (member.problem != ArchiveStatus::kOk || set->Read(i, &bytes) != ArchiveStatus::kOk)
      continue;
    std::wstring at = folder;
    for (std::size_t part = 0; part < member.folder.size(); ++part) {
      if (member.folder[part] == L'\\') CreateDirectoryW(at.c_str(), nullptr);
      at.push_back(member.folder[part]);
    }
    CreateDirectoryW((folder + L"\\" + member.folder).c_str(), nullptr);
    const std::wstring path = folder + L"\\" + member.path;
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
    CloseHandle(file);
  }
  return true;
}

Bytes PictureFileW(int code, HLOCAL info, HLOCAL pixels) {
  const Decoded picture = TakeDecoded(code, info, pixels);
  EXPECT_EQ(picture.code, 0);
  return SetSuite::BmpFile(picture);
}

using SetRealArchives = SetSuite;

TEST_F(SetRealArchives, EveryMemberEqualsTheUnpackedSetsPictures) {
  if (!IsFolder(kRealArchives)) GTEST_SKIP() << "no real archives at " << kRealArchives;
  int archives = 0;
  for (const char* pattern : {"*.lzh", "*.zip"}) {
    for (const std::string& name : ListNames(kRealArchives, pattern)) {
      SCOPED_TRACE(name);
      const std::string path = kRealArchives + "\\" + name;
      const Listed<ArchiveFileInfoW> listed = ListW(Widened(path));
      if (name == "arwen.lzh") {  // damaged on its way: refused, nothing listed
        EXPECT_NE(listed.code, 0);
        EXPECT_TRUE(listed.null);
        continue;
      }
      ASSERT_EQ(listed.code, 0);
      ++archives;
      const TempFolder unpacked;
      const std::wstring folder = Widened(unpacked.Path());
      ASSERT_TRUE(Unpack(Widened(path), folder));
      int pages = 0, cels = 0;
      for (const ArchiveFileInfoW& info : listed.records) {
        const std::wstring member = std::wstring(info.path) + info.filename;
        SCOPED_TRACE(std::string(member.begin(), member.end()));
        Bytes file;
        ASSERT_EQ(FetchW(Widened(path), static_cast<LONG_PTR>(info.position), &file), 0);
        ASSERT_EQ(file.size(), info.filesize);
        const std::wstring stem = member.substr(0, member.size() - 4);
        const std::size_t set = stem.rfind(L".set");
        HLOCAL header = nullptr, pixels = nullptr;
        if (std::string(reinterpret_cast<const char*>(info.method)) == "page") {
          // path + "!" + the configuration's name less ".cnf" + ".setN"
          ASSERT_NE(set, std::wstring::npos);
          ASSERT_EQ(info.filename[0], L'!');
          const std::wstring config =
              folder + L"\\" + info.path +
              stem.substr(wcslen(info.path) + 1, set - wcslen(info.path) - 1) + L".cnf";
          const int code =
              doll->getDollPageW(config.c_str(), std::stoi(stem.substr(set + 4)), &header, &pixels);
          EXPECT_EQ(file, PictureFileW(code, header, pixels));
          ++pages;
        } else if (std::string(reinterpret_cast<const char*>(info.method)) == "cel") {
          const std::wstring cel = folder + L"\\" + stem + L".cel";
          const int code = tamsa->getPictureW(cel.c_str(), 0, 0, &header, &pixels, nullptr, 0);
          EXPECT_EQ(file, PictureFileW(code, header, pixels));
          ++cels;
        }
      }
      EXPECT_GT(pages, 0);
      EXPECT_GT(cels, 0);
    }
  }
  EXPECT_EQ(archives, 5);
}

}  // namespace
