// File patterns as plug-ins state them ("*.cel", "*.jpg;*.jpeg"). Free of
// Windows headers.
#pragma once

#include <string>
#include <vector>

// The single patterns of a list separated by ';' (blanks around them dropped).
std::vector<std::string> SplitPatterns(const std::string& list);

// True when name matches pattern: '*' any run of characters, '?' any one,
// letters compared without regard to ASCII case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

// True when name matches one of the patterns of the list.
bool MatchesAnyPattern(const std::string& name, const std::vector<std::string>& patterns);

// True when one of a plug-in's patterns is "*.cnf" (in any case): the
// plug-in shows the doll that a KiSS set's configuration file dresses.
bool ServesDolls(const std::vector<std::string>& patterns);
