// The host's DDE: conversations with the servers registered in this process and with
// the built-in Program Manager service.
#include "platform/dde.h"

#include <vector>

#include "platform/ddeserver.h"
#include "platform/host/hostenv.h"
#include "platform/host/progman.h"
#include "platform/system.h"

namespace platform::dde {

namespace {

struct Registration {
    unsigned id;
    std::string service;
    ServerHandler* handler;
};

std::vector<Registration>& Registry() {
    static std::vector<Registration> servers;
    return servers;
}
unsigned nextId = 1;

// 0 means the built-in Program Manager.
constexpr unsigned BuiltIn = 0;

bool Find(const std::string& service, const std::string& topic, unsigned& id) {
    for (const Registration& r : Registry())
        if (host::EqualIgnoreCase(r.service, service) && r.handler->AcceptTopic(topic)) {
            id = r.id;
            return true;
        }
    if (host::EqualIgnoreCase(service, "PROGMAN") && host::ProgramManagerAvailable() &&
        host::ProgramManagerService().AcceptTopic(topic)) {
        id = BuiltIn;
        return true;
    }
    return false;
}

// The handler behind a conversation, or null when its server has gone.
ServerHandler* HandlerOf(unsigned id) {
    if (id == BuiltIn)
        return host::ProgramManagerAvailable() ? &host::ProgramManagerService() : nullptr;
    for (const Registration& r : Registry())
        if (r.id == id) return r.handler;
    return nullptr;
}

}  // namespace

UINT Initialize() { return 0; }

struct Conversation::Impl {
    bool connected = false;
    unsigned server = 0;
    std::string topic;
};

Conversation::Conversation() : impl_(std::make_unique<Impl>()) {}
Conversation::~Conversation() { Disconnect(); }

bool Conversation::Connect(const std::string& service, const std::string& topic) {
    if (impl_->connected) return true;
    unsigned id = 0;
    std::string name = RedirectedService(service);
    bool found = Find(name, topic, id);
    if (!found && WinExec(service + " " + topic, ShowMinNoActive) >= 32)
        found = Find(name, topic, id);
    if (!found) return false;
    impl_->connected = true;
    impl_->server = id;
    impl_->topic = topic;
    return true;
}

bool Conversation::Connected() const { return impl_->connected; }

bool Conversation::Execute(const std::string& command) {
    if (!impl_->connected) return false;
    ServerHandler* h = HandlerOf(impl_->server);
    // The text ends at its first zero, as the server reads it from the data handle.
    return h && h->Execute(impl_->topic, std::string(command.c_str()));
}

std::optional<std::string> Conversation::Request(const std::string& item) {
    if (!impl_->connected) return std::nullopt;
    ServerHandler* h = HandlerOf(impl_->server);
    if (!h) return std::nullopt;
    std::optional<std::string> reply = h->Request(impl_->topic, item);
    if (reply) reply = std::string(reply->c_str());
    return reply;
}

void Conversation::Disconnect() {
    impl_->connected = false;
    impl_->server = 0;
    impl_->topic.clear();
}

struct Server::Impl {
    unsigned id = 0;
};

Server::Server(const std::string& service, ServerHandler& handler) : impl_(std::make_unique<Impl>()) {
    impl_->id = nextId++;
    Registry().push_back(Registration{impl_->id, service, &handler});
}

Server::~Server() {
    auto& r = Registry();
    for (auto it = r.begin(); it != r.end(); ++it)
        if (it->id == impl_->id) {
            r.erase(it);
            break;
        }
}

bool Server::Running() const { return true; }

}  // namespace platform::dde
