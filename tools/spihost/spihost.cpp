// spihost: a command-line Susie host. Loads an import plug-in as a viewer
// does and converts pictures through it to PNG or BMP files, optionally with
// a contact sheet; prints one line per file and what each failure means.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "archive_members.h"
#include "contact_sheet.h"
#include "convert_file.h"
#include "file_io.h"
#include "file_list.h"
#include "image_encode.h"
#include "name_pattern.h"
#include "options.h"
#include "output_names.h"
#include "plugin_library.h"
#include "result_codes.h"
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
constexpr const char* kOwnDollPluginFile = sizeof(void*) == 8 ? "tamsadoll.sph" : "tamsadoll.spi";

// The plug-in beside spihost.exe, or the one of the build that made it.
std::string DefaultPluginPath(bool doll) {
  const char* file = doll ? kOwnDollPluginFile : kOwnPluginFile;
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  const std::string folder = FolderOf(exe);
  const std::string beside = folder.empty() ? file : folder + "\\" + file;
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
#ifdef SPIHOST_BUILD_PLUGIN
  if (!doll) return SPIHOST_BUILD_PLUGIN;
#endif
#ifdef SPIHOST_BUILD_DOLL_PLUGIN
  if (doll && SPIHOST_BUILD_DOLL_PLUGIN[0] != '\0') return SPIHOST_BUILD_DOLL_PLUGIN;
#endif
  return beside;
}

// Paths are written with backslashes only, whichever the user typed.
std::string Backslashed(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
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

// Writes the picture below the output folder, reports it and keeps its
// thumbnail for the sheet; false, reported, when it cannot be written.
bool WritePicture(const Options& options, const std::string& label, const std::string& stem,
                  const FileReport& report, std::vector<SheetEntry>& sheet) {
  const std::string output = OutputPath(Backslashed(options.outFolder), stem, options.bmp);
  ByteBuffer encoded;
  const bool encodedOk =
      options.bmp ? EncodeBmp(report.picture, encoded) : EncodePng(report.picture, encoded);
  if (!encodedOk) {
    Line("failed  " + label + ": cannot encode the picture");
    return false;
  }
  std::string error;
  if (!WriteWhole(output, encoded, error)) {
    Line("failed  " + label + ": " + error);
    return false;
  }
  Line("ok      " + label + " -> " + output + "  (" + Describe(report) + ")");
  if (!options.sheetPath.empty())
    sheet.push_back(SheetEntry{label, Thumbnail(report.picture, kSheetThumbnailSide)});
  return true;
}

// The pages of a doll, each written or reported as failed, and the
// configuration's own failure when it has one.
template <typename Decode>
void WriteDollPages(const Options& options, const std::string& label, const std::string& stem,
                    Decode decode, std::vector<SheetEntry>& sheet, std::size_t& total,
                    std::size_t& failed) {
  const FileReport doll = decode([&](int page, FileReport& report) {
    ++total;
    const std::string pageLabel = DollPageLabel(label, page);
    if (!report.ok) {
      Line("failed  " + pageLabel + ": " + report.failure);
      ++failed;
    } else if (!WritePicture(options, pageLabel, DollPageStem(stem, page), report, sheet)) {
      ++failed;
    }
  });
  if (!doll.ok) {
    ++total;
    Line("failed  " + label + ": " + doll.failure);
    ++failed;
  }
}

// Every cel member and every page of every configuration member of the set
// in the archive, below a folder of the archive's own; a member that cannot
// be read is a failure by name.
void ConvertArchive(const Options& options, const InputFile& file, std::vector<SheetEntry>& sheet,
                    std::size_t& total, std::size_t& failed) {
  std::string failure;
  const std::unique_ptr<ArchiveSet> set = OpenSetArchive(file.path, failure);
  if (set == nullptr) {
    ++total;
    ++failed;
    Line("failed  " + file.label + ": " + failure);
    return;
  }
  const std::vector<AlbumEntry> album = ListAlbum(*set, -1);
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    const std::string path = MemberText(member.path);
    const std::string label = file.label + "\\" + path;
    const std::string stem = file.outputStem + "\\" + WithoutExtension(path);
    if (member.problem != ArchiveStatus::kOk) {
      ++total;
      ++failed;
      Line("failed  " + label + ": " + DescribeArchiveStatus(member.problem));
    } else if (IsCelMember(member)) {
      ++total;
      const FileReport report = DecodeArchiveCel(*set, album, i);
      if (!report.ok) {
        Line("failed  " + label + ": " + report.failure);
        ++failed;
      } else if (!WritePicture(options, label, stem, report, sheet)) {
        ++failed;
      }
    } else if (IsConfigurationMember(member)) {
      WriteDollPages(
          options, label, stem,
          [&](const std::function<void(int, FileReport&)>& onPage) {
            return DecodeArchiveDoll(*set, album, i, onPage);
          },
          sheet, total, failed);
    } else {
      Line("skip    " + label + ": neither a cel nor a configuration file");
    }
  }
  if (set->ListingStatus() != ArchiveStatus::kOk) {
    ++total;
    ++failed;
    Line("failed  " + file.label + ": " + DescribeArchiveStatus(set->ListingStatus()) +
         " after the members listed");
  }
}

// Every member an archive plug-in lists, fetched into memory: a BMP file
// written as the picture it holds, any other member as it is, below a
// folder of the archive's own.
void ConvertThroughArchivePlugin(const Options& options, const PluginLibrary& plugin,
                                 const InputFile& file, std::vector<SheetEntry>& sheet,
                                 std::size_t& total, std::size_t& failed) {
  std::vector<ArchiveMember> members;
  const int code = plugin.ListArchive(file.path, &members);
  if (code != kResultSuccess) {
    ++total;
    ++failed;
    Line("failed  " + file.label + ": " + DescribeResult(code) + " (GetArchiveInfo returned " +
         std::to_string(code) + ")");
    return;
  }
  for (const ArchiveMember& member : members) {
    ++total;
    const std::string label = file.label + "\\" + member.path;
    std::vector<std::uint8_t> bytes;
    const int fetched = plugin.FetchMember(file.path, member.position, &bytes);
    if (fetched != kResultSuccess || bytes.size() != member.size) {
      Line("failed  " + label + ": " +
           (fetched != kResultSuccess
                ? DescribeResult(fetched) + " (GetFile returned " + std::to_string(fetched) + ")"
                : std::string("GetFile gave another size than listed")));
      ++failed;
      continue;
    }
    const std::string stem = file.outputStem + "\\" + WithoutExtension(member.path);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
      const FileReport report = ReadBmpFile(bytes);
      if (!report.ok) {
        Line("failed  " + label + ": " + report.failure);
        ++failed;
      } else if (!WritePicture(options, label, stem, report, sheet)) {
        ++failed;
      }
      continue;
    }
    const std::string output =
        Backslashed(options.outFolder) + "\\" + file.outputStem + "\\" + member.path;
    std::string error;
    if (!WriteWhole(output, bytes, error)) {
      Line("failed  " + label + ": " + error);
      ++failed;
    } else {
      Line("ok      " + label + " -> " + output + "  (as it is)");
    }
  }
}

int Run(const Options& options) {
  const std::string pluginPath =
      FullPath(options.pluginPath.empty() ? DefaultPluginPath(options.doll) : options.pluginPath);
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

  // A doll plug-in is asked for pages of configuration files, whichever way
  // it was chosen; an archive plug-in for the members of what it opens.
  const bool dolls = !plugin.IsArchive() && (options.doll || ServesDolls(patterns));
  if (dolls && options.memory) {
    std::fprintf(stderr, "spihost: %s\n", kDollNeedsNames);
    return kExitUsage;
  }
  if (dolls) patterns = {"*.cnf"};

  if (options.info) {
    PrintPluginInfo(plugin, pluginPath);
  } else {
    Line("plug-in   " + pluginPath + "  (" + plugin.Info(1) + ")");
  }
  if (!note.empty()) Line("note    " + note);
  // Archives hold whole sets: their cels and dolls are written whichever
  // plug-in was chosen.
  std::vector<std::string> wanted = patterns;
  if (!options.info && !plugin.IsArchive())
    wanted.insert(wanted.end(), {"*.lzh", "*.lha", "*.zip"});
  const InputList inputs = CollectInputs(options.inputs, wanted, options.recursive);
  for (const std::string& problem : inputs.problems) Line("failed  " + problem);
  std::size_t failed = inputs.problems.size();
  // Each line of the report that says ok or failed: a file, or a doll's page.
  std::size_t total = inputs.problems.size();

  std::vector<SheetEntry> sheet;
  Progress progress(inputs.files.size());
  std::size_t done = 0;
  for (const InputFile& file : inputs.files) {
    progress.Step(done++);
    if (options.info && plugin.IsArchive()) {
      ++total;
      std::vector<ArchiveMember> members;
      const int code = plugin.ListArchive(file.path, &members);
      if (code != kResultSuccess) {
        Line("failed  " + file.label + ": " + DescribeResult(code));
        ++failed;
      }
      for (const ArchiveMember& member : members)
        Line("info    " + file.label + "\\" + member.path + ": " + std::to_string(member.size) +
             " bytes, position " + std::to_string(member.position));
      continue;
    }
    if (options.info) {
      ++total;
      const FileReport report = ProbeFile(plugin, file.path, options.memory);
      if (report.ok) {
        PrintPictureInfo(file.label, report);
      } else {
        Line("failed  " + file.label + ": " + report.failure);
        ++failed;
      }
      continue;
    }
    if (plugin.IsArchive()) {
      ConvertThroughArchivePlugin(options, plugin, file, sheet, total, failed);
      continue;
    }
    if (IsArchiveName(file.path)) {
      ConvertArchive(options, file, sheet, total, failed);
      continue;
    }
    if (dolls) {
      WriteDollPages(
          options, file.label, file.outputStem,
          [&](const std::function<void(int, FileReport&)>& onPage) {
            return DecodeDoll(plugin, file.path, onPage);
          },
          sheet, total, failed);
      continue;
    }
    ++total;
    const FileReport report = DecodeFile(plugin, file.path, options.memory);
    if (!report.ok) {
      Line("failed  " + file.label + ": " + report.failure);
      ++failed;
      continue;
    }
    if (!WritePicture(options, file.label, file.outputStem, report, sheet)) ++failed;
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
      Line("sheet   " + sheetPath + "  (" + std::to_string(sheet.size()) +
           (sheet.size() == 1 ? " picture, " : " pictures, ") + std::to_string(picture.width) +
           " x " + std::to_string(picture.height) + ")");
    }
  }

  const char* const counted = options.info ? " files probed, "
                              : dolls      ? " pages converted, "
                                           : " files converted, ";
  Line("spihost: " + std::to_string(total - failed) + " of " + std::to_string(total) + counted +
       std::to_string(failed) + " failed");
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
