// The DDE client: one conversation with a service on a topic, execute transactions that
// succeed or fail as a whole and request transactions that give text or nothing, all in
// CF_TEXT. win32: the DDE management library. Host: the DDE servers registered in this
// process, and a built-in Program Manager service (PROGMAN / PROGMAN).
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "platform/types.h"

namespace platform::dde {

// DdeInitialize for the process (standard application class, no filter flags), done
// once; later calls return the first outcome. 0 (DMLERR_NO_ERROR) on success, otherwise
// the DDE management library's error code.
UINT Initialize();

// Time-out of a request transaction, in milliseconds.
constexpr DWORD RequestTimeout = 10000;
// WinExec show state used to start a missing server (SW_SHOWMINNOACTIVE).
constexpr UINT ShowMinNoActive = 7;

class Conversation {
public:
    Conversation();
    ~Conversation();  // disconnects when connected
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    // Opens the conversation: string handles for service and topic (CP_WINANSI), then
    // DdeConnect. If that fails, starts the server with WinExec("<service> <topic>",
    // SW_SHOWMINNOACTIVE) and, when WinExec returns 32 or more, connects once more.
    // False when no conversation could be opened (or Initialize failed).
    bool Connect(const std::string& service, const std::string& topic);
    bool Connected() const;

    // An execute transaction with `command` and its terminating zero, CF_TEXT. True when
    // the server acknowledged it; false when it was rejected, not answered within
    // RequestTimeout, or there is no conversation.
    bool Execute(const std::string& command);
    // A request transaction for `item`; the text up to its terminating zero, or nothing.
    std::optional<std::string> Request(const std::string& item);

    // DdeDisconnect, then release of the service and topic string handles.
    void Disconnect();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::dde
