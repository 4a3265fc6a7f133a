// Input shared by the backends: finding a control by name or caption, clicking it, and
// the keys a dialog understands.
#pragma once
#include <functional>
#include <string>

class TControl;
class TForm;

namespace ui {

// A control by name ("NextBtn", or qualified "InstallForm.Button2") or by its caption
// without '&' ("Next >"); the active form is searched first, then the visible forms,
// then all others (by name only).
TControl* FindControl(const std::string& nameOrCaption);
// Clicks the control as a user would (false when it cannot take input).
bool ClickControl(TControl* control);
// A key to the active form: "Enter" (focused or default button), "Escape" (cancel
// button), "Tab", "Shift+Tab", "Space" (focused button or check box), "Backspace" (focused edit),
// "Alt+<letter>" (accelerator), or one printable character (typed into a focused edit,
// else an accelerator). False when the key does nothing.
bool PressKey(const std::string& key);
// The window's close command (false without a system menu or behind a modal form).
bool CloseCommand(TForm* form);

// The focus rule: when the focused control of the active form can no longer take the
// focus (it or a parent was disabled or hidden), the focus moves on to the next control
// after it in tab order that can take it, or to none. Backends apply it after every
// input and timer event, so a handler may disable and hide controls in any order.
void SettleFocus();
// Runs an input or timer event's handler as DispatchEvent does, then settles the focus.
void DispatchInput(const std::function<void()>& fn);

}  // namespace ui
