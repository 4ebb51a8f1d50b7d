#include "options.h"

#include <cctype>

namespace {

// The five display settings, in the order in which they are written.
struct SettingOption {
  const char* option;
  const char* valueName;
};
constexpr SettingOption kSettingOptions[] = {
    {"--alpha-type", "AlphaType"}, {"--color-light", "ColorLight"}, {"--color-dark", "ColorDark"},
    {"--grid-x", "GridSizeX"},     {"--grid-y", "GridSizeY"},
};

void SetSetting(Options& options, const char* name, std::uint32_t value) {
  for (SettingOverride& s : options.settings)
    if (s.name == name) {
      s.value = value;
      return;
    }
  options.settings.push_back(SettingOverride{name, value});
}

// Keeps the settings in the order of the table, whatever the command line's order.
void SortSettings(Options& options) {
  std::vector<SettingOverride> sorted;
  for (const SettingOption& known : kSettingOptions)
    for (const SettingOverride& s : options.settings)
      if (s.name == known.valueName) sorted.push_back(s);
  options.settings = sorted;
}

}  // namespace

const char* const kDollNeedsNames =
    "a doll plug-in reads the set's files by name, so --memory cannot serve it";

bool ParseNumber(const std::string& text, std::uint32_t& value) {
  std::size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) ++i;
  unsigned base = 10;
  if (text.size() > i + 1 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= text.size()) return false;
  std::uint64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(c)) {
      digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
    } else {
      return false;
    }
    magnitude = magnitude * base + digit;
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (negative) {
    if (magnitude > 0x80000000ull) return false;
    value = static_cast<std::uint32_t>(0x100000000ull - magnitude);
  } else {
    value = static_cast<std::uint32_t>(magnitude);
  }
  return true;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed;
  Options& options = parsed.options;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
      options.inputs.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    // "--name=value" is the same as "--name value".
    std::string inlineValue;
    bool hasInlineValue = false;
    const std::size_t equals = arg.find('=');
    if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      inlineValue = arg.substr(equals + 1);
      hasInlineValue = true;
      arg.resize(equals);
    }
    auto takeValue = [&](std::string& out) {
      if (hasInlineValue) {
        out = inlineValue;
        return true;
      }
      if (i + 1 >= args.size()) {
        parsed.error = arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    auto flag = [&](bool& out) {
      if (hasInlineValue) {
        parsed.error = arg + " takes no value";
        return false;
      }
      out = true;
      return true;
    };

    bool ok = true;
    bool known = true;
    if (arg == "-h" || arg == "--help") {
      ok = flag(options.help);
    } else if (arg == "--plugin") {
      ok = takeValue(options.pluginPath);
    } else if (arg == "-o" || arg == "--out") {
      ok = takeValue(options.outFolder);
    } else if (arg == "--sheet") {
      ok = takeValue(options.sheetPath);
    } else if (arg == "--bmp") {
      ok = flag(options.bmp);
    } else if (arg == "--memory") {
      ok = flag(options.memory);
    } else if (arg == "-r" || arg == "--recursive") {
      ok = flag(options.recursive);
    } else if (arg == "--info") {
      ok = flag(options.info);
    } else if (arg == "--doll") {
      ok = flag(options.doll);
    } else {
      known = false;
      for (const SettingOption& setting : kSettingOptions) {
        if (arg != setting.option) continue;
        known = true;
        std::string text;
        std::uint32_t value = 0;
        ok = takeValue(text);
        if (ok && !ParseNumber(text, value)) {
          parsed.error = arg + ": not a 32-bit number: " + text;
          ok = false;
        }
        if (ok) SetSetting(options, setting.valueName, value);
      }
    }
    if (!known) parsed.error = "unknown option " + arg;
    if (!ok || !known) return parsed;
  }
  SortSettings(options);
  if (options.help) return parsed;
  if (options.inputs.empty()) {
    parsed.error = "no file or folder given";
  } else if (options.outFolder.empty()) {
    parsed.error = "--out needs a folder";
  } else if (options.info && !options.sheetPath.empty()) {
    parsed.error = "--info decodes nothing, so it makes no contact sheet";
  } else if (options.doll && options.memory) {
    parsed.error = kDollNeedsNames;
  }
  return parsed;
}

const char* UsageText() {
  return "usage: spihost [options] FILE|FOLDER...\n"
         "\n"
         "Converts pictures through a Susie import plug-in, called as a viewer calls it:\n"
         "GetPluginInfo, IsSupported (file name and the first 2 KB), GetPictureInfo,\n"
         "GetPicture, then LocalFree of both blocks. Each picture is written as PNG (or\n"
         "BMP) into the output folder, one line per file tells what happened.\n"
         "\n"
         "A FOLDER stands for the files in it that match the plug-in's file patterns\n"
         "(GetPluginInfo 2, 4, ...), in name order; with --recursive its sub-folders\n"
         "too. A FILE is offered to the plug-in whatever its name; wildcards (* ?) in\n"
         "the last part of a FILE are expanded.\n"
         "\n"
         "An archive (*.lzh, *.lha, *.zip, given or found in a FOLDER) holds a KiSS set:\n"
         "every cel in it is written in the colours its configuration assigns and every\n"
         "page of every configuration file as the dressed doll (NAME.set0.png, ...),\n"
         "below a folder named after the archive, decoded by the plug-ins' own code as\n"
         "tamsa.spi and tamsadoll.spi decode an unpacked copy; one line per member.\n"
         "\n"
         "options:\n"
         "  --plugin PATH      the import plug-in (default: tamsa.spi beside a 32-bit\n"
         "                     spihost.exe, tamsa.sph beside a 64-bit one, else the one\n"
         "                     of the build that made spihost.exe); a 32-bit spihost\n"
         "                     loads only 32-bit plug-ins (*.spi), a 64-bit one only\n"
         "                     64-bit plug-ins (*.sph)\n"
         "  -o, --out DIR      output folder (default: the current folder); pictures from\n"
         "                     a FOLDER keep their place below it, e.g. loose\\moon.png\n"
         "  --bmp              write 24-bit BMP instead of PNG\n"
         "  --memory           hand the plug-in the file's bytes (input mode 1) instead of\n"
         "                     its name (input mode 0)\n"
         "  -r, --recursive    descend into the sub-folders of FOLDER arguments\n"
         "  --info             print the plug-in's information strings and each file's\n"
         "                     picture information; decode and write nothing\n"
         "  --sheet FILE.png   also write a contact sheet: every decoded picture side by\n"
         "                     side, each labelled with its file name\n"
         "  --doll             show KiSS sets: each FILE is a set's configuration file\n"
         "                     (*.cnf), a FOLDER stands for the *.cnf files in it, and\n"
         "                     each page (set) 0 to 9 of the doll is written as\n"
         "                     NAME.set0.png, NAME.set1.png, ... (sheet labels\n"
         "                     \"NAME.cnf set0\", ...), asked of the plug-in's\n"
         "                     GetDollPageW until it answers -1 (page 0 alone through\n"
         "                     GetPicture when it has no GetDollPage). Default plug-in:\n"
         "                     tamsadoll.spi (tamsadoll.sph) beside spihost.exe, else\n"
         "                     the build's. A plug-in whose file pattern is *.cnf is\n"
         "                     taken this way without --doll\n"
         "\n"
         "display settings for this run, restored when it ends (registry key\n"
         "HKEY_CURRENT_USER\\Software\\Belvarod\\Susie\\Plug-in\\Tamsa, REG_DWORD values):\n"
         "  --alpha-type N     AlphaType: 0 blend 32-bit cels over a checker pattern,\n"
         "                     other values leave fully transparent pixels white\n"
         "  --color-light C    ColorLight, the pattern's light colour, 0xBBGGRR\n"
         "  --color-dark C     ColorDark, the pattern's dark colour, 0xBBGGRR\n"
         "  --grid-x N         GridSizeX, width of a pattern cell in pixels\n"
         "  --grid-y N         GridSizeY, height of a pattern cell in pixels\n"
         "  (the plug-in reads the pattern settings only while AlphaType is 0: given\n"
         "  without --alpha-type and with no AlphaType stored, AlphaType 0 is set too)\n"
         "\n"
         "exit status: 0 every file converted, 1 some file failed, 2 bad command line or\n"
         "unusable plug-in.\n";
}
