// The folder of a KiSS set as the composer reads it: the files its
// configuration names, beside the configuration, by 8-bit or wide path.
#pragma once

#include <string>

#include "doll/doll_compose.h"

template <typename Char>
class SetFolder : public DollFiles {
 public:
  // The folder of configPath (up to its last separator). False when the path
  // cannot be taken apart: null, or for an 8-bit path longer than 258
  // characters, which cut short would name another folder.
  bool Open(const Char* configPath);

  // name is 8-bit text of the ANSI code page. An 8-bit path that would pass
  // 259 characters is not opened: the file is missing.
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override;

 private:
  std::basic_string<Char> folder_;
};

extern template class SetFolder<char>;
extern template class SetFolder<wchar_t>;
