// The headless backend, for tests: nothing is drawn. Tests give input (clicks, typing,
// keys, the close command), answer message boxes and the open dialog from queues,
// schedule input for later moments, and read what was shown. Timers run on a virtual
// clock that moves only when a message loop waits, so no test sleeps.
#pragma once
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/ui/backend.h"

class TControl;
class TForm;
class TTimer;

namespace ui {

struct TShownBox {
    TMessageBoxRequest request;
    TModalResult answer = mrNone;
    bool scripted = false;  // answered from the queue (else with the default button)
};

struct TShownOpenDialog {
    std::string title, filter, initialDir, fileName;
    TOpenOptions options;
    bool accepted = false;
};

class THeadlessBackend : public TBackend {
public:
    using TAction = std::function<void()>;

    THeadlessBackend();
    ~THeadlessBackend() override;
    std::string Name() const override { return "headless"; }

    // ---- input now. Each returns false (and does nothing) when the control is not found
    // or cannot take input (hidden, disabled, or behind a modal form).
    // A control by name ("NextBtn", or "InstallForm.Button2") or by caption without '&'
    // ("Next >"); the active form is searched first, then the other visible forms.
    TControl* Find(const std::string& nameOrCaption) const;
    bool Click(const std::string& nameOrCaption);
    bool Click(TControl* control);
    // Appends the text to an edit, one change per character.
    bool Type(const std::string& editName, const std::string& text);
    // Replaces an edit's text as a user would: clearing it is one change, then one per
    // character typed.
    bool Retype(const std::string& editName, const std::string& text);
    bool Backspace(const std::string& editName, int count = 1);
    // A key to the active form: "Enter" (focused or default button), "Escape" (cancel
    // button), "Tab", "Shift+Tab", "Space" (focused button), "Alt+<letter>" (accelerator).
    bool Key(const std::string& key);
    // Selects an item of a radio group.
    bool SelectItem(const std::string& radioGroupName, int index);
    // Ticks or clears a check box as a click does (nothing when it already is so).
    bool Check(const std::string& checkBoxName, bool checked);
    // Whether the check box is ticked (false when there is none of that name).
    bool Checked(const std::string& checkBoxName) const;
    // The window's close command (needs the system menu among the border icons).
    bool CloseCommand(TForm* form);
    bool CloseCommand(const std::string& formName);

    // ---- message boxes and the open dialog, answered in order. A box with no answer
    // queued takes its default button (or fails the run when StrictBoxes is set).
    void QueueAnswer(TModalResult answer);
    void QueueOpenDialog(const std::string& fileName);
    void QueueOpenDialogCancel();
    const std::vector<TShownBox>& Boxes() const { return boxes_; }
    const std::vector<TShownOpenDialog>& OpenDialogs() const { return openDialogs_; }
    bool StrictBoxes = false;
    // Runs while a box is shown (before it is answered), e.g. to look at the screen.
    std::function<void(const TMessageBoxRequest&)> OnBox;

    // ---- scheduled input. Actions run as event handlers do (an exception they raise is
    // reported by the application).
    // At the n-th processing of pending messages from now (1 = the next one).
    void AtProcessMessages(int n, TAction action);
    // The next time a message loop waits for input (before any timer fires).
    void WhenIdle(TAction action);
    // Right after the named timer fires next.
    void AfterTimer(const std::string& timerName, TAction action);

    // ---- what was shown
    // One line per event: "show MainForm", "hide InstallForm", "modal InstallForm",
    // "box Warning: text", "click MainForm.NextBtn", "timer InstallForm.Timer2",
    // "open-dialog Select your Quake executable".
    const std::vector<std::string>& Log() const { return log_; }
    // Every position a progress bar took while its form was shown; every caption a label
    // or control showed (the name may be qualified "Form.Control" or bare).
    std::vector<int> ProgressHistory(const std::string& name) const;
    std::vector<std::string> TextHistory(const std::string& name) const;
    std::vector<std::string> ShownForms() const;
    int ProcessMessagesCalls() const { return processCalls_; }
    // Virtual milliseconds since the backend started.
    double Now() const { return now_; }
    // Message loop waits allowed before the run is declared stuck.
    int MaxWaits = 1000000;

    // ---- TBackend
    void FormShown(TForm* form) override;
    void FormHidden(TForm* form) override;
    void ModalStarted(TForm* form) override;
    void ModalEnded(TForm* form) override;
    void ControlChanged(TControl* control, TControlChange what) override;
    TModalResult MessageBox(const TMessageBoxRequest& request) override;
    bool ExecuteOpenDialog(TOpenDialog* dialog) override;
    void TimerChanged(TTimer* timer) override;
    void ProcessMessages() override;
    void WaitMessage() override;

private:
    static std::string KeyOf(const TControl* c);
    void Record(std::map<std::string, std::vector<int>>& m, const std::string& key, int v);
    void SyncTimers();
    std::vector<std::string> log_;
    std::vector<TShownBox> boxes_;
    std::deque<TModalResult> answers_;
    std::vector<TShownOpenDialog> openDialogs_;
    std::deque<std::optional<std::string>> openAnswers_;
    std::multimap<int, TAction> atProcess_;
    std::deque<TAction> idle_;
    std::multimap<std::string, TAction> afterTimer_;
    std::map<std::string, std::vector<int>> progress_;
    std::map<std::string, std::vector<std::string>> texts_;
    std::map<TTimer*, double> due_;
    int processCalls_ = 0;
    int waits_ = 0;
    double now_ = 0;
};

}  // namespace ui
