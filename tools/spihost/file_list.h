// Turns the command line's files, wildcards and folders into the list of
// files to convert, each with its label and its output name.
#pragma once

#include <string>
#include <vector>

struct InputFile {
  std::string path;        // as given, or the folder argument joined with the name
  std::string label;       // what the report and the contact sheet call it
  std::string outputStem;  // output path below the output folder, without extension
};

struct InputList {
  std::vector<InputFile> files;
  std::vector<std::string> problems;  // folder arguments that cannot be listed
};

// Folders contribute the files that match one of the patterns, sorted by
// name, files before sub-folders; with recursive, sub-folders follow in
// name order. Output stems are made unique (case-insensitively) with "-2", "-3"...
InputList CollectInputs(const std::vector<std::string>& arguments,
                        const std::vector<std::string>& patterns, bool recursive);
