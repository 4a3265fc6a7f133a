// A DDEML server on a thread of its own, for tests and tools.
#include "platform/win32/win32_api.h"

#include <ddeml.h>

#include <vector>

#include "platform/ddeserver.h"

namespace platform::dde {

struct Server::Impl {
    std::string serviceName;
    ServerHandler* handler = nullptr;
    ::DWORD instance = 0;
    HSZ service = nullptr;
    HANDLE thread = nullptr;
    ::DWORD threadId = 0;
    HANDLE ready = nullptr;
    bool running = false;
    std::vector<HDDEDATA> replies;

    std::string Query(HSZ hsz) const {
        char buf[256] = {};
        ::DdeQueryStringA(instance, hsz, buf, sizeof buf, CP_WINANSI);
        return buf;
    }
};

namespace {

// The server of the thread the callback runs on (one server per thread).
thread_local Server::Impl* current = nullptr;

HDDEDATA CALLBACK ServerCallback(UINT type, UINT format, HCONV, HSZ hsz1, HSZ hsz2, HDDEDATA data,
                                 ULONG_PTR, ULONG_PTR) {
    Server::Impl* s = current;
    if (!s) return nullptr;
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            static_cast<UINT_PTR>(s->handler->AcceptTopic(s->Query(hsz1)) ? TRUE : FALSE));
    case XTYP_EXECUTE: {
        DWORD size = ::DdeGetData(data, nullptr, 0, 0);
        std::vector<char> buf(size + 1, '\0');
        if (size) ::DdeGetData(data, reinterpret_cast<LPBYTE>(buf.data()), size, 0);
        bool ok = s->handler->Execute(s->Query(hsz1), std::string(buf.data()));
        return reinterpret_cast<HDDEDATA>(static_cast<UINT_PTR>(ok ? DDE_FACK : DDE_FNOTPROCESSED));
    }
    case XTYP_REQUEST: {
        if (format != CF_TEXT) return nullptr;
        std::optional<std::string> reply = s->handler->Request(s->Query(hsz1), s->Query(hsz2));
        if (!reply) return nullptr;
        // Replies stay owned by the server until it stops: under Wine, a handle value that
        // the client of this same process has just freed must not come back as a reply.
        HDDEDATA h = ::DdeCreateDataHandle(s->instance,
                                           reinterpret_cast<LPBYTE>(const_cast<char*>(reply->c_str())),
                                           DWORD(reply->size() + 1), 0, hsz2, CF_TEXT, HDATA_APPOWNED);
        if (h) s->replies.push_back(h);
        return h;
    }
    default:
        return nullptr;
    }
}

::DWORD WINAPI ServerThread(LPVOID param) {
    auto* s = static_cast<Server::Impl*>(param);
    current = s;
    MSG msg;
    // Make sure the thread has a message queue before anyone posts to it.
    ::PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    if (::DdeInitializeA(&s->instance, ServerCallback,
                         APPCLASS_STANDARD | CBF_SKIP_REGISTRATIONS | CBF_SKIP_UNREGISTRATIONS,
                         0) == DMLERR_NO_ERROR) {
        s->service = ::DdeCreateStringHandleA(s->instance, s->serviceName.c_str(), CP_WINANSI);
        s->running = s->service && ::DdeNameService(s->instance, s->service, nullptr, DNS_REGISTER);
    }
    ::SetEvent(s->ready);
    if (s->running) {
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        ::DdeNameService(s->instance, s->service, nullptr, DNS_UNREGISTER);
    }
    for (HDDEDATA h : s->replies) ::DdeFreeDataHandle(h);
    if (s->service) ::DdeFreeStringHandle(s->instance, s->service);
    if (s->instance) ::DdeUninitialize(s->instance);
    current = nullptr;
    return 0;
}

}  // namespace

Server::Server(const std::string& service, ServerHandler& handler) : impl_(std::make_unique<Impl>()) {
    impl_->serviceName = service;
    impl_->handler = &handler;
    impl_->ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    impl_->thread = ::CreateThread(nullptr, 0, ServerThread, impl_.get(), 0, &impl_->threadId);
    if (impl_->thread) ::WaitForSingleObject(impl_->ready, 10000);
}

Server::~Server() {
    if (impl_->thread) {
        ::PostThreadMessageA(impl_->threadId, WM_QUIT, 0, 0);
        ::WaitForSingleObject(impl_->thread, 10000);
        ::CloseHandle(impl_->thread);
    }
    if (impl_->ready) ::CloseHandle(impl_->ready);
}

bool Server::Running() const { return impl_->running; }

}  // namespace platform::dde
