// Native windows over the ANSI Win32 API.
#include "platform/win32/win32_api.h"

#include <commctrl.h>
#include <commdlg.h>

#include <vector>

#include "platform/gui.h"

#undef CreateFont
#undef MessageBox

namespace platform::gui {

namespace {

constexpr const char* kFormClass = "ZarnForm";
constexpr const char* kPanelClass = "ZarnPanel";
constexpr int kPanelBorderProp = 0;  // window extra bytes: outer | inner << 8
// A panel holding a radio group's frame (id kRadioFrameId) and buttons (ids 1..n) has
// this property; its value is the number of columns.
constexpr const char* kRadioProp = "ZarnRadioColumns";
constexpr int kRadioFrameId = 0xFFF;

Events g_events;
HFONT g_defaultFont = nullptr;

bool IsRadioGroup(HWND h) { return h && GetPropA(h, kRadioProp) != nullptr; }

HWND RadioFrame(HWND group) { return GetDlgItem(group, kRadioFrameId); }

std::vector<HWND> RadioButtons(HWND group) {
    std::vector<HWND> out;
    for (int id = 1;; ++id) {
        HWND b = GetDlgItem(group, id);
        if (!b) return out;
        out.push_back(b);
    }
}

// The buttons fill the frame below its caption: column after column, each column as
// many rows as the first, the rows sharing the height evenly.
void LayoutRadioGroup(HWND group) {
    RECT r;
    GetClientRect(group, &r);
    if (HWND frame = RadioFrame(group)) MoveWindow(frame, 0, 0, r.right, r.bottom, TRUE);
    std::vector<HWND> buttons = RadioButtons(group);
    if (buttons.empty()) return;
    int columns = int(reinterpret_cast<INT_PTR>(GetPropA(group, kRadioProp)));
    if (columns < 1) columns = 1;
    int n = int(buttons.size());
    int perColumn = (n + columns - 1) / columns;
    TEXTMETRICA tm{};
    HDC dc = GetDC(group);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(group, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : g_defaultFont);
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(group, dc);
    int width = (r.right - 10) / columns;
    int room = r.bottom - tm.tmHeight - 5;
    int height = room / perColumn;
    int top = tm.tmHeight + 1 + (room % perColumn) / 2;
    for (int i = 0; i < n; ++i)
        MoveWindow(buttons[std::size_t(i)], (i / perColumn) * width + 8, (i % perColumn) * height + top, width,
                   height, TRUE);
}

// Only the checked button (the first when none is) is a tab stop, so Tab enters the
// group there.
void SetRadioTabStop(HWND group) {
    std::vector<HWND> buttons = RadioButtons(group);
    HWND stop = buttons.empty() ? nullptr : buttons.front();
    for (HWND b : buttons)
        if (SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) stop = b;
    for (HWND b : buttons) {
        LONG style = GetWindowLongA(b, GWL_STYLE);
        LONG want = b == stop ? (style | WS_TABSTOP) : (style & ~LONG(WS_TABSTOP));
        if (want != style) SetWindowLongA(b, GWL_STYLE, want);
    }
}

// The top-level window that holds `h`.
HWND RootOf(HWND h) {
    while (h && (GetWindowLongA(h, GWL_STYLE) & WS_CHILD)) h = GetParent(h);
    return h;
}

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            HWND control = reinterpret_cast<HWND>(lp);
            WORD code = HIWORD(wp);
            if (control && IsRadioGroup(hwnd)) {
                if (code == BN_CLICKED && LOWORD(wp) != kRadioFrameId) {
                    SetRadioTabStop(hwnd);
                    if (g_events.selected) g_events.selected(g_events.ctx, hwnd, int(LOWORD(wp)) - 1);
                }
            } else if (control) {
                if ((code == BN_CLICKED) && g_events.clicked) g_events.clicked(g_events.ctx, control);
                if (code == EN_CHANGE && g_events.changed) g_events.changed(g_events.ctx, control);
            } else if (g_events.key) {
                HWND form = RootOf(hwnd);
                if (LOWORD(wp) == IDOK) g_events.key(g_events.ctx, form, "Enter");
                if (LOWORD(wp) == IDCANCEL) g_events.key(g_events.ctx, form, "Escape");
            }
            return 0;
        }
        case WM_CLOSE:
            if (g_events.closeRequested) g_events.closeRequested(g_events.ctx, hwnd);
            return 0;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wp);
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        }
        case WM_PAINT: {
            if (GetParent(hwnd) == nullptr || !(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) break;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            if (IsRadioGroup(hwnd)) {
                EndPaint(hwnd, &ps);
                return 0;
            }
            LONG border = GetWindowLongA(hwnd, kPanelBorderProp);
            int outer = border & 0xFF, inner = (border >> 8) & 0xFF;
            if (outer) DrawEdge(dc, &r, outer == 1 ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, BF_RECT | BF_ADJUST);
            if (inner) DrawEdge(dc, &r, inner == 1 ? BDR_SUNKENINNER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
            char text[512];
            int n = GetWindowTextA(hwnd, text, sizeof text);
            if (n > 0) {
                HFONT f = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
                HGDIOBJ old = SelectObject(dc, f ? f : g_defaultFont);
                SetBkMode(dc, TRANSPARENT);
                DrawTextA(dc, text, n, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
                SelectObject(dc, old);
            }
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_SETFONT:
            SetPropA(hwnd, "ZarnFont", reinterpret_cast<HANDLE>(wp));
            if (IsRadioGroup(hwnd)) {
                if (HWND frame = RadioFrame(hwnd)) SendMessageA(frame, WM_SETFONT, wp, lp);
                for (HWND b : RadioButtons(hwnd)) SendMessageA(b, WM_SETFONT, wp, lp);
                LayoutRadioGroup(hwnd);
            }
            return 0;
        case WM_SIZE:
            if (IsRadioGroup(hwnd)) LayoutRadioGroup(hwnd);
            break;
        case WM_DESTROY:
            RemovePropA(hwnd, "ZarnFont");
            RemovePropA(hwnd, kRadioProp);
            break;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(GetPropA(hwnd, "ZarnFont"));
        case WM_SETTEXT: {
            LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
            if (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        default: break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    if (g_events.timer) g_events.timer(g_events.ctx, id);
}

}  // namespace

void SetEvents(const Events& events) { g_events = events; }

bool Initialise() {
    static bool done = false;
    if (done) return true;
    // InitCommonControls is in every version of the library and loads it, which the
    // version 6 controls need; InitCommonControlsEx came with version 4.70 (Internet
    // Explorer 3), so it is looked up.
    InitCommonControls();
    if (HMODULE comctl = GetModuleHandleA("COMCTL32.DLL")) {
        using InitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        if (void* p = reinterpret_cast<void*>(GetProcAddress(comctl, "InitCommonControlsEx"))) {
            INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
            reinterpret_cast<InitEx>(p)(&icc);
        }
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    // The program's own icon (resource 1), else the system's.
    wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1));
    if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    wc.lpszClassName = kFormClass;
    if (!RegisterClassA(&wc)) return false;
    wc.lpszClassName = kPanelClass;
    wc.hIcon = nullptr;
    wc.cbWndExtra = sizeof(LONG);
    if (!RegisterClassA(&wc)) return false;
    g_defaultFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    done = true;
    return true;
}

Window CreateForm(const std::string& caption, int x, int y, int clientW, int clientH, const FormStyle& s) {
    DWORD style = 0;
    DWORD ex = WS_EX_CONTROLPARENT;
    if (s.noBorder) style |= WS_POPUP;
    else {
        style |= WS_CAPTION;
        if (s.systemMenu) style |= WS_SYSMENU;
        if (s.dialogFrame) ex |= WS_EX_DLGMODALFRAME;
        else {
            if (s.sizeable) style |= WS_THICKFRAME;
            if (s.minimize) style |= WS_MINIMIZEBOX;
            if (s.maximize) style |= WS_MAXIMIZEBOX;
        }
    }
    RECT r{0, 0, clientW, clientH};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    HWND h = CreateWindowExA(ex, kFormClass, caption.c_str(), style, x, y, r.right - r.left, r.bottom - r.top,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (h && !s.systemMenu) {
        // A dialog frame without a system menu shows no icon and no close box.
        SetWindowLongA(h, GWL_STYLE, GetWindowLongA(h, GWL_STYLE) & ~WS_SYSMENU);
    }
    return h;
}

void CenterOnScreen(Window w) {
    HWND h = static_cast<HWND>(w);
    RECT r;
    GetWindowRect(h, &r);
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    int width = r.right - r.left, height = r.bottom - r.top;
    SetWindowPos(h, nullptr, (sw - width) / 2, (sh - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Window CreateControl(Window parent, Kind kind, const std::string& text, int x, int y, int w, int h, bool tabStop) {
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    if (tabStop) style |= WS_TABSTOP;
    switch (kind) {
        case Kind::Button: cls = "BUTTON"; style |= BS_PUSHBUTTON; break;
        case Kind::CheckBox: cls = "BUTTON"; style |= BS_AUTOCHECKBOX; break;
        case Kind::Label: style |= SS_LEFT; break;
        case Kind::LabelNoWrap: style |= SS_LEFTNOWORDWRAP; break;
        case Kind::Edit: cls = "EDIT"; style |= ES_AUTOHSCROLL; ex |= WS_EX_CLIENTEDGE; break;
        case Kind::Memo:
            cls = "EDIT";
            style |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN;
            ex |= WS_EX_CLIENTEDGE;
            break;
        case Kind::GroupBox: cls = "BUTTON"; style |= BS_GROUPBOX; break;
        case Kind::Progress: cls = PROGRESS_CLASSA; break;
        case Kind::ScrollBar: cls = "SCROLLBAR"; style |= SBS_HORZ; break;
        case Kind::Panel: cls = kPanelClass; ex |= WS_EX_CONTROLPARENT; break;
        case Kind::LineHorz: style |= SS_ETCHEDHORZ; break;
        case Kind::LineVert: style |= SS_ETCHEDVERT; break;
        case Kind::Frame: style |= SS_ETCHEDFRAME; break;
        case Kind::Image: style |= SS_BITMAP | SS_REALSIZECONTROL; break;
    }
    HWND hw = CreateWindowExA(ex, cls, text.c_str(), style, x, y, w, h, static_cast<HWND>(parent), nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    if (hw) SendMessageA(hw, WM_SETFONT, reinterpret_cast<WPARAM>(g_defaultFont), FALSE);
    return hw;
}

void Destroy(Window w) {
    if (w) DestroyWindow(static_cast<HWND>(w));
}

Window CreateRadioGroup(Window parent, const std::string& caption, int x, int y, int w, int h) {
    HWND group = CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "", WS_CHILD | WS_CLIPSIBLINGS, x, y, w, h,
                                 static_cast<HWND>(parent), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!group) return nullptr;
    SetPropA(group, kRadioProp, reinterpret_cast<HANDLE>(INT_PTR(1)));
    HWND frame = CreateWindowExA(0, "BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0, 0, w, h,
                                 group, reinterpret_cast<HMENU>(INT_PTR(kRadioFrameId)), GetModuleHandleA(nullptr),
                                 nullptr);
    if (!frame) {
        DestroyWindow(group);
        return nullptr;
    }
    SendMessageA(group, WM_SETFONT, reinterpret_cast<WPARAM>(g_defaultFont), FALSE);
    return group;
}

void SetRadioItems(Window w, const std::vector<std::string>& items, int columns, int checked) {
    HWND group = static_cast<HWND>(w);
    for (HWND b : RadioButtons(group)) DestroyWindow(b);
    SetPropA(group, kRadioProp, reinterpret_cast<HANDLE>(INT_PTR(columns < 1 ? 1 : columns)));
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(group, WM_GETFONT, 0, 0));
    bool enabled = IsWindowEnabled(group);
    std::vector<HWND> made;
    for (std::size_t i = 0; i < items.size(); ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
        HWND b = CreateWindowExA(0, "BUTTON", items[i].c_str(), style, 0, 0, 0, 0, group,
                                 reinterpret_cast<HMENU>(INT_PTR(i + 1)), GetModuleHandleA(nullptr), nullptr);
        if (!b) break;
        SendMessageA(b, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font : g_defaultFont), FALSE);
        if (int(i) == checked) SendMessageA(b, BM_SETCHECK, BST_CHECKED, 0);
        if (!enabled) EnableWindow(b, FALSE);
        made.push_back(b);
    }
    // Tab and arrow keys follow the order from the top of the stack: the first button
    // first, the frame under everything.
    for (auto it = made.rbegin(); it != made.rend(); ++it)
        SetWindowPos(*it, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND frame = RadioFrame(group))
        SetWindowPos(frame, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetRadioTabStop(group);
    LayoutRadioGroup(group);
}

void SetRadioChecked(Window w, int index) {
    HWND group = static_cast<HWND>(w);
    std::vector<HWND> buttons = RadioButtons(group);
    for (std::size_t i = 0; i < buttons.size(); ++i)
        SendMessageA(buttons[i], BM_SETCHECK, int(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    SetRadioTabStop(group);
}

void SetText(Window w, const std::string& text) {
    HWND h = static_cast<HWND>(w);
    if (IsRadioGroup(h)) h = RadioFrame(h);
    SetWindowTextA(h, text.c_str());
}

std::string GetText(Window w) {
    HWND h = static_cast<HWND>(w);
    if (IsRadioGroup(h)) h = RadioFrame(h);
    int n = GetWindowTextLengthA(h);
    std::string s(std::size_t(n) + 1, '\0');
    int got = GetWindowTextA(h, s.data(), n + 1);
    s.resize(std::size_t(got > 0 ? got : 0));
    return s;
}

void SetBounds(Window w, int x, int y, int width, int height) {
    SetWindowPos(static_cast<HWND>(w), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Show(Window w, bool visible) { ShowWindow(static_cast<HWND>(w), visible ? SW_SHOW : SW_HIDE); }
void Enable(Window w, bool enabled) {
    HWND h = static_cast<HWND>(w);
    EnableWindow(h, enabled ? TRUE : FALSE);
    // A radio group's buttons and frame grey out with it.
    if (IsRadioGroup(h)) {
        if (HWND frame = RadioFrame(h)) EnableWindow(frame, enabled ? TRUE : FALSE);
        for (HWND b : RadioButtons(h)) EnableWindow(b, enabled ? TRUE : FALSE);
    }
}

void SetDefaultButton(Window button, bool isDefault) {
    SendMessageA(static_cast<HWND>(button), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void SetChecked(Window checkBox, bool checked) {
    SendMessageA(static_cast<HWND>(checkBox), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetPanelBorder(Window panel, int outer, int inner) {
    SetWindowLongA(static_cast<HWND>(panel), kPanelBorderProp, LONG(outer | inner << 8));
    InvalidateRect(static_cast<HWND>(panel), nullptr, TRUE);
}

void SetRange(Window w, int min, int max, int position) {
    HWND h = static_cast<HWND>(w);
    char cls[32] = {};
    GetClassNameA(h, cls, sizeof cls);
    if (lstrcmpiA(cls, "SCROLLBAR") == 0) {
        SetScrollRange(h, SB_CTL, min, max, FALSE);
        SetScrollPos(h, SB_CTL, position, TRUE);
    } else {
        SendMessageA(h, PBM_SETRANGE32, WPARAM(min), LPARAM(max));
        SendMessageA(h, PBM_SETPOS, WPARAM(position), 0);
    }
}

void BringToTop(Window w) {
    SetWindowPos(static_cast<HWND>(w), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void SendToBottom(Window w) {
    SetWindowPos(static_cast<HWND>(w), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}
void Focus(Window w) {
    HWND h = static_cast<HWND>(w);
    if (IsRadioGroup(h)) {
        // The checked button, else the first.
        std::vector<HWND> buttons = RadioButtons(h);
        if (buttons.empty()) return;
        HWND to = buttons.front();
        for (HWND b : buttons)
            if (SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED) to = b;
        h = to;
    }
    SetFocus(h);
}

Window FocusedWindow() {
    HWND h = GetFocus();
    if (h && IsRadioGroup(GetParent(h))) return GetParent(h);
    return h;
}

int TextWidth(Window w, const std::string& text) {
    HWND h = static_cast<HWND>(w);
    HDC dc = GetDC(h);
    if (!dc) return 0;
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : g_defaultFont);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), int(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    return int(size.cx);
}
void Redraw(Window w) {
    HWND h = static_cast<HWND>(w);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

Font CreateFont(const std::string& name, int height, bool bold, bool italic, bool underline, bool strikeOut,
                int charset) {
    return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, strikeOut, DWORD(charset),
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       name.c_str());
}
void SetFont(Window w, Font f) { SendMessageA(static_cast<HWND>(w), WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE); }
void DeleteFont(Font f) {
    if (f) DeleteObject(static_cast<HFONT>(f));
}

Image CreateImage(int width, int height, const std::uint8_t* pixels) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) return nullptr;
    std::size_t stride = (std::size_t(width) * 3 + 3) / 4 * 4;
    for (int y = 0; y < height; ++y)
        memcpy(static_cast<std::uint8_t*>(bits) + stride * std::size_t(y), pixels + std::size_t(y) * std::size_t(width) * 3,
               std::size_t(width) * 3);
    GdiFlush();
    return bmp;
}
void SetImage(Window w, Image img) {
    SendMessageA(static_cast<HWND>(w), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(img));
}
void DeleteImage(Image img) {
    if (img) DeleteObject(static_cast<HBITMAP>(img));
}

int MessageBox(Window owner, const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), flags);
}

bool OpenFile(Window owner, OpenFileRequest& r) {
    std::vector<char> file(1024, '\0');
    std::string fn = r.fileName.substr(0, file.size() - 1);
    std::copy(fn.begin(), fn.end(), file.begin());
    std::string filter = r.filter;
    filter.push_back('\0');
    filter.push_back('\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = static_cast<HWND>(owner);
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = DWORD(r.filterIndex);
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = r.initialDir.empty() ? nullptr : r.initialDir.c_str();
    ofn.lpstrTitle = r.title.empty() ? nullptr : r.title.c_str();
    ofn.lpstrDefExt = r.defaultExt.empty() ? nullptr : r.defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
    if (r.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
    if (r.fileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (r.hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (r.readOnly) ofn.Flags |= OFN_READONLY;
    if (r.noChangeDir) ofn.Flags |= OFN_NOCHANGEDIR;
    if (r.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (!GetOpenFileNameA(&ofn)) return false;
    r.fileName = file.data();
    r.readOnly = (ofn.Flags & OFN_READONLY) != 0;
    return true;
}

TimerId StartTimer(unsigned ms) { return SetTimer(nullptr, 0, ms, TimerProc); }
void StopTimer(TimerId id) {
    if (id) KillTimer(nullptr, id);
}

bool Pump(bool wait, Window dialogWindow) {
    MSG msg;
    bool any = false;
    for (;;) {
        if (wait && !any) {
            BOOL r = GetMessageA(&msg, nullptr, 0, 0);
            if (r == 0 || r == -1) return false;
        } else if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            return true;
        }
        if (msg.message == WM_QUIT) return false;
        any = true;
        if (dialogWindow && IsDialogMessageA(static_cast<HWND>(dialogWindow), &msg)) {
            if (wait) return true;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (wait) return true;
    }
}

void SetWaitCursor(bool wait) {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(wait ? IDC_WAIT : IDC_ARROW)));
}

}  // namespace platform::gui
