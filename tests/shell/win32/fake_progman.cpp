// The tests' Program Manager as a process of its own: a DDE server for the PROGMAN topic
// (see fake_progman.h) that a test steers through the control topic. Like the real
// Program Manager it speaks the DDE messages itself rather than through the DDE
// management library, whose server side under Wine follows each request's data with an
// acknowledgement nobody asked for (the client then takes it for the answer to its next
// transaction). Ends on "quit", or after ten minutes should its test be gone.
//
//   fake_progman [service]
#include <windows.h>
#include <dde.h>

#include <cstring>
#include <map>
#include <string>

#include "tests/shell/fake_progman.h"

namespace {

class Steered : public FakeProgmanHandler {
public:
    bool quit = false;

    bool AcceptTopic(const std::string& topic) override {
        return SameDdeName(topic, FakeProgmanControlTopic) || FakeProgmanHandler::AcceptTopic(topic);
    }
    bool Execute(const std::string& topic, const std::string& command) override {
        if (!SameDdeName(topic, FakeProgmanControlTopic)) return FakeProgmanHandler::Execute(topic, command);
        if (command.rfind("group ", 0) == 0) {
            std::size_t nl = command.find('\n');
            if (nl == std::string::npos) return false;
            SetGroup(command.substr(6, nl - 6), command.substr(nl + 1));
        } else if (command.rfind("reject ", 0) == 0) {
            Reject(command.substr(7));
        } else if (command == "reset") {
            Reset();
        } else if (command == "quit") {
            quit = true;
        } else {
            return false;
        }
        return true;
    }
    std::optional<std::string> Request(const std::string& topic, const std::string& item) override {
        if (!SameDdeName(topic, FakeProgmanControlTopic)) return FakeProgmanHandler::Request(topic, item);
        if (item != "log") return std::nullopt;
        std::string text = "log\n";
        for (const std::string& line : TakeLog()) text += line + "\n";
        return text;
    }
};

Steered g_handler;
std::string g_service = FakeProgmanService;
std::map<HWND, std::string> g_topics;  // open conversations: client window -> topic

std::string AtomText(ATOM a) {
    char buf[256] = {};
    if (a) GlobalGetAtomNameA(a, buf, sizeof buf);
    return buf;
}

void PostAck(HWND server, HWND client, bool positive, UINT_PTR what) {
    PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(server),
                 PackDDElParam(WM_DDE_ACK, positive ? 0x8000 : 0, what));
}

LRESULT CALLBACK ServerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    HWND client = reinterpret_cast<HWND>(wp);
    switch (msg) {
        case WM_DDE_INITIATE: {
            // Sent to every window: answer when the service (or none) and topic are ours.
            std::string service = AtomText(LOWORD(lp)), topic = AtomText(HIWORD(lp));
            if ((!service.empty() && !SameDdeName(service, g_service)) || topic.empty() ||
                !g_handler.AcceptTopic(topic))
                return 0;
            g_topics[client] = topic;
            SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(hwnd),
                         MAKELPARAM(GlobalAddAtomA(g_service.c_str()), GlobalAddAtomA(topic.c_str())));
            return 0;
        }
        case WM_DDE_EXECUTE: {
            HGLOBAL commands = reinterpret_cast<HGLOBAL>(lp);
            bool ok = false;
            auto conv = g_topics.find(client);
            if (const char* text = static_cast<const char*>(GlobalLock(commands))) {
                std::string command(text);
                GlobalUnlock(commands);
                ok = conv != g_topics.end() && g_handler.Execute(conv->second, command);
            }
            PostAck(hwnd, client, ok, reinterpret_cast<UINT_PTR>(commands));
            if (g_handler.quit) PostQuitMessage(0);
            return 0;
        }
        case WM_DDE_REQUEST: {
            UINT_PTR format = 0, item = 0;
            UnpackDDElParam(WM_DDE_REQUEST, lp, &format, &item);
            FreeDDElParam(WM_DDE_REQUEST, lp);
            auto conv = g_topics.find(client);
            std::optional<std::string> reply;
            if (format == CF_TEXT && conv != g_topics.end())
                reply = g_handler.Request(conv->second, AtomText(ATOM(item)));
            HGLOBAL data = nullptr;
            if (reply) {
                data = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, sizeof(DDEDATA) + reply->size() + 1);
                if (auto* d = static_cast<DDEDATA*>(GlobalLock(data))) {
                    std::memset(d, 0, sizeof(DDEDATA));
                    d->fResponse = 1;
                    d->fRelease = 1;  // the client frees it
                    d->cfFormat = CF_TEXT;
                    std::memcpy(d->Value, reply->c_str(), reply->size() + 1);
                    GlobalUnlock(data);
                }
            }
            if (!data || !PostMessageA(client, WM_DDE_DATA, reinterpret_cast<WPARAM>(hwnd),
                                       PackDDElParam(WM_DDE_DATA, reinterpret_cast<UINT_PTR>(data), item))) {
                if (data) GlobalFree(data);
                PostAck(hwnd, client, false, item);
            }
            return 0;
        }
        case WM_DDE_ACK:  // to data we sent without asking for one: nothing to do
            FreeDDElParam(WM_DDE_ACK, lp);
            return 0;
        case WM_DDE_TERMINATE:
            g_topics.erase(client);
            PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(hwnd), 0);
            return 0;
        case WM_TIMER:  // the test that started us is long gone
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) g_service = argv[1];
    WNDCLASSA wc{};
    wc.lpfnWndProc = ServerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZarnFakeProgman";
    if (!RegisterClassA(&wc)) return 1;
    // A top-level window that is never shown: DDE initiations are sent to all of those.
    HWND server = CreateWindowA(wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance, nullptr);
    if (!server) return 1;
    SetTimer(server, 1, 10 * 60 * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    for (auto& [client, topic] : g_topics) PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(server), 0);
    DestroyWindow(server);
    return 0;
}
