#include "output_names.h"

std::string OutputPath(const std::string& folder, const std::string& stem, bool bmp) {
  const std::string separator = folder.back() == '\\' ? "" : "\\";
  return folder + separator + stem + (bmp ? ".bmp" : ".png");
}

std::string DollPageStem(const std::string& stem, int page) {
  return stem + ".set" + std::to_string(page);
}

std::string DollPageLabel(const std::string& label, int page) {
  return label + " set" + std::to_string(page);
}
