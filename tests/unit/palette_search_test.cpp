// The palette search on folders made by the test: configuration files,
// palette files and cels written to disk and listed by the file system.
#include "spi/palette_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_files.h"

namespace {

struct Answer {
  int result;
  std::string out;
};

Answer Find(const std::string& celPath, int outSize = MAX_PATH) {
  std::vector<char> out(static_cast<std::size_t>(outSize) + 1, 'x');
  const int result = FindPaletteFile(out.data(), celPath.c_str(), outSize);
  return {result, out.data()};
}

// The file system's listing order is its own; the tests ask it.
std::string FirstListed(const std::string& folder, const char* pattern) {
  const std::vector<std::string> names = ListNames(folder, pattern);
  return names.empty() ? "" : names.front();
}

Bytes SomePalette() { return PaletteFile(12, 16, 1, Bytes(32, 0x11)); }

// Files whose full path is longer than MAX_PATH, made and removed through
// the "\\?\" form, which only the wide functions take past MAX_PATH. The
// names are ASCII, so widening each character is the conversion.
class LongFile {
 public:
  LongFile(const std::string& folder, const std::string& name, const std::string& text) {
    const std::string path = "\\\\?\\" + folder + "\\" + name;
    path_.assign(path.begin(), path.end());
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    made_ = file != INVALID_HANDLE_VALUE;
    if (!made_) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }
  ~LongFile() {
    if (made_) DeleteFileW(path_.c_str());
  }
  LongFile(const LongFile&) = delete;
  LongFile& operator=(const LongFile&) = delete;
  bool Made() const { return made_; }

 private:
  std::wstring path_;
  bool made_ = false;
};

void WriteAt(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// A folder of about length characters inside base, made one level at a time.
std::string DeepFolder(const std::string& base, std::size_t length) {
  std::string folder = base;
  while (folder.size() + 1 < length) {
    const std::size_t part = std::min<std::size_t>(60, length - folder.size() - 1);
    folder += "\\" + std::string(part, 'd');
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  return folder;
}

TEST(PaletteSearch, WithoutConfigurationFilesNothingIsGuessed) {
  TempFolder set;
  set.Write("a.kcf", SomePalette());
  const std::string cel = set.Write("body.cel", HeadedCel(0x20, 4, 1, 1));
  const Answer answer = Find(cel);
  EXPECT_EQ(answer.result, -1);
  EXPECT_EQ(answer.out, "");
}

TEST(PaletteSearch, AnUnplacedCelTakesTheFirstPaletteFile) {
  TempFolder set;
  set.Write("set.cnf", "%a.kcf\r\n#1 arm.cel *0\r\n # body.cel *0\r\n");
  const std::string cel = set.Path() + "\\body.cel";
  EXPECT_EQ(Find(cel).result, -1);
  set.Write("b.kcf", SomePalette());
  set.Write("a.kcf", SomePalette());
  const Answer answer = Find(cel);
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.out, set.Path() + "\\" + FirstListed(set.Path(), "*.kcf"));
}

TEST(PaletteSearch, PaletteNumbersNameThePaletteFilesInLineOrder) {
  TempFolder set;
  set.Write("p0.kcf", PaletteFile(12, 16, 2, Bytes(64, 0x21)));
  set.Write("p1.kcf", Bytes(320, 0x43));  // headerless
  set.Write("p2.kcf", PaletteFile(24, 256, 1, Bytes(768, 0x65)));
  set.Write("P3.KCF", Bytes(32, 0x87));  // headerless, shorter than its ten groups
  set.Write("set.cnf",
            "; KiSS set\r\n(640,480)\r\n%p0.kcf ;main\r\n%p1.kcf\r\n%p2.kcf\r\n%P3.KCF\r\n"
            "#1 c0.cel *0 :0 1\r\n#2 c1.cel *1 :0\r\n#3.5 c2.cel *2\r\n#4 c3.cel *3 ;x\r\n"
            "#5 c4.cel *4\r\n#6 c99.cel *99\r\n#7 cnone.cel :0 *2\r\n#8 cplus.cel *+2\r\n"
            "#9 cneg.cel *-1\r\n#10 cneg.cel *1\r\n#11 conly.cel *-1\r\n");
  const std::string folder = set.Path() + "\\";
  struct Case {
    const char* cel;
    const char* palette;
  };
  const Case cases[] = {
      {"c0.cel", "p0.kcf"},    {"C1.CEL", "p1.kcf"},    {"c2.cel", "p2.kcf"},
      {"c3.cel", "P3.KCF"},    {"c4.cel", "p0.kcf"},    {"c99.cel", "p0.kcf"},
      {"cnone.cel", "p0.kcf"}, {"cplus.cel", "p2.kcf"}, {"cneg.cel", "p1.kcf"},
  };
  for (const Case& c : cases) {
    const Answer answer = Find(folder + c.cel);
    EXPECT_EQ(answer.result, 0) << c.cel;
    EXPECT_EQ(answer.out, folder + c.palette) << c.cel;
  }
  // Placed only with a negative number: not placed, so the folder's first one.
  const Answer only = Find(folder + "conly.cel");
  EXPECT_EQ(only.result, 0);
  EXPECT_EQ(only.out, folder + FirstListed(set.Path(), "*.kcf"));
}

TEST(PaletteSearch, TheFirstConfigurationThatPlacesTheCelDecides) {
  TempFolder set;
  set.Write("z.kcf", SomePalette());
  set.Write("a.cnf", "%a.pal\n#1 body.cel *0\n");
  set.Write("b.cnf", "%b.pal\n#1 body.cel *0\n");
  const std::string first = FirstListed(set.Path(), "*.cnf");
  const Answer answer = Find(set.Path() + "\\body.cel");
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.out, set.Path() + (first == "a.cnf" ? "\\a.pal" : "\\b.pal"));

  // One that places the cel without a palette line still ends the search.
  set.Write(first, "#1 body.cel *0\n");
  const Answer fallback = Find(set.Path() + "\\body.cel");
  EXPECT_EQ(fallback.result, 0);
  EXPECT_EQ(fallback.out, set.Path() + "\\z.kcf");

  // One that does not place it is passed over.
  set.Write(first, "%a.pal\n#1 arm.cel *0\n");
  const Answer later = Find(set.Path() + "\\body.cel");
  EXPECT_EQ(later.out, set.Path() + (first == "a.cnf" ? "\\b.pal" : "\\a.pal"));
}

TEST(PaletteSearch, ConfigurationTextEndsAtItsFirstZeroByte) {
  TempFolder set;
  set.Write("z.kcf", SomePalette());
  std::string text = "%a.pal\r\n";
  text += '\0';
  text += "#1 body.cel *0\r\n";
  set.Write("set.cnf", text);
  EXPECT_EQ(Find(set.Path() + "\\body.cel").out, set.Path() + "\\z.kcf");
  set.Write("set.cnf", "%a.pal\n\r#1 body.cel *0");  // LF CR, no final break
  EXPECT_EQ(Find(set.Path() + "\\body.cel").out, set.Path() + "\\a.pal");
}

TEST(PaletteSearch, ABlankPaletteNameGivesTheFolderItself) {
  TempFolder set;
  set.Write("set.cnf", "% a.kcf\r#1 body.cel *0\r");
  const Answer answer = Find(set.Path() + "\\body.cel");
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.out, set.Path() + "\\");
}

TEST(PaletteSearch, SeparatorsAreNotNormalised) {
  TempFolder set;
  set.Write("set.cnf", "%a.kcf\r#1 body.cel *0\r");
  // A folder that keeps its separator, as a drive root does.
  const Answer doubled = Find(set.Path() + "\\\\body.cel");
  EXPECT_EQ(doubled.result, 0);
  EXPECT_EQ(doubled.out, set.Path() + "\\\\a.kcf");
  const Answer slash = Find(set.Path() + "/body.cel");
  EXPECT_EQ(slash.out, set.Path() + "\\a.kcf");
  // A field 2 with a folder in it names another cel.
  set.Write("set.cnf", "%a.kcf\r#1 sub\\body.cel *0\r");
  set.Write("z.kcf", SomePalette());
  EXPECT_EQ(Find(set.Path() + "\\body.cel").out, set.Path() + "\\z.kcf");
}

TEST(PaletteSearch, ACelInADriveRoot) {
  TempFolder set;
  set.Write("set.cnf", "%a.kcf\r#1 body.cel *0\r");
  const DWORD drives = GetLogicalDrives();
  char letter = 0;
  for (char c = 'Q'; c <= 'Y' && letter == 0; ++c) {
    if ((drives & (1u << (c - 'A'))) == 0) letter = c;
  }
  if (letter == 0) GTEST_SKIP() << "no free drive letter";
  const std::string drive = std::string(1, letter) + ":";
  if (!DefineDosDeviceA(0, drive.c_str(), set.Path().c_str())) {
    GTEST_SKIP() << "cannot map a drive letter here";
  }
  // Wine records the mapping but resolves drive letters through its own
  // device folder, so the letter may not reach the folder's files.
  if (GetFileAttributesA((drive + "\\set.cnf").c_str()) == INVALID_FILE_ATTRIBUTES) {
    DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive.c_str(), set.Path().c_str());
    GTEST_SKIP() << "a drive letter mapped with DefineDosDeviceA does not reach the folder's "
                    "files on this system";
  }
  const Answer answer = Find(drive + "\\body.cel");
  DefineDosDeviceA(DDD_REMOVE_DEFINITION, drive.c_str(), set.Path().c_str());
  EXPECT_EQ(answer.result, 0);
  EXPECT_EQ(answer.out, drive + "\\\\a.kcf");
}

TEST(PaletteSearch, APathWithoutSeparatorLooksInTheDriveRoot) {
  TempFolder set;
  set.Write("set.cnf", "%a.kcf\r#1 body.cel *0\r");
  WIN32_FIND_DATAA entry;
  HANDLE root = FindFirstFileA("\\*.cnf", &entry);
  if (root != INVALID_HANDLE_VALUE) {
    FindClose(root);
    GTEST_SKIP() << "the drive root holds configuration files";
  }
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(set.Path().c_str());
  const Answer answer = Find("body.cel");
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(answer.result, -1);
  EXPECT_EQ(answer.out, "");
}

TEST(PaletteSearch, PathsThatDoNotFitAreSkippedNotCut) {
  TempFolder set;
  const std::string folder = DeepFolder(set.Path(), 230);
  ASSERT_GE(folder.size(), 225u);
  const std::string longName(40, 'L');
  const std::string cel = folder + "\\body.cel";
  {
    // A configuration file whose path is too long is not read.
    LongFile cnf(folder, longName + ".cnf", "%a.pal\r#1 body.cel *0\r");
    ASSERT_TRUE(cnf.Made());
    LongFile kcf(folder, longName + ".kcf", "");
    ASSERT_TRUE(kcf.Made());
    const Bytes palette = SomePalette();
    WriteAt(folder + "\\z.kcf", std::string(palette.begin(), palette.end()));
    const Answer answer = Find(cel);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.out, folder + "\\z.kcf");
  }
  {
    // A palette line whose path is too long leaves the folder's first
    // palette file that fits.
    LongFile kcf(folder, longName + ".kcf", "");
    ASSERT_TRUE(kcf.Made());
    const std::string cnfPath = folder + "\\s.cnf";
    WriteAt(cnfPath, "%x.kcf\r%" + longName + ".kcf\r#1 body.cel *1\r");
    const Answer answer = Find(cel);
    EXPECT_EQ(answer.result, 0);
    EXPECT_EQ(answer.out, folder + "\\z.kcf");
    DeleteFileA(cnfPath.c_str());
  }
}

TEST(PaletteSearch, UnusableArguments) {
  TempFolder set;
  set.Write("set.cnf", "%a.kcf\r#1 body.cel *0\r");
  const std::string cel = set.Path() + "\\body.cel";
  char out[8] = "keep";
  EXPECT_EQ(FindPaletteFile(nullptr, cel.c_str(), 260), -1);
  EXPECT_EQ(FindPaletteFile(out, cel.c_str(), 1), -1);
  EXPECT_STREQ(out, "keep");
  EXPECT_EQ(FindPaletteFile(out, nullptr, sizeof out), -1);
  EXPECT_STREQ(out, "");
  // The answer does not fit out: nothing cut short is returned.
  EXPECT_EQ(FindPaletteFile(out, cel.c_str(), sizeof out), -1);
  EXPECT_STREQ(out, "");
  const std::string fits = set.Path() + "\\a.kcf";
  EXPECT_EQ(Find(cel, static_cast<int>(fits.size()) + 1).out, fits);
  EXPECT_EQ(Find(cel, static_cast<int>(fits.size())).out, "");
  // A cel path longer than 258 characters is not taken apart cut short.
  EXPECT_EQ(Find(set.Path() + "\\" + std::string(260, 'c') + "\\body.cel").result, -1);
}

}  // namespace
