#include "app/filelist.h"

#include "framework/classes.h"
#include "framework/resources.h"

namespace setupapp {

std::vector<std::string> FileListFromDescription(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t obj = text.find("object FileList:");
    if (obj == std::string::npos) return lines;
    std::size_t start = text.find("Lines.Strings = (", obj);
    if (start == std::string::npos) return lines;
    std::size_t i = start + 17;
    // A sequence of quoted strings up to the closing parenthesis; '' is a quote.
    while (i < text.size() && text[i] != ')') {
        if (text[i] != '\'') {
            ++i;
            continue;
        }
        std::string s;
        for (++i; i < text.size(); ++i) {
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    s += '\'';
                    ++i;
                    continue;
                }
                ++i;
                break;
            }
            s += text[i];
        }
        lines.push_back(s);
    }
    return lines;
}

std::vector<std::string> StoredFileList() {
    auto res = FindResource("TInstallForm");
    if (!res) throw Exception("The copy window's form description is missing");
    return FileListFromDescription(std::string(*res));
}

}  // namespace setupapp
