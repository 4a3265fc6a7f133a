// A Program Manager for the tests: records every command, answers group requests with
// the replies it was given, and rejects commands that start with a prefix it was told.
// The host's tests run it in their own process; under Windows it runs as a program of
// its own (win32/fake_progman.cpp), as the real Program Manager does.
#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/ddeserver.h"

// DDE names are atoms, which compare without regard to case and keep the case of their
// first use: a topic may arrive as "Progman".
inline bool SameDdeName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

class FakeProgmanHandler : public platform::dde::ServerHandler {
public:
    bool AcceptTopic(const std::string& topic) override { return SameDdeName(topic, "PROGMAN"); }
    bool Execute(const std::string&, const std::string& command) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back("X " + command);
        for (const std::string& r : reject_)
            if (command.rfind(r, 0) == 0) return false;
        return true;
    }
    std::optional<std::string> Request(const std::string&, const std::string& item) override {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.push_back("R " + item);
        auto it = groups_.find(item);
        if (it == groups_.end()) return std::nullopt;
        return it->second;
    }
    void SetGroup(const std::string& name, const std::string& reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        groups_[name] = reply;
    }
    void Reject(const std::string& prefix) {
        std::lock_guard<std::mutex> lock(mutex_);
        reject_.insert(prefix);
    }
    std::vector<std::string> TakeLog() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> l;
        l.swap(log_);
        return l;
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(mutex_);
        log_.clear();
        groups_.clear();
        reject_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<std::string> log_;
    std::map<std::string, std::string> groups_;
    std::set<std::string> reject_;
};

// The fake's service name, and the topic on which a test steers a fake in another
// process: executes "group <name>\n<reply>", "reject <prefix>", "reset", "quit"; the
// request "log" answers "log" and then the commands recorded since the last request, a
// line each.
inline constexpr const char* FakeProgmanService = "ZarnFakeProgman";
inline constexpr const char* FakeProgmanControlTopic = "ZarnControl";
