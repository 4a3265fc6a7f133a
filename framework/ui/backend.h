// The ui backend: what draws forms and controls and delivers input to them. Forms and
// controls tell the backend what changed; the backend shows message boxes and the open
// dialog, runs timers and pumps messages. One backend is active at a time.
#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "framework/ui/messagebox.h"

class TForm;
class TTimer;
class TOpenDialog;
class TControl;
class TWinControl;
// What changed on a control (controls.h).
enum class TControlChange : std::uint8_t;

namespace ui {

// A failure of the ui itself (not of an event handler): never shown as a message box,
// always passed on to the caller.
class EUiFatal : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBackend {
public:
    virtual ~TBackend() = default;
    virtual std::string Name() const = 0;

    // A form became visible / hidden / is being destroyed.
    virtual void FormShown(TForm* form) = 0;
    virtual void FormHidden(TForm* form) = 0;
    virtual void FormDestroying(TForm* form) {}
    // A modal run of the form starts / ends (other forms are disabled meanwhile).
    virtual void ModalStarted(TForm* form) {}
    virtual void ModalEnded(TForm* form) {}
    // Something visible of the control changed.
    virtual void ControlChanged(TControl* control, TControlChange what) {}
    virtual void ControlDestroying(TControl* control) {}
    // Draw the control now rather than on the next pump.
    virtual void Repaint(TControl* control) {}
    virtual void FocusChanged(TForm* form, TWinControl* focused) {}
    virtual void CursorChanged(TCursor cursor) {}

    virtual TModalResult MessageBox(const TMessageBoxRequest& request) = 0;
    // Runs the open dialog; on true the dialog's FileName (and options) are updated.
    virtual bool ExecuteOpenDialog(TOpenDialog* dialog) = 0;

    // The timer started, stopped or changed its interval (see TTimer::Active).
    virtual void TimerChanged(TTimer* timer) = 0;
    virtual void TimerDestroying(TTimer* timer) { TimerChanged(timer); }

    // Handles every pending message without waiting.
    virtual void ProcessMessages() = 0;
    // Waits for the next message (input, timer) and handles it.
    virtual void WaitMessage() = 0;
};

// The active backend; the default one is created on first use (the terminal on the host,
// real windows on Windows).
TBackend& Backend();
bool HasBackend();
// Makes `backend` active (nullptr: none; the default is created on next use).
void SetBackend(std::unique_ptr<TBackend> backend);
// The backend this build uses for people.
std::unique_ptr<TBackend> CreateDefaultBackend();

class THeadlessBackend;
// Makes a fresh headless backend active and returns it.
THeadlessBackend& UseHeadlessBackend();

}  // namespace ui
