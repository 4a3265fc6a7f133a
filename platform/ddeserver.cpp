// Service redirection for tests, shared by both builds.
#include "platform/ddeserver.h"

#include <map>

namespace platform::dde {

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return s;
}

std::map<std::string, std::string>& Redirections() {
    static std::map<std::string, std::string> table;
    return table;
}

}  // namespace

void RedirectService(const std::string& service, const std::string& target) {
    if (target.empty())
        Redirections().erase(Upper(service));
    else
        Redirections()[Upper(service)] = target;
}

std::string RedirectedService(const std::string& service) {
    auto it = Redirections().find(Upper(service));
    return it == Redirections().end() ? service : it->second;
}

}  // namespace platform::dde
