// A file system in memory for the palette search's core: folders list their
// entries in the order they were made, every change stamps the file and its
// folder with the clock (rounded down to the clock's coarseness, as real
// file systems do), and every call the search makes is counted. Safe to use
// from several threads.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/char_steps.h"
#include "palette/folder_search.h"

class FakeFolders : public FolderAccess<char> {
 public:
  // One second, in the 100 ns ticks of the write times.
  static constexpr std::uint64_t kSecond = 10000000;

  struct Counts {
    int lists = 0;
    int reads = 0;
    int stamps = 0;
    int volumeQuestions = 0;
  };

  void Write(const std::string& folder, const std::string& name, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    Folder& f = folders_[folder];
    const std::string path = folder + "\\" + name;
    if (std::find(f.names.begin(), f.names.end(), name) == f.names.end()) {
      f.names.push_back(name);
      f.stamp.writeTime = StampTime();
    }
    File& file = files_[path];
    file.bytes = text;
    file.stamp = {text.size(), StampTime()};
  }
  void Remove(const std::string& folder, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    Folder& f = folders_[folder];
    f.names.erase(std::remove(f.names.begin(), f.names.end(), name), f.names.end());
    f.stamp.writeTime = StampTime();
    files_.erase(folder + "\\" + name);
  }
  void Rename(const std::string& folder, const std::string& from, const std::string& to) {
    std::lock_guard<std::mutex> lock(mutex_);
    Folder& f = folders_[folder];
    const auto it = std::find(f.names.begin(), f.names.end(), from);
    if (it == f.names.end() || std::find(f.names.begin(), f.names.end(), to) != f.names.end())
      return;
    *it = to;
    f.stamp.writeTime = StampTime();
    const auto file = files_.find(folder + "\\" + from);
    files_[folder + "\\" + to] = file->second;  // a rename keeps the file's own stamp
    files_.erase(folder + "\\" + from);
  }
  void Advance(std::uint64_t ticks) {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += ticks;
  }
  void SetCoarseness(std::uint64_t ticks) { coarseness_ = ticks; }
  void SetTimeTracksEntries(bool tracks) { timeTracksEntries_ = tracks; }
  void SetListingStamps(bool given) { listingStamps_ = given; }
  Counts Taken() {
    std::lock_guard<std::mutex> lock(mutex_);
    const Counts counts = counts_;
    counts_ = {};
    return counts;
  }

  bool List(const std::string& folder, std::vector<ListedFile<char>>* entries) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_.lists;
    const auto it = folders_.find(folder);
    if (it == folders_.end()) return false;
    for (const std::string& name : it->second.names) {
      ListedFile<char> entry{name, ""};
      if (const auto file = files_.find(folder + "\\" + name); file != files_.end()) {
        entry.stamped = listingStamps_;
        entry.stamp = file->second.stamp;
      }
      entries->push_back(std::move(entry));
    }
    return true;
  }
  bool Stamp(const std::string& path, FileStamp* stamp) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_.stamps;
    if (const auto folder = folders_.find(path); folder != folders_.end()) {
      *stamp = folder->second.stamp;
      return true;
    }
    const auto file = files_.find(path);
    if (file == files_.end()) return false;
    *stamp = file->second.stamp;
    return true;
  }
  bool Read(const std::string& path, std::size_t wanted,
            std::vector<std::uint8_t>* bytes) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_.reads;
    const auto file = files_.find(path);
    if (file == files_.end()) return false;
    bytes->assign(file->second.bytes.begin(), file->second.bytes.end());
    if (wanted != 0) bytes->resize(wanted, 0);
    return true;
  }
  bool SameCelName(const std::string& field, const std::string& celName) override {
    return test_steps::CompareNoCase(field.c_str(), celName.c_str()) == 0;
  }
  std::string PathFromCnfText(const std::string& name) override { return name; }
  const NextChar& CnfSteps() override { return NextByte; }
  const LineAllocator& TextHeap() override { return test_steps::kHeap; }
  std::uint64_t Now() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
  }
  bool FolderTimeTracksEntries(const std::string&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counts_.volumeQuestions;
    return timeTracksEntries_;
  }

 private:
  struct File {
    std::string bytes;
    FileStamp stamp;
  };
  struct Folder {
    std::vector<std::string> names;
    FileStamp stamp;
  };
  std::uint64_t StampTime() const { return now_ / coarseness_ * coarseness_; }

  std::mutex mutex_;
  std::map<std::string, Folder> folders_;
  std::map<std::string, File> files_;
  std::uint64_t now_ = 1000 * kSecond;
  std::uint64_t coarseness_ = 1;
  bool timeTracksEntries_ = true;
  bool listingStamps_ = true;
  Counts counts_;
};
