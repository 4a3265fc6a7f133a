#include "framework/ui/host/terminal.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>

#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/ui/input.h"
#include "platform/console.h"
#include "platform/files.h"

namespace ui {

std::unique_ptr<TBackend> CreateDefaultBackend() { return std::make_unique<TTerminalBackend>(); }

namespace {

namespace console = platform::console;

double RealNow() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return double(duration_cast<microseconds>(steady_clock::now() - start).count()) / 1000.0;
}

std::string Trimmed(const std::string& s) { return Trim(s); }

// First word and the rest of a command line.
std::pair<std::string, std::string> SplitWord(const std::string& s) {
    std::string t = Trimmed(s);
    std::size_t sp = t.find(' ');
    if (sp == std::string::npos) return {t, ""};
    std::string rest = t.substr(sp + 1);
    std::size_t first = rest.find_first_not_of(' ');
    return {t.substr(0, sp), first == std::string::npos ? "" : rest.substr(first)};
}

bool ParseAnswer(const std::string& word, TMsgDlgBtn& b) {
    static const std::pair<const char*, TMsgDlgBtn> names[] = {
        {"yes", TMsgDlgBtn::mbYes},     {"no", TMsgDlgBtn::mbNo},       {"ok", TMsgDlgBtn::mbOK},
        {"cancel", TMsgDlgBtn::mbCancel}, {"abort", TMsgDlgBtn::mbAbort}, {"retry", TMsgDlgBtn::mbRetry},
        {"ignore", TMsgDlgBtn::mbIgnore}, {"all", TMsgDlgBtn::mbAll}};
    for (auto& [n, v] : names)
        if (SameText(word, n)) {
            b = v;
            return true;
        }
    return false;
}

TForm* ShownForm() { return Screen ? Screen->ActiveForm() : nullptr; }

}  // namespace

TTerminalBackend::TTerminalBackend() : in_(&std::cin), out_(&std::cout) {
    interactive_ = console::IsInteractive();
}

TTerminalBackend::TTerminalBackend(std::istream& in, std::ostream& out) : in_(&in), out_(&out) {}

TTerminalBackend::~TTerminalBackend() {
    if (rawMode_) LeaveRawMode();
}

double TTerminalBackend::Now() const { return interactive_ ? RealNow() : virtualNow_; }

std::string TTerminalBackend::ScreenText() const {
    TForm* f = ShownForm();
    if (f) return RenderForm(f, box_, boxFocus_).Text();
    if (box_) return RenderBox(*box_, boxFocus_).Text();
    return "(no window)\n";
}

// ---- notifications

void TTerminalBackend::FormShown(TForm* form) {
    dirty_ = true;
    if (!interactive_) printPending_ = true;
}

void TTerminalBackend::FormHidden(TForm* form) { dirty_ = true; }

void TTerminalBackend::ControlChanged(TControl*, TControlChange) { dirty_ = true; }

void TTerminalBackend::Repaint(TControl*) {
    dirty_ = true;
    if (interactive_) Draw(true);
}

void TTerminalBackend::FocusChanged(TForm*, TWinControl*) { dirty_ = true; }

void TTerminalBackend::TimerChanged(TTimer* timer) { due_.erase(timer); }

// ---- timers

void TTerminalBackend::SyncTimers() {
    const auto& all = AllTimers();
    for (auto it = due_.begin(); it != due_.end();) {
        bool alive = std::find(all.begin(), all.end(), it->first) != all.end();
        if (!alive || !it->first->Active()) it = due_.erase(it);
        else ++it;
    }
    for (TTimer* t : all)
        if (t->Active() && !due_.count(t)) due_[t] = Now() + t->Interval();
}

double TTerminalBackend::NextDue() const {
    double best = -1;
    for (auto& [t, when] : due_)
        if (best < 0 || when < best) best = when;
    return best;
}

bool TTerminalBackend::FireDueTimer(double upTo) {
    SyncTimers();
    TTimer* next = nullptr;
    double when = 0;
    for (TTimer* t : AllTimers()) {
        auto it = due_.find(t);
        if (it != due_.end() && it->second <= upTo && (!next || it->second < when)) {
            next = t;
            when = it->second;
        }
    }
    if (!next) return false;
    if (!interactive_) virtualNow_ = std::max(virtualNow_, when);
    due_[next] = Now() + next->Interval();
    DispatchInput([next] { next->Timer(); });
    return true;
}

// ---- the loop

void TTerminalBackend::ProcessMessages() {
    if (!interactive_) return;  // a script's commands are read only when the program waits
    FireDueTimer(Now());
    for (;;) {
        std::string key = ReadKey(0);
        if (key.empty()) break;
        HandleKey(key);
    }
    if (dirty_ && Now() - lastDraw_ > 50) Draw();
}

void TTerminalBackend::WaitMessage() {
    if (interactive_) {
        Draw();
        SyncTimers();
        double next = NextDue();
        int timeout = next < 0 ? -1 : int(std::max(0.0, next - Now()) + 1);
        std::string key = ReadKey(timeout);
        if (eof_) {
            EndOfInput();
            return;
        }
        if (key.empty()) FireDueTimer(Now());
        else HandleKey(key);
        return;
    }
    if (printPending_) PrintScreen();
    if (eof_) {
        EndOfInput();
        return;
    }
    std::string line;
    if (!ReadCommand(line)) {
        eof_ = true;
        EndOfInput();
        return;
    }
    RunCommand(line);
}

void TTerminalBackend::EndOfInput() {
    if (!endReported_) {
        Print("(end of input)\n");
        endReported_ = true;
    }
    if (Screen && Screen->ModalForm()) Screen->ModalForm()->SetModalResult(mrCancel);
    if (Application) Application->Terminate();
}

bool TTerminalBackend::ReadCommand(std::string& line) {
    for (;;) {
        if (!std::getline(*in_, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string t = Trimmed(line);
        if (t.empty() || t[0] == '#') continue;
        line = t;
        Print("> " + t + "\n");
        return true;
    }
}

void TTerminalBackend::Print(const std::string& text) {
    *out_ << text;
    out_->flush();
}

void TTerminalBackend::PrintScreen() {
    printPending_ = false;
    Print(ScreenText());
}

void TTerminalBackend::HandleKey(const std::string& key) {
    if (key == "Ctrl+Q") {
        CloseCommand(ShownForm());
        return;
    }
    PressKey(key);
    dirty_ = true;
}

void TTerminalBackend::RunCommand(const std::string& line) {
    auto [cmd, rest] = SplitWord(line);
    auto error = [this](const std::string& m) { Print("error: " + m + "\n"); };
    if (SameText(cmd, "click")) {
        TControl* c = FindControl(rest);
        if (!c) return error("no control \"" + rest + "\"");
        if (!ClickControl(c)) error("\"" + rest + "\" cannot be clicked now");
    } else if (SameText(cmd, "type")) {
        auto [name, text] = SplitWord(rest);
        auto* e = dynamic_cast<TCustomEdit*>(FindControl(name));
        if (!e) return error("no edit \"" + name + "\"");
        if (!e->CanReceiveInput() || e->ReadOnly()) return error("\"" + name + "\" takes no input now");
        e->SetFocus();
        if (!e->Text().empty()) DispatchInput([e] { e->SetText(""); });
        for (char ch : text) {
            bool ok = true;
            DispatchInput([&] { ok = e->TypeChar(ch); });
            if (!ok) return error("\"" + name + "\" is full");
        }
    } else if (SameText(cmd, "key")) {
        if (rest.empty()) return error("key needs a name");
        if (SameText(rest, "Ctrl+Q")) {
            if (!CloseCommand(ShownForm())) error("the window cannot be closed");
            return;
        }
        if (!PressKey(rest)) error("the key " + rest + " does nothing here");
    } else if (SameText(cmd, "close")) {
        TForm* f = rest.empty() ? ShownForm() : dynamic_cast<TForm*>(FindControl(rest));
        if (!CloseCommand(f)) error("the window cannot be closed");
    } else if (SameText(cmd, "select")) {
        auto [name, idx] = SplitWord(rest);
        auto* g = dynamic_cast<TRadioGroup*>(FindControl(name));
        long long i = -1;
        if (!g || !TryStrToInt(idx, i) || i < 0 || i >= g->Items()->Count() || !g->CanReceiveInput())
            return error("cannot select \"" + rest + "\"");
        DispatchInput([&] { g->SetItemIndex(int(i)); });
    } else if (SameText(cmd, "check") || SameText(cmd, "uncheck")) {
        auto* b = dynamic_cast<TCheckBox*>(FindControl(rest));
        if (!b || !b->CanReceiveInput()) return error("cannot " + LowerCase(cmd) + " \"" + rest + "\"");
        if (b->Checked() != SameText(cmd, "check")) ClickControl(b);
    } else if (SameText(cmd, "wait")) {
        if (rest.empty()) {
            SyncTimers();
            double next = NextDue();
            if (next < 0) return error("no timer is running");
            FireDueTimer(next);
        } else {
            long long ms = 0;
            if (!TryStrToInt(rest, ms) || ms < 0) return error("wait takes milliseconds");
            double target = virtualNow_ + double(ms);
            while (FireDueTimer(target)) {
            }
            virtualNow_ = std::max(virtualNow_, target);
        }
    } else if (SameText(cmd, "dump")) {
        PrintScreen();
    } else if (SameText(cmd, "quit")) {
        eof_ = true;
        EndOfInput();
    } else if (SameText(cmd, "answer") || SameText(cmd, "open")) {
        error("there is no " + std::string(SameText(cmd, "answer") ? "message box" : "open dialog") + " to answer");
    } else {
        error("unknown command \"" + cmd + "\"");
    }
}

// ---- message boxes and the open dialog

TModalResult TTerminalBackend::MessageBox(const TMessageBoxRequest& request) {
    auto buttons = ButtonsInOrder(request.buttons);
    int def = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i] == request.defaultButton) def = int(i);
    box_ = &request;
    boxFocus_ = def;
    struct Reset {
        TTerminalBackend* self;
        ~Reset() {
            self->box_ = nullptr;
            self->dirty_ = true;
        }
    } reset{this};

    if (!interactive_) {
        PrintScreen();
        for (;;) {
            std::string line;
            if (eof_ || !ReadCommand(line)) {
                eof_ = true;
                Print("(end of input: " + StripAccelerator(ButtonCaption(request.escapeButton)) + ")\n");
                return ModalResultOf(request.escapeButton);
            }
            auto [cmd, rest] = SplitWord(line);
            TMsgDlgBtn b;
            if (SameText(cmd, "answer")) {
                if (!ParseAnswer(rest, b) || !request.buttons.Contains(b)) {
                    Print("error: the box has no button \"" + rest + "\"\n");
                    continue;
                }
                return ModalResultOf(b);
            }
            if (SameText(cmd, "key") && SameText(rest, "Enter")) return ModalResultOf(request.defaultButton);
            if (SameText(cmd, "key") && SameText(rest, "Escape")) return ModalResultOf(request.escapeButton);
            if (SameText(cmd, "dump")) {
                PrintScreen();
                continue;
            }
            if (SameText(cmd, "quit")) {
                eof_ = true;
                return ModalResultOf(request.escapeButton);
            }
            Print("error: a message box is open; answer it first\n");
        }
    }

    for (;;) {
        Draw(true);
        std::string key = ReadKey(-1);
        if (eof_) return ModalResultOf(request.escapeButton);
        int n = int(buttons.size());
        if (key == "Tab" || key == "Right") boxFocus_ = (boxFocus_ + 1) % n;
        else if (key == "Shift+Tab" || key == "Left") boxFocus_ = (boxFocus_ + n - 1) % n;
        else if (key == "Enter" || key == "Space") return ModalResultOf(buttons[std::size_t(boxFocus_)]);
        else if (key == "Escape") return ModalResultOf(request.escapeButton);
        else if (key.size() == 1 || (key.size() == 5 && key.rfind("Alt+", 0) == 0)) {
            char k = char(std::toupper(static_cast<unsigned char>(key.back())));
            for (TMsgDlgBtn b : buttons)
                if (AcceleratorOf(ButtonCaption(b)) == k) return ModalResultOf(b);
        }
    }
}

namespace {
std::string CompletePath(const std::string& path, const std::string& initialDir) {
    bool absolute = (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
    if (absolute || initialDir.empty()) return path;
    std::string dir = initialDir;
    if (dir.back() != '\\') dir += '\\';
    return dir + path;
}
}  // namespace

bool TTerminalBackend::ExecuteOpenDialog(TOpenDialog* d) {
    bool mustExist = d->Options().Contains(TOpenOption::ofFileMustExist);
    std::string filter;
    for (auto& [desc, pattern] : d->FilterPairs()) filter += (filter.empty() ? "" : ", ") + desc + " (" + pattern + ")";
    auto accept = [&](const std::string& typed, std::string& why) {
        std::string full = CompletePath(typed, d->InitialDir());
        if (typed.empty()) {
            why = "no file name given";
            return false;
        }
        if (mustExist && !platform::FileExists(full)) {
            why = "file not found: " + full;
            return false;
        }
        d->SetFileName(full);
        return true;
    };
    if (!interactive_) {
        Print("[open dialog] " + d->Title() + "\n  folder: " + d->InitialDir() + "\n  file name: " + d->FileName() +
              "\n  files of type: " + filter + "\n");
        for (;;) {
            std::string line;
            if (eof_ || !ReadCommand(line)) {
                eof_ = true;
                Print("(end of input: Cancel)\n");
                return false;
            }
            auto [cmd, rest] = SplitWord(line);
            if (SameText(cmd, "open")) {
                if (SameText(rest, "cancel")) return false;
                std::string why;
                if (accept(rest, why)) return true;
                Print("error: " + why + "\n");
                continue;
            }
            if (SameText(cmd, "quit")) {
                eof_ = true;
                return false;
            }
            Print("error: the open dialog is shown; use open <path> or open cancel\n");
        }
    }
    std::string text = d->FileName();
    std::string note;
    for (;;) {
        TMessageBoxRequest view;
        view.caption = d->Title().empty() ? "Open" : d->Title();
        view.text = "Folder: " + d->InitialDir() + "\nFiles of type: " + filter + "\n\nFile name: " + text + "_" +
                    (note.empty() ? "" : "\n" + note);
        view.buttons = mbOKCancel;
        view.defaultButton = TMsgDlgBtn::mbOK;
        box_ = &view;
        boxFocus_ = 0;
        Draw(true);
        std::string key = ReadKey(-1);
        box_ = nullptr;
        dirty_ = true;
        if (eof_ || key == "Escape") return false;
        if (key == "Enter") {
            if (accept(text, note)) return true;
            continue;
        }
        if (key == "Backspace") {
            if (!text.empty()) text.pop_back();
        } else if (key == "Space") {
            text += ' ';
        } else if (key.size() == 1) {
            text += key;
        }
    }
}

// ---- the terminal itself

void TTerminalBackend::EnterRawMode() {
    if (rawMode_) return;
    // The alternate screen without a cursor; at the end the normal screen comes back.
    rawMode_ = console::EnterRawMode("\x1b[?1049h\x1b[?25l", "\x1b[0m\x1b[?25h\x1b[?1049l");
}

void TTerminalBackend::LeaveRawMode() {
    console::LeaveRawMode();
    rawMode_ = false;
}

std::string TTerminalBackend::ReadKey(int timeoutMs) {
    if (interactive_) EnterRawMode();
    unsigned char c;
    auto got = console::ReadByte(timeoutMs, c);
    if (got == console::ReadResult::Timeout) return "";
    if (got == console::ReadResult::End) {
        eof_ = true;
        return "";
    }
    auto next = [&](int wait, unsigned char& out) { return console::ReadByte(wait, out) == console::ReadResult::Byte; };
    switch (c) {
        case 9: return "Tab";
        case 13:
        case 10: return "Enter";
        case 127:
        case 8: return "Backspace";
        case 17: return "Ctrl+Q";
        case ' ': return "Space";
        case 27: {
            unsigned char d;
            if (!next(30, d)) return "Escape";
            if (d == '[' || d == 'O') {
                unsigned char e;
                if (!next(30, e)) return "";
                switch (e) {
                    case 'Z': return "Shift+Tab";
                    case 'A': return "Shift+Tab";
                    case 'B': return "Tab";
                    case 'C': return "Right";
                    case 'D': return "Left";
                    default: {
                        // Skip the rest of an unknown sequence.
                        while (!((e >= 'A' && e <= 'Z') || (e >= 'a' && e <= 'z') || e == '~') && next(5, e)) {
                        }
                        return "";
                    }
                }
            }
            if (std::isalnum(d)) return std::string("Alt+") + char(d);
            return "";
        }
        default:
            if (c >= 32) return std::string(1, char(c));
            return "";
    }
}

void TTerminalBackend::Draw(bool force) {
    if (!interactive_ || (!dirty_ && !force)) return;
    EnterRawMode();
    TForm* f = ShownForm();
    TTextScreen s = f ? RenderForm(f, box_, boxFocus_) : (box_ ? RenderBox(*box_, boxFocus_) : TTextScreen{});
    s.rows.push_back("");
    s.attrs.push_back("");
    std::string help = box_ ? "Tab: next button  Enter: choose  Esc: cancel"
                            : "Tab/Shift+Tab: move  Enter/Space: press  Esc: cancel  Alt+letter: accelerator  Ctrl+Q: close";
    s.rows.push_back(help);
    s.attrs.push_back(std::string(help.size(), 'd'));
    DrawScreen(s);
    dirty_ = false;
    lastDraw_ = Now();
}

void TTerminalBackend::DrawScreen(const TTextScreen& s) {
    std::string out = "\x1b[H";
    for (std::size_t y = 0; y < s.rows.size(); ++y) {
        char cur = ' ';
        for (std::size_t x = 0; x < s.rows[y].size(); ++x) {
            char a = x < s.attrs[y].size() ? s.attrs[y][x] : ' ';
            if (a != cur) {
                out += "\x1b[0m";
                if (a == 'r') out += "\x1b[7m";
                if (a == 'd') out += "\x1b[2m";
                if (a == 'u') out += "\x1b[4m";
                if (a == 'b') out += "\x1b[1m";
                cur = a;
            }
            out += s.rows[y][x];
        }
        out += "\x1b[0m\x1b[K\r\n";
    }
    out += "\x1b[J";
    console::Write(out);
}

}  // namespace ui
