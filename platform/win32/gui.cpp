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

Events g_events;
HFONT g_defaultFont = nullptr;

LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            HWND control = reinterpret_cast<HWND>(lp);
            WORD code = HIWORD(wp);
            if (control) {
                if ((code == BN_CLICKED) && g_events.clicked) g_events.clicked(g_events.ctx, control);
                if (code == EN_CHANGE && g_events.changed) g_events.changed(g_events.ctx, control);
            } else if (g_events.key) {
                HWND form = GetAncestor(hwnd, GA_ROOT);
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
            return 0;
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
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    WNDCLASSA wc{};
    wc.lpfnWndProc = FormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
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

void SetText(Window w, const std::string& text) { SetWindowTextA(static_cast<HWND>(w), text.c_str()); }

std::string GetText(Window w) {
    HWND h = static_cast<HWND>(w);
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
void Enable(Window w, bool enabled) { EnableWindow(static_cast<HWND>(w), enabled ? TRUE : FALSE); }

void SetDefaultButton(Window button, bool isDefault) {
    SendMessageA(static_cast<HWND>(button), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
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
void Focus(Window w) { SetFocus(static_cast<HWND>(w)); }
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
