// The Win32 pieces of a set held in an archive: the system's text rules for
// member names (a double-byte name whose second byte is '\' stays one name,
// a byte the code page cannot convert is a bad name) and the archive file
// read at any offset, never past its end.
#include <gtest/gtest.h>
#include <windows.h>

#include "spi/archive_file.h"
#include "spi/system_set_text.h"
#include "support/fake_archive.h"
#include "support/test_files.h"

namespace {

std::unique_ptr<ArchiveSet> OpenFake(const std::vector<FakeEntry>& entries) {
  ArchiveStatus status = ArchiveStatus::kOk;
  return OpenArchiveSetWith(&OpenFakeArchive, std::make_shared<OwnedSource>(FakeArchive(entries)),
                            std::make_shared<SystemSetText>(), ArchiveLimits(), &status);
}

TEST(SystemSetText, DoubleByteNamesStayWholeUnderCodePage932) {
  if (GetACP() != 932) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  // "表" is 0x95 0x5C: its second byte is the separator's.
  const auto set = OpenFake({{"sub\\\x95\x5C.cel", {1}}, {"\x81", {2}}, {"ok\\\x82\xA0.cnf", {3}}});
  ASSERT_NE(set, nullptr);
  ASSERT_EQ(set->Members().size(), 3u);
  EXPECT_EQ(set->Members()[0].path, L"sub\\\u8868.cel");
  EXPECT_EQ(set->Members()[0].name, L"\u8868.cel");
  EXPECT_EQ(set->Members()[1].problem, ArchiveStatus::kBadName);  // a lead byte alone
  EXPECT_EQ(set->Members()[2].path, L"ok\\\u3042.cnf");
  EXPECT_EQ(set->Find(L"SUB/\u8868.CEL"), 0);
}

TEST(SystemSetText, NamesCompareAsTheSystemComparesThem) {
  const SystemSetText text;
  EXPECT_TRUE(text.SameName(L"Body.CEL", L"bODY.cel"));
  EXPECT_TRUE(text.SameName(L"caf\u00E9.cel", L"CAF\u00C9.CEL"));
  EXPECT_FALSE(text.SameName(L"body.cel", L"body.ce"));
  std::wstring wide;
  EXPECT_TRUE(text.WidenName("", &wide));
  EXPECT_TRUE(wide.empty());
}

TEST(ArchiveFileSource, ReadsAtAnyOffsetAndNeverPastTheEnd) {
  TempFolder folder;
  const std::string path = folder.Write("a.zip", std::string("0123456789"));
  const auto file = ArchiveFile::Open(std::wstring(path.begin(), path.end()).c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Size(), 10u);
  char out[4] = {};
  ASSERT_TRUE(file->ReadAt(6, out, 4));
  EXPECT_EQ(std::string(out, 4), "6789");
  ASSERT_TRUE(file->ReadAt(0, out, 2));
  EXPECT_EQ(std::string(out, 2), "01");
  EXPECT_TRUE(file->ReadAt(10, out, 0));
  EXPECT_FALSE(file->ReadAt(7, out, 4));
  EXPECT_FALSE(file->ReadAt(11, out, 0));
  EXPECT_FALSE(file->ReadAt(~0ull, out, 1));
  EXPECT_EQ(ArchiveFile::Open(L"Z:\\no\\such\\archive.lzh"), nullptr);
}

}  // namespace
