#include "framework/paths.h"

#include "framework/classes.h"
#include "platform/files.h"
#include "platform/types.h"

std::string RemoveTrailingBackslash(const std::string& s) {
    if (!s.empty() && s.back() == '\\') return s.substr(0, s.size() - 1);
    return s;
}

std::string AddTrailingBackslash(const std::string& s) {
    if (s.empty() || s.back() == '\\') return s;
    return s + '\\';
}

std::string ExtractFilePath(const std::string& path) {
    std::size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string ExtractFileName(const std::string& path) {
    std::size_t p = path.find_last_of("\\:");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    std::size_t p = path.find_last_of(".\\:");
    if (p == std::string::npos || path[p] != '.') return path + ext;
    return path.substr(0, p) + ext;
}

void ForceDirectories(const std::string& path) {
    std::string dir = RemoveTrailingBackslash(path);
    if (dir.size() < 3 || platform::DirectoryExists(dir)) return;
    std::string parent = RemoveTrailingBackslash(ExtractFilePath(dir));
    if (parent != dir) ForceDirectories(parent);
    if (platform::CreateDirectory(dir)) return;
    // The code of the failed creation, before the existence test can change it.
    platform::DWORD code = platform::GetLastError();
    if (platform::DirectoryExists(dir)) return;
    platform::SetLastError(code);
    RaiseLastInOutError();
}
