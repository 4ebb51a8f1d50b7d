// spihost run as a child process, and the pictures it writes read back, for
// the tests that run the tool as a user runs it.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

std::string Backslashed(std::string path);
std::string Quote(const std::string& text);

struct ToolRun {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;  // stdout and stderr together, without CR
};

// The build's spihost.exe with the arguments, to its end.
ToolRun RunTool(const std::string& arguments);

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // top-down, red, green, blue
  std::string error;
};

// The bitmap of a picture call's two blocks (4, 8 or 24 bits per pixel,
// bottom-up), which are freed.
Picture FromBlocks(HLOCAL info, HLOCAL pixels);
// A PNG or BMP file read back with stb_image.
Picture Load(const std::string& path);
::testing::AssertionResult SamePicture(const Picture& expected, const Picture& actual);
// True when picture appears unchanged somewhere in sheet; where, in x and y.
bool FindIn(const Picture& sheet, const Picture& picture, int& foundX, int& foundY);
// Dark text pixels in the band below the picture found at x, y of the
// sheet: its label.
int DarkPixelsUnder(const Picture& sheet, const Picture& picture, int x, int y);

bool Exists(const std::string& path);
bool Contains(const std::string& text, const std::string& part);
