#include "name_pattern.h"

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitPatterns(const std::string& list) {
  std::vector<std::string> patterns;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::size_t first = start;
    std::size_t last = end;
    while (first < last && IsBlank(list[first])) ++first;
    while (last > first && IsBlank(list[last - 1])) --last;
    if (last > first) patterns.push_back(list.substr(first, last - first));
    start = end + 1;
  }
  return patterns;
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
  // Iterative matching with one backtrack point: the last '*' seen.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t starPattern = std::string::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starPattern = p++;
      starName = n;
    } else if (starPattern != std::string::npos) {
      p = starPattern + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool MatchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns)
    if (MatchesPattern(name, pattern)) return true;
  return false;
}

bool ServesDolls(const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns) {
    if (pattern.size() != 5) continue;
    std::string folded;
    for (char c : pattern) folded += Fold(c);
    if (folded == "*.cnf") return true;
  }
  return false;
}
