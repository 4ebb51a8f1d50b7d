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

std::string WithoutExtension(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  const std::size_t separator = name.find_last_of("\\/");
  if (dot == std::string::npos || dot == 0 || (separator != std::string::npos && dot < separator))
    return name;
  return name.substr(0, dot);
}
