// The DDE client over the DDE management library (DDEML).
#include "platform/win32/win32_api.h"

#include <ddeml.h>

#include "platform/dde.h"
#include "platform/ddeserver.h"
#include "platform/system.h"

namespace platform::dde {

namespace {

::DWORD instance = 0;
bool initialised = false;
UINT initResult = 0;

HDDEDATA CALLBACK ClientCallback(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) {
    return nullptr;
}

}  // namespace

UINT Initialize() {
    if (!initialised) {
        initialised = true;
        initResult = ::DdeInitializeA(&instance, ClientCallback, APPCLASS_STANDARD, 0);
        if (initResult != DMLERR_NO_ERROR) instance = 0;
    }
    return initResult;
}

struct Conversation::Impl {
    HSZ service = nullptr;
    HSZ topic = nullptr;
    HCONV conv = nullptr;

    void FreeStrings() {
        if (service) ::DdeFreeStringHandle(instance, service);
        if (topic) ::DdeFreeStringHandle(instance, topic);
        service = topic = nullptr;
    }
    HCONV Connect() {
        CONVCONTEXT context{};
        context.cb = sizeof context;
        context.iCodePage = CP_WINANSI;
        return ::DdeConnect(instance, service, topic, &context);
    }
};

Conversation::Conversation() : impl_(std::make_unique<Impl>()) {}
Conversation::~Conversation() { Disconnect(); }

bool Conversation::Connect(const std::string& service, const std::string& topic) {
    if (impl_->conv) return true;
    if (Initialize() != DMLERR_NO_ERROR) return false;
    impl_->FreeStrings();
    impl_->service =
        ::DdeCreateStringHandleA(instance, RedirectedService(service).c_str(), CP_WINANSI);
    impl_->topic = ::DdeCreateStringHandleA(instance, topic.c_str(), CP_WINANSI);
    impl_->conv = impl_->Connect();
    if (!impl_->conv && WinExec(service + " " + topic, ShowMinNoActive) >= 32)
        impl_->conv = impl_->Connect();
    if (!impl_->conv) {
        impl_->FreeStrings();
        return false;
    }
    return true;
}

bool Conversation::Connected() const { return impl_->conv != nullptr; }

bool Conversation::Execute(const std::string& command) {
    if (!impl_->conv) return false;
    std::string text(command.c_str());
    HDDEDATA data = ::DdeCreateDataHandle(instance, reinterpret_cast<LPBYTE>(text.data()),
                                          DWORD(text.size() + 1), 0, nullptr, CF_TEXT, 0);
    if (!data) return false;
    ::DWORD result = 0;
    // A synchronous transaction: the server's acknowledgement is the outcome, so a command
    // it rejects is reported, and each transaction has finished before the next starts
    // (asynchronous executes left outstanding upset later transactions of the same
    // conversation under Wine).
    HDDEDATA done = ::DdeClientTransaction(reinterpret_cast<LPBYTE>(data), DWORD(-1), impl_->conv,
                                           nullptr, CF_TEXT, XTYP_EXECUTE, RequestTimeout, &result);
    return done != nullptr;
}

std::optional<std::string> Conversation::Request(const std::string& item) {
    if (!impl_->conv) return std::nullopt;
    HSZ hszItem = ::DdeCreateStringHandleA(instance, item.c_str(), CP_WINANSI);
    HDDEDATA data = ::DdeClientTransaction(nullptr, 0, impl_->conv, hszItem, CF_TEXT,
                                           XTYP_REQUEST, RequestTimeout, nullptr);
    if (hszItem) ::DdeFreeStringHandle(instance, hszItem);
    if (!data) return std::nullopt;
    ::DWORD size = 0;
    LPBYTE bytes = ::DdeAccessData(data, &size);
    std::optional<std::string> text;
    if (bytes) {
        DWORD n = 0;
        while (n < size && bytes[n] != 0) ++n;
        text = std::string(reinterpret_cast<const char*>(bytes), n);
        ::DdeUnaccessData(data);
    }
    ::DdeFreeDataHandle(data);
    return text;
}

void Conversation::Disconnect() {
    if (impl_->conv) ::DdeDisconnect(impl_->conv);
    impl_->conv = nullptr;
    impl_->FreeStrings();
}

}  // namespace platform::dde
