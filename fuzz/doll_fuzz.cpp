// A set's configuration of any bytes, and files of any bytes for the names it
// gives: reading the cel, palette and page lines and composing every page
// must stay within the data, write every byte of the canvas, and give the
// same doll each time.
//
// Input: a page byte, then records of a 1-byte name length, the name, a
// 3-byte little-endian data length and the data; the first record is the
// configuration, the others the set's files. Lengths past the input's end
// take what is there.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr std::int64_t kCanvasSideLimit = 300;  // enough to clip, small enough to run fast

struct Record {
  std::string name;
  std::vector<std::uint8_t> data;
};

std::vector<Record> ReadRecords(const std::uint8_t* data, std::size_t size) {
  std::vector<Record> records;
  std::size_t at = 0;
  auto take = [&](std::size_t count) {
    const std::size_t available = std::min(count, size - at);
    const std::uint8_t* begin = data + at;
    at += available;
    return std::vector<std::uint8_t>(begin, begin + available);
  };
  while (at < size) {
    Record record;
    const std::vector<std::uint8_t> nameLength = take(1);
    const std::vector<std::uint8_t> name = take(nameLength.empty() ? 0 : nameLength[0]);
    record.name.assign(name.begin(), name.end());
    const std::vector<std::uint8_t> length = take(3);
    std::size_t dataLength = 0;
    for (std::size_t i = 0; i < length.size(); ++i) dataLength |= std::size_t{length[i]} << (8 * i);
    record.data = take(dataLength);
    records.push_back(std::move(record));
  }
  return records;
}

std::string Folded(std::string name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

class RecordedSet : public DollFiles {
 public:
  explicit RecordedSet(const std::vector<Record>& records) {
    for (std::size_t i = 1; i < records.size(); ++i) files_[Folded(records[i].name)] = &records[i];
  }
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
    const auto found = files_.find(Folded(name));
    if (found == files_.end()) return false;
    // A copy of exactly the file's size, so that a read past it is reported.
    bytes->assign(found->second->data.begin(), found->second->data.end());
    bytes->shrink_to_fit();
    return true;
  }

 private:
  std::map<std::string, const Record*> files_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::vector<Record> records = ReadRecords(data + 1, size - 1);
  if (records.empty()) return 0;
  const ExactBytes text(records[0].data.data(), records[0].data.size());
  LooksLikeDollConfig(text.View());
  DollConfig config = ReadDollConfig(text.View());

  Require(config.pages.size() <= static_cast<std::size_t>(kDollPageLimit), "at most ten pages");
  const int pages = DollPageCount(config);
  Require(pages >= 1 && pages <= kDollPageLimit, "one to ten pages");
  for (const DollCel& cel : config.cels) {
    Require(!cel.name.empty(), "a placed cel has a name");
    Require(cel.pages <= 0x3FF, "pages 0 to 9 only");
    Require(cel.object >= 0, "object numbers are not negative");
  }
  if (!DollSizeServed(config)) return 0;
  config.width = std::min(config.width, kCanvasSideLimit);
  config.height = std::min(config.height, kCanvasSideLimit);

  RecordedSet set(records);
  const PicturePlan plan = DollPicturePlan(config);
  const int page = data[0] % (pages + 1);  // one past the last as well
  std::vector<std::uint8_t> zeroed(static_cast<std::size_t>(plan.pixelBytes), 0x00);
  std::vector<std::uint8_t> filled(static_cast<std::size_t>(plan.pixelBytes), 0xFF);
  ComposeDoll(config, page, set, zeroed.data());
  ComposeDoll(config, page, set, filled.data());
  Require(zeroed == filled, "every byte of the canvas is written, the same each time");
  const std::size_t rowBytes = static_cast<std::size_t>(config.width) * 3;
  for (std::size_t row = 0; row < static_cast<std::size_t>(config.height); ++row)
    for (std::size_t i = rowBytes; i < plan.stride; ++i)
      Require(zeroed[row * plan.stride + i] == 0, "row padding is zero");
  return 0;
}
