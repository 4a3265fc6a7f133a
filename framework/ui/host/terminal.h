// The terminal front end of the host build. With a terminal it draws the active form and
// its message boxes with ANSI escape codes and reads keys in raw mode (Tab and Shift+Tab
// move the focus, Enter and Space press the focused button, Esc the cancel button,
// Alt+letter or the letter an accelerator, printable keys and Backspace edit). Without a
// terminal it reads one command per line and prints screens as plain text, so a script
// can drive it; the commands are listed in README.md.
#pragma once
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

#include "framework/ui/backend.h"

class TControl;
class TWinControl;

namespace ui {

// A screen as text: one string per row, and an attribute per cell (' ' plain,
// 'r' reverse for the focus, 'd' dim for disabled, 'u' underline for accelerators,
// 'b' bold for titles).
struct TTextScreen {
    std::vector<std::string> rows;
    std::vector<std::string> attrs;
    std::string Text() const;  // rows joined with '\n', trailing blanks removed
};

// Draws a form (and a message box over it, when given) as text.
TTextScreen RenderForm(TForm* form, const TMessageBoxRequest* box = nullptr, int boxFocus = 0);
// A box alone, for when no form is shown.
TTextScreen RenderBox(const TMessageBoxRequest& box, int boxFocus = 0);

class TTerminalBackend : public TBackend {
public:
    // Reads the process's standard input; interactive when both it and standard output
    // are terminals.
    TTerminalBackend();
    // Script mode over the given streams (tests).
    TTerminalBackend(std::istream& in, std::ostream& out);
    ~TTerminalBackend() override;
    std::string Name() const override { return interactive_ ? "terminal" : "terminal-script"; }

    void FormShown(TForm* form) override;
    void FormHidden(TForm* form) override;
    void ControlChanged(TControl* control, TControlChange what) override;
    void Repaint(TControl* control) override;
    void FocusChanged(TForm* form, TWinControl* focused) override;
    TModalResult MessageBox(const TMessageBoxRequest& request) override;
    bool ExecuteOpenDialog(TOpenDialog* dialog) override;
    void TimerChanged(TTimer* timer) override;
    void ProcessMessages() override;
    void WaitMessage() override;

    // The current screen as text (what `dump` prints).
    std::string ScreenText() const;
    // Virtual milliseconds (script mode), real ones otherwise.
    double Now() const;

private:
    // Script mode
    bool ReadCommand(std::string& line);
    void RunCommand(const std::string& line);
    void Print(const std::string& text);
    void PrintScreen();
    void EndOfInput();
    void HandleKey(const std::string& key);
    // Interactive mode
    void EnterRawMode();
    void LeaveRawMode();
    std::string ReadKey(int timeoutMs);  // "" on timeout
    void Draw(bool force = false);
    void DrawScreen(const TTextScreen& s);
    // Timers
    void SyncTimers();
    bool FireDueTimer(double upTo);
    double NextDue() const;

    bool interactive_ = false;
    std::istream* in_ = nullptr;
    std::ostream* out_ = nullptr;
    bool ownsStreams_ = false;
    bool eof_ = false;
    bool endReported_ = false;
    bool printPending_ = false;
    bool dirty_ = true;
    bool rawMode_ = false;
    double virtualNow_ = 0;
    double lastDraw_ = -1e9;
    std::map<TTimer*, double> due_;
    const TMessageBoxRequest* box_ = nullptr;
    int boxFocus_ = 0;
};

}  // namespace ui
