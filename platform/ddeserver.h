// A DDE server inside this process, for tests and tools that need to see what a client
// sends. win32: a DDE management library server on a thread of its own with its own
// message loop, so handlers run on that thread and must guard what they share with the
// client's thread. Host: a server that the host's DDE client finds by name; handlers run
// on the client's thread during the transaction.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/types.h"

namespace platform::dde {

class ServerHandler {
public:
    virtual ~ServerHandler() = default;
    // Whether a client may open a conversation on `topic`.
    virtual bool AcceptTopic(const std::string& topic) = 0;
    // An execute transaction; true acknowledges it, false rejects it.
    virtual bool Execute(const std::string& topic, const std::string& command) = 0;
    // A request transaction in CF_TEXT; nothing for an item the server does not have.
    virtual std::optional<std::string> Request(const std::string& topic, const std::string& item) = 0;
};

class Server {
public:
    // Registers `service`; the handler must outlive the server. A registered server is
    // found before any built-in service of the same name.
    Server(const std::string& service, ServerHandler& handler);
    ~Server();  // unregisters; open conversations fail from then on
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;
    bool Running() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

// For tests: conversations with `service` are opened with `target` instead, so that a
// server of the test answers even where the system runs a server of that name (Wine's
// desktop, for one, answers PROGMAN). An empty target removes the redirection.
void RedirectService(const std::string& service, const std::string& target);
// The service a conversation with `service` is opened with.
std::string RedirectedService(const std::string& service);

}  // namespace platform::dde
