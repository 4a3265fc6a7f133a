// Native windows for the win32 ui backend: a form is a top-level window of our own
// class; controls are the system's child window classes. Only the win32 build has an
// implementation; the host draws in the terminal instead.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace platform::gui {

using Window = void*;
using Font = void*;
using Image = void*;
using TimerId = std::uintptr_t;

enum class Kind : std::uint8_t {
    Button, CheckBox, Label, LabelNoWrap, Edit, Memo, GroupBox, Progress, ScrollBar, Panel, LineHorz, LineVert, Frame, Image
};

// Where native events go. `control` is the window the event concerns.
struct Events {
    void (*clicked)(void* ctx, Window control) = nullptr;   // a button or check box was pressed
    void (*changed)(void* ctx, Window control) = nullptr;   // an edit's text changed
    void (*closeRequested)(void* ctx, Window form) = nullptr;
    void (*key)(void* ctx, Window form, const char* name) = nullptr;  // "Enter", "Escape"
    void (*timer)(void* ctx, TimerId id) = nullptr;
    // a radio group's button `index` was chosen, by mouse or keyboard
    void (*selected)(void* ctx, Window group, int index) = nullptr;
    void* ctx = nullptr;
};
void SetEvents(const Events& events);

// Registers the window classes and the common controls; false when that fails.
bool Initialise();

struct FormStyle {
    bool systemMenu = true, minimize = true, maximize = true;
    bool dialogFrame = false, sizeable = true, noBorder = false;
};
// A hidden top-level window whose client area is clientW x clientH.
Window CreateForm(const std::string& caption, int x, int y, int clientW, int clientH, const FormStyle& style);
// Centres a top-level window on the screen.
void CenterOnScreen(Window form);
Window CreateControl(Window parent, Kind kind, const std::string& text, int x, int y, int w, int h, bool tabStop);
void Destroy(Window w);

// A radio group: a frame with the caption and one radio button per item, in `columns`
// columns below the caption. As in a dialog, Tab enters the group at its checked button
// and the arrow keys move the check among the buttons. SetText, SetFont, SetBounds,
// Enable and Focus work on the group as a whole.
Window CreateRadioGroup(Window parent, const std::string& caption, int x, int y, int w, int h);
void SetRadioItems(Window group, const std::vector<std::string>& items, int columns, int checked);
void SetRadioChecked(Window group, int index);  // -1: none

void SetText(Window w, const std::string& text);
std::string GetText(Window w);
void SetBounds(Window w, int x, int y, int width, int height);
void Show(Window w, bool visible);
void Enable(Window w, bool enabled);
void SetDefaultButton(Window button, bool isDefault);
void SetChecked(Window checkBox, bool checked);
void SetPanelBorder(Window panel, int outer, int inner);  // 0 none, 1 lowered, 2 raised
void SetRange(Window w, int min, int max, int position);  // progress bar or scroll bar
void BringToTop(Window w);
void SendToBottom(Window w);
void Focus(Window w);
// The window with the keyboard focus (a radio group for one of its buttons), or null.
Window FocusedWindow();
void Redraw(Window w);
// The width of `text` in the window's font, in pixels.
int TextWidth(Window w, const std::string& text);

Font CreateFont(const std::string& name, int height, bool bold, bool italic, bool underline, bool strikeOut,
                int charset);
void SetFont(Window w, Font f);
void DeleteFont(Font f);

// A 24-bit image, rows top first in blue-green-red order without padding.
Image CreateImage(int width, int height, const std::uint8_t* pixels);
void SetImage(Window w, Image img);
void DeleteImage(Image img);

// MessageBoxA; returns IDOK, IDYES, ...
int MessageBox(Window owner, const std::string& text, const std::string& caption, unsigned flags);

struct OpenFileRequest {
    std::string title, filter;  // filter: description and pattern pairs joined with '\0'
    std::string initialDir, fileName, defaultExt;
    int filterIndex = 1;
    bool pathMustExist = false, fileMustExist = false, hideReadOnly = true, readOnly = false;
    bool noChangeDir = false, allowMultiSelect = false, overwritePrompt = false;
};
// GetOpenFileNameA: true when the user chose; fileName and readOnly are updated.
bool OpenFile(Window owner, OpenFileRequest& request);

TimerId StartTimer(unsigned milliseconds);
void StopTimer(TimerId id);

// Handles pending messages (wait: block for at least one). False once WM_QUIT came.
// `dialogWindow` gets dialog keyboard handling (Tab, Enter, Esc).
bool Pump(bool wait, Window dialogWindow);

void SetWaitCursor(bool wait);

}  // namespace platform::gui
