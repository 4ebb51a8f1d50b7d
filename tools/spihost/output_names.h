// The names of what spihost writes: picture files below the output folder,
// and the files and labels of a doll's pages. Free of Windows headers.
#pragma once

#include <string>

// folder\stem.png, or .bmp; folder uses backslashes.
std::string OutputPath(const std::string& folder, const std::string& stem, bool bmp);

// Page k of the doll whose configuration file gives stem and label:
// "mira.set0" and "mira.cnf set0".
std::string DollPageStem(const std::string& stem, int page);
std::string DollPageLabel(const std::string& label, int page);

// The name or path without its last extension ("sub\\a.cel" -> "sub\\a").
std::string WithoutExtension(const std::string& name);
