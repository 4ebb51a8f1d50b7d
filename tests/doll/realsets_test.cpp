// Real KiSS sets, composed as a viewer opens them. The sets are not part of
// the project; the test skips when their folder is absent.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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

class DollRealSets : public DollSuite {
 protected:
  void SetUp() override {
    DollSuite::SetUp();
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
      const unsigned pagesWithCels = PagesWithCels(text);
      EXPECT_NE(pagesWithCels & 1, 0u);
      Bytes head = text;
      head.resize(2048, 0);
      EXPECT_EQ(doll->isSupported(path.c_str(), reinterpret_cast<DWORD_PTR>(head.data())), 1);

      int pages = 0;
      for (int page = 0; page < 10; ++page) {
        const Decoded picture = page % 2 == 0 ? Page(path, page) : PageW(Widened(path), page);
        if (picture.code == -1 && page > 0) break;
        ASSERT_EQ(picture.code, 0) << "page " << page;
        ++pages;
        // Something is drawn: not one flat colour, where any cel shows.
        if ((pagesWithCels & (1u << page)) == 0) continue;
        const std::uint32_t first = picture.ColourAt(0, 0);
        bool varied = false;
        for (std::uint32_t y = 0; y < picture.Height() && !varied; ++y)
          for (std::uint32_t x = 0; x < picture.Width() && !varied; ++x)
            varied = picture.ColourAt(x, y) != first;
        EXPECT_TRUE(varied) << "page " << page << " is one colour";
      }
      EXPECT_GE(pages, 1);
      std::printf("%s: %d page(s)\n", path.c_str(), pages);
    }
  }
  EXPECT_GT(configurations, 0);
}

}  // namespace
