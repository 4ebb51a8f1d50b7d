// The paths of an archive's members as the set compares them: stored names
// made wide, split into folder and name, refused when unpacking them where
// they lie could not put them there (a drive, a leading separator, a part
// that climbs out, a character no Windows name may hold). Free of Windows
// headers.
#pragma once

#include <cstdint>
#include <string>

// UTF-8 bytes as wide characters (UTF-16 where wchar_t has 16 bits); false
// for bytes that are not UTF-8 (overlong forms, surrogates, a cut sequence).
bool WidenUtf8(const std::string& bytes, std::wstring* text);

// A member's path with every '/' turned into '\'; false when it is not one
// that unpacks inside the folder: empty, a leading separator, an empty part,
// a part "." or "..", a drive letter (any ':'), a control character or one
// of <>"|?*, or a part ending in a dot or a space (which Windows drops,
// so that it would name another member's file).
bool SafeMemberPath(std::wstring* path);

// path up to its last '\' (empty at the top), and past it.
std::wstring FolderOfPath(const std::wstring& path);
std::wstring NameOfPath(const std::wstring& path);

// A path as a lookup names it: '/' as '\', leading separators and "."
// parts dropped, ".." taking back the part before it (false when it climbs
// out of the archive).
bool NormaliseLookupPath(const std::wstring& path, std::wstring* normal);

// A hash under which names that the system may take for the same file meet:
// only ASCII characters count, letters folded. Names that differ only in
// other characters share it, and the comparison decides.
std::uint64_t FoldedNameHash(const std::wstring& path);
