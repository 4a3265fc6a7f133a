// The list of game files that the copy window installs, as stored with its form.
#pragma once
#include <string>
#include <vector>

namespace setupapp {

// The lines of the copy window's FileList memo, read from the stored form description.
// Used by tools and tests that must agree with the form on what gets installed.
std::vector<std::string> StoredFileList();

// The same, from a form description's text (the lines of `FileList.Lines.Strings`).
std::vector<std::string> FileListFromDescription(const std::string& text);

}  // namespace setupapp
