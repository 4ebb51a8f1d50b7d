// spihost: a command-line Susie host. Loads an import plug-in as a viewer
// does and converts pictures through it to PNG or BMP files, optionally with
// a contact sheet; prints one line per file and what each failure means.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "contact_sheet.h"
#include "convert_file.h"
#include "file_io.h"
#include "file_list.h"
#include "image_encode.h"
#include "name_pattern.h"
#include "options.h"
#include "plugin_library.h"
#include "settings_override.h"
#include "sheet_layout.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitSomeFailed = 1;
constexpr int kExitUsage = 2;
// Batches at least this long show how far they have come: on a console as a
// counter that overwrites itself, elsewhere as a line at every tenth.
constexpr std::size_t kProgressFrom = 10;
constexpr std::size_t kProgressLinesFrom = 50;

// A process loads only plug-ins of its own width: 64-bit hosts take *.sph files.
constexpr const char* kOwnPluginFile = sizeof(void*) == 8 ? "tamsa.sph" : "tamsa.spi";

std::string DefaultPluginPath() {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string folder = FolderOf(exe);
  const std::string beside = folder.empty() ? kOwnPluginFile : folder + "\\" + kOwnPluginFile;
#ifdef SPIHOST_BUILD_PLUGIN
  if (GetFileAttributesA(beside.c_str()) == INVALID_FILE_ATTRIBUTES) return SPIHOST_BUILD_PLUGIN;
#endif
  return beside;
}

// Paths are written with backslashes only, whichever the user typed.
std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string OutputPath(const std::string& folder, const std::string& stem, bool bmp) {
  const std::string separator = folder.back() == '\\' ? "" : "\\";
  return folder + separator + stem + (bmp ? ".bmp" : ".png");
}

// A counter on the console's line, or a line now and then when the output
// goes to a file or pipe.
class Progress {
 public:
  explicit Progress(std::size_t total) : total_(total) {
    DWORD mode = 0;
    console_ = GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
  }
  void Step(std::size_t done) {
    if (total_ < kProgressFrom || done == 0) return;
    if (console_) {
      std::fprintf(stderr, "\r[%u/%u]", static_cast<unsigned>(done), static_cast<unsigned>(total_));
      if (done == total_) std::fputs("\r           \r", stderr);
    } else if (total_ >= kProgressLinesFrom &&
               (done % ((total_ + 9) / 10) == 0 || done == total_)) {
      std::fprintf(stderr, "progress: %u of %u files\n", static_cast<unsigned>(done),
                   static_cast<unsigned>(total_));
    }
    std::fflush(stderr);
  }

 private:
  std::size_t total_;
  bool console_ = false;
};

// stdout is flushed per line so that the report interleaves with stderr.
void Line(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string Describe(const FileReport& report) {
  const PictureInfo& i = report.info;
  std::string text = std::to_string(i.width) + " x " + std::to_string(i.height) + ", " +
                     std::to_string(i.colorDepth) + "-bit picture";
  if (report.bitmapDepth != 0) text += " -> " + std::to_string(report.bitmapDepth) + "-bit bitmap";
  return text;
}

void PrintPluginInfo(const PluginLibrary& plugin, const std::string& path) {
  Line("plug-in   " + path);
  Line("  version      " + plugin.Info(0));
  Line("  name         " + plugin.Info(1));
  for (const PluginFormat& format : plugin.Formats())
    Line("  format       " + format.pattern + "  (" + format.description + ")");
}

void PrintPictureInfo(const std::string& label, const FileReport& report) {
  const PictureInfo& i = report.info;
  std::string text = "info    " + label + ": " + std::to_string(i.width) + " x " +
                     std::to_string(i.height) + ", " + std::to_string(i.colorDepth) +
                     " bits per pixel, left " + std::to_string(i.left) + ", top " +
                     std::to_string(i.top) + ", density " + std::to_string(i.xDensity) + " x " +
                     std::to_string(i.yDensity);
  if (!report.infoText.empty()) text += ", text: " + report.infoText;
  Line(text);
}

int Run(const Options& options) {
  const std::string pluginPath =
      FullPath(options.pluginPath.empty() ? DefaultPluginPath() : options.pluginPath);
  PluginLibrary plugin;
  std::string error;
  if (!plugin.Load(pluginPath, error)) {
    std::fprintf(stderr, "spihost: %s\n", error.c_str());
    return kExitUsage;
  }
  std::vector<std::string> patterns;
  for (const PluginFormat& format : plugin.Formats())
    for (const std::string& pattern : SplitPatterns(format.pattern)) patterns.push_back(pattern);

  std::vector<SettingOverride> values = options.settings;
  const std::string note = CompletePatternSettings(values);
  SettingsOverride settings;
  if (!settings.Apply(values, error)) {
    std::fprintf(stderr, "spihost: %s\n", error.c_str());
    return kExitUsage;
  }

  if (options.info) {
    PrintPluginInfo(plugin, pluginPath);
  } else {
    Line("plug-in   " + pluginPath + "  (" + plugin.Info(1) + ")");
  }
  if (!note.empty()) Line("note    " + note);
  const InputList inputs = CollectInputs(options.inputs, patterns, options.recursive);
  for (const std::string& problem : inputs.problems) Line("failed  " + problem);
  std::size_t failed = inputs.problems.size();

  std::vector<SheetEntry> sheet;
  Progress progress(inputs.files.size());
  std::size_t done = 0;
  for (const InputFile& file : inputs.files) {
    progress.Step(done++);
    if (options.info) {
      const FileReport report = ProbeFile(plugin, file.path, options.memory);
      if (report.ok) {
        PrintPictureInfo(file.label, report);
      } else {
        Line("failed  " + file.label + ": " + report.failure);
        ++failed;
      }
      continue;
    }
    FileReport report = DecodeFile(plugin, file.path, options.memory);
    if (!report.ok) {
      Line("failed  " + file.label + ": " + report.failure);
      ++failed;
      continue;
    }
    const std::string output =
        OutputPath(Backslashed(options.outFolder), file.outputStem, options.bmp);
    ByteBuffer encoded;
    const bool encodedOk =
        options.bmp ? EncodeBmp(report.picture, encoded) : EncodePng(report.picture, encoded);
    if (!encodedOk) {
      Line("failed  " + file.label + ": cannot encode the picture");
      ++failed;
      continue;
    }
    if (!WriteWhole(output, encoded, error)) {
      Line("failed  " + file.label + ": " + error);
      ++failed;
      continue;
    }
    Line("ok      " + file.label + " -> " + output + "  (" + Describe(report) + ")");
    if (!options.sheetPath.empty())
      sheet.push_back(SheetEntry{file.label, Thumbnail(report.picture, kSheetThumbnailSide)});
  }
  progress.Step(done);
  settings.Restore();

  if (!options.sheetPath.empty()) {
    RgbImage picture;
    ByteBuffer encoded;
    error.clear();
    const std::string title = NameOf(pluginPath) + ": " + plugin.Info(1);
    const std::string sheetPath = Backslashed(options.sheetPath);
    if (!RenderContactSheet(sheet, title, picture, error) || !EncodePng(picture, encoded) ||
        !WriteWhole(sheetPath, encoded, error)) {
      Line("failed  contact sheet " + sheetPath + ": " +
           (error.empty() ? "cannot encode it" : error));
      ++failed;
    } else {
      Line("sheet   " + sheetPath + "  (" + std::to_string(sheet.size()) + " pictures, " +
           std::to_string(picture.width) + " x " + std::to_string(picture.height) + ")");
    }
  }

  const std::size_t total = inputs.files.size() + inputs.problems.size();
  Line("spihost: " + std::to_string(total - failed) + " of " + std::to_string(total) +
       (options.info ? " files probed, " : " files converted, ") + std::to_string(failed) +
       " failed");
  return failed == 0 ? kExitOk : kExitSomeFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const ParsedCommandLine parsed =
      ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.options.help) {
    std::fputs(UsageText(), stdout);
    return kExitOk;
  }
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "spihost: %s\n\n%s", parsed.error.c_str(), UsageText());
    return kExitUsage;
  }
  return Run(parsed.options);
}
