#include "tool/tool_child.h"

#include <stb_image.h>

#include <algorithm>

std::string Backslashed(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

ToolRun RunTool(const std::string& arguments) {
  ToolRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
    run.output = "CreatePipe failed";
    return run;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  std::string command = Quote(Backslashed(SPIHOST_EXE_PATH)) + " " + arguments;
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      nullptr, &startup, &process);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    run.output = "CreateProcessA failed: " + command;
    return run;
  }
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read > 0)
    run.output.append(buffer, read);
  CloseHandle(readEnd);
  WaitForSingleObject(process.hProcess, INFINITE);
  GetExitCodeProcess(process.hProcess, &run.exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The tool writes lines ending in CR LF through the C runtime's text mode.
  std::string text;
  for (char c : run.output)
    if (c != '\r') text += c;
  run.output = text;
  return run;
}

Picture FromBlocks(HLOCAL info, HLOCAL pixels) {
  Picture picture;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
  const auto* table = reinterpret_cast<const RGBQUAD*>(header + 1);
  const auto* bits = static_cast<const std::uint8_t*>(LocalLock(pixels));
  const int depth = header->biBitCount;
  picture.width = header->biWidth;
  picture.height = header->biHeight;
  const int stride = (picture.width * depth + 31) / 32 * 4;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row = bits + static_cast<std::size_t>(picture.height - 1 - y) * stride;
    for (int x = 0; x < picture.width; ++x) {
      if (depth == 24) {
        picture.rgb.insert(picture.rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
      } else {
        const int index = depth == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 15);
        picture.rgb.insert(picture.rgb.end(),
                           {table[index].rgbRed, table[index].rgbGreen, table[index].rgbBlue});
      }
    }
  }
  if (depth != 4 && depth != 8 && depth != 24) picture.error = "unexpected depth";
  LocalUnlock(pixels);
  LocalUnlock(info);
  LocalFree(pixels);
  LocalFree(info);
  return picture;
}

// A PNG or BMP file read back with stb_image.
Picture Load(const std::string& path) {
  Picture picture;
  int channels = 0;
  stbi_uc* data = stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3);
  if (data == nullptr) {
    picture.error = "stb_image cannot read " + path;
    return picture;
  }
  picture.rgb.assign(data, data + static_cast<std::size_t>(picture.width) * picture.height * 3);
  stbi_image_free(data);
  return picture;
}

::testing::AssertionResult SamePicture(const Picture& expected, const Picture& actual) {
  if (!expected.error.empty()) return ::testing::AssertionFailure() << expected.error;
  if (!actual.error.empty()) return ::testing::AssertionFailure() << actual.error;
  if (expected.width != actual.width || expected.height != actual.height)
    return ::testing::AssertionFailure()
           << "size " << actual.width << " x " << actual.height << ", expected " << expected.width
           << " x " << expected.height;
  for (std::size_t i = 0; i < expected.rgb.size(); ++i)
    if (expected.rgb[i] != actual.rgb[i]) {
      const std::size_t pixel = i / 3;
      return ::testing::AssertionFailure()
             << "pixel " << pixel % expected.width << "," << pixel / expected.width << " differs";
    }
  return ::testing::AssertionSuccess();
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// True when picture appears unchanged somewhere in sheet; where, in x and y.
bool FindIn(const Picture& sheet, const Picture& picture, int& foundX, int& foundY) {
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  for (int y = 0; y + picture.height <= sheet.height; ++y)
    for (int x = 0; x + picture.width <= sheet.width; ++x) {
      bool same = true;
      for (int row = 0; row < picture.height && same; ++row)
        same = std::equal(
            picture.rgb.begin() + row * rowBytes, picture.rgb.begin() + (row + 1) * rowBytes,
            sheet.rgb.begin() + ((static_cast<std::size_t>(y) + row) * sheet.width + x) * 3);
      if (same) {
        foundX = x;
        foundY = y;
        return true;
      }
    }
  return false;
}

int DarkPixelsUnder(const Picture& sheet, const Picture& picture, int x, int y) {
  int dark = 0;
  for (int ly = y + picture.height + 2; ly < y + picture.height + 24 && ly < sheet.height; ++ly)
    for (int lx = x; lx < x + picture.width; ++lx) {
      const std::uint8_t* p = &sheet.rgb[(static_cast<std::size_t>(ly) * sheet.width + lx) * 3];
      if (p[0] + p[1] + p[2] < 3 * 110) ++dark;
    }
  return dark;
}
