// Finding a cel's palette file through the set configuration files (*.cnf)
// beside it, or the first palette file (*.kcf) there, for 8-bit and wide
// paths. What a folder says is kept between calls while it shows no change;
// any number of threads may search at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "palette/folder_search.h"

// out: receives the palette file's path, or the empty string; a path that
// would not fit whole in outSize bytes is never returned cut short. celPath:
// the cel's path as the host passed it, in the ANSI code page; one longer
// than 258 characters finds nothing. Result: -1 when the arguments are
// unusable or nothing is found; otherwise the group index within the file
// named in out (0: each palette file of a configuration holds its own
// colours).
int FindPaletteFile(char* out, const char* celPath, int outSize);

// The same for a wide path, with no length limit of its own: the folder is
// listed and files are opened with wide names, and names in the
// configuration files are taken as text of the ANSI code page.
int FindPaletteFile(std::wstring* out, const wchar_t* celPath);

// The wide search's whole answer, with the palette file's first
// paletteBytes bytes when asked for (0: none).
PaletteSearchResult<wchar_t> SearchCelPalette(const wchar_t* celPath, std::size_t paletteBytes);

// The palette file that the search assigns to the cel (as FindPaletteFile
// with a path buffer of 260 characters), and its first wanted bytes, zero
// past its end; false when there is none or it does not open.
bool ReadCelPalette(const char* celPath, std::size_t wanted, std::string* path,
                    std::vector<std::uint8_t>* bytes);
bool ReadCelPalette(const wchar_t* celPath, std::size_t wanted, std::wstring* path,
                    std::vector<std::uint8_t>* bytes);
