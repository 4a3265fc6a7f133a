// Path texts in Windows form (backslashes, drive letters): trailing backslashes, the
// folder and name parts, extensions, and making a folder with its missing parents.
#pragma once
#include <string>

// Drop one trailing backslash / add one unless empty or already there.
std::string RemoveTrailingBackslash(const std::string& s);
std::string AddTrailingBackslash(const std::string& s);
// The folder part of a path (up to, not including, the last backslash or colon; a drive
// colon is kept), and the name after it.
std::string ExtractFilePath(const std::string& path);  // with its trailing separator
std::string ExtractFileName(const std::string& path);
// `path` with the extension of its file-name part replaced (or appended when it has none).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// Creates `path` and every missing parent, top down. One trailing backslash is ignored;
// paths shorter than three characters and existing folders create nothing. Raises
// EInOutError when a folder cannot be made.
void ForceDirectories(const std::string& path);
