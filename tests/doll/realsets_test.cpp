// Real KiSS sets, composed as a viewer opens them. The sets are not part of
// the project; the test skips when their folder is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "doll/doll_host.h"

namespace {

// The pages some cel line shows a cel on (bit k: page k), read from the
// configuration's text: a ':' list names its pages, no list every page.
unsigned PagesWithCels(const Bytes& text) {
  unsigned pages = 0;
  std::string line;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != '\r' && text[i] != '\n') {
      line += static_cast<char>(text[i]);
      continue;
    }
    if (!line.empty() && line[0] == '#') {
      const std::string cel = line.substr(0, line.find(';'));
      const std::size_t colon = cel.find(':');
      if (colon == std::string::npos) pages |= 0x3FF;
      for (std::size_t k = colon + 1; colon != std::string::npos && k < cel.size(); ++k)
        if (cel[k] >= '0' && cel[k] <= '9') pages |= 1u << (cel[k] - '0');
    }
    line.clear();
  }
  return pages;
}

// The configuration files in folder and in the folders below it.
void FindConfigurations(const std::string& folder, std::vector<std::string>* paths) {
  for (const std::string& name : ListNames(folder, "*")) {
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    if (IsFolder(path)) {
      FindConfigurations(path, paths);
    } else if (name.size() > 4 && _stricmp(name.c_str() + name.size() - 4, ".cnf") == 0) {
      paths->push_back(path);
    }
  }
}

// Real sets beside the project: the test skips where their folder is absent.
class DollRealFolders : public DollSuite {
 protected:
  // Every page of the configuration at path composes (-1 only past the last);
  // with varied, a page that some cel line shows cels on is not one flat colour.
  static void ComposeEveryPage(const std::string& path, bool varied) {
    const Bytes text = ReadBytes(path);
    const unsigned pagesWithCels = PagesWithCels(text);
    int pages = 0;
    for (int page = 0; page < 10; ++page) {
      const Decoded picture = page % 2 == 0 ? Page(path, page) : PageW(Widened(path), page);
      if (picture.code == -1 && page > 0) break;
      EXPECT_EQ(picture.code, 0) << "page " << page;
      if (picture.code != 0) break;
      ++pages;
      if (!varied || (pagesWithCels & (1u << page)) == 0) continue;
      const std::uint32_t first = picture.ColourAt(0, 0);
      bool differs = false;
      for (std::uint32_t y = 0; y < picture.Height() && !differs; ++y)
        for (std::uint32_t x = 0; x < picture.Width() && !differs; ++x)
          differs = picture.ColourAt(x, y) != first;
      EXPECT_TRUE(differs) << "page " << page << " is one colour";
    }
    EXPECT_GE(pages, 1);
    std::printf("%s: %d page(s)\n", path.c_str(), pages);
  }
};

class DollRealSets : public DollRealFolders {
 protected:
  void SetUp() override {
    DollRealFolders::SetUp();
    if (!IsFolder(TAMSA_REALSETS_PATH)) GTEST_SKIP() << "no real sets at " << TAMSA_REALSETS_PATH;
  }
};

TEST_F(DollRealSets, EveryPageOfEverySetComposes) {
  int configurations = 0;
  for (const std::string& set : ListNames(TAMSA_REALSETS_PATH, "*")) {
    const std::string folder = std::string(TAMSA_REALSETS_PATH) + "\\" + set;
    if (!IsFolder(folder)) continue;
    for (const std::string& name : ListNames(folder, "*.cnf")) {
      const std::string path = folder + "\\" + name;
      SCOPED_TRACE(path);
      ++configurations;
      const Bytes text = ReadBytes(path);
      EXPECT_NE(PagesWithCels(text) & 1, 0u);
      Bytes head = text;
      head.resize(2048, 0);
      EXPECT_EQ(doll->isSupported(path.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 1);
      ComposeEveryPage(path, true);
    }
  }
  EXPECT_GT(configurations, 0);
}

// The sets of the real archives, unpacked by the test run's first step
// (scripts/unpack-realarchives.sh): they carry FKiSS of every level, cels
// the doll does not draw and damaged lines, and every page must compose.
TEST_F(DollRealFolders, EveryPageOfTheUnpackedArchivesComposes) {
  if (!IsFolder(TAMSA_REALARCHIVE_SETS_PATH))
    GTEST_SKIP() << "no unpacked archives at " << TAMSA_REALARCHIVE_SETS_PATH;
  std::vector<std::string> paths;
  FindConfigurations(TAMSA_REALARCHIVE_SETS_PATH, &paths);
  if (paths.empty()) GTEST_SKIP() << "no configuration among the unpacked archives";
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    ComposeEveryPage(path, false);
  }
}

}  // namespace
