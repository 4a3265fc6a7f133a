// Reading shortcut files back with the link-inspection tool `lnkinfo` (host tests).
#pragma once
#include <array>
#include <cstdio>
#include <string>

namespace zarn::test {

// The standard output of a shell command.
inline std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    std::array<char, 512> buf;
    while (fgets(buf.data(), int(buf.size()), p)) out += buf.data();
    pclose(p);
    return out;
}

// The value lnkinfo prints for `label` ("Local path"), or "<missing>".
inline std::string LnkInfoField(const std::string& output, const std::string& label) {
    std::size_t at = output.find("\t" + label);
    if (at == std::string::npos) return "<missing>";
    std::size_t colon = output.find(": ", at);
    std::size_t end = output.find('\n', colon);
    return output.substr(colon + 2, end - colon - 2);
}

}  // namespace zarn::test
