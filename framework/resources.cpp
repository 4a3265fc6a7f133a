#include "framework/resources.h"

#include <vector>

#include "framework/classes.h"

namespace {

std::vector<const TResourceEntry*>& Registered() {
    static std::vector<const TResourceEntry*> entries;
    return entries;
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& name) {
    std::size_t dot = name.find_last_of('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

void RegisterResources(const TResourceEntry* entries, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bool known = false;
        for (const TResourceEntry* e : Registered())
            if (SameText(e->name, entries[i].name)) known = true;
        if (!known) Registered().push_back(&entries[i]);
    }
}

std::optional<std::string_view> FindResource(const std::string& name) {
    if (name.empty()) return std::nullopt;
    std::string wanted = name;
    for (char& c : wanted)
        if (c == '\\') c = '/';
    auto view = [](const TResourceEntry* e) {
        return std::string_view(reinterpret_cast<const char*>(e->data), e->size);
    };
    // Full path or file name first, so that "artwork.bmp" never loses to "artwork.txt".
    for (const TResourceEntry* e : Registered())
        if (SameText(e->name, wanted) || SameText(BaseName(e->name), wanted)) return view(e);
    for (const TResourceEntry* e : Registered())
        if (SameText(WithoutExtension(BaseName(e->name)), wanted) || SameText(WithoutExtension(e->name), wanted))
            return view(e);
    return std::nullopt;
}
