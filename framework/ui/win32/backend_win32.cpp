// The win32 backend: one native window per windowed control and per label, bevel and
// image; forms are top-level windows of our own class.
#include <algorithm>
#include <exception>
#include <functional>
#include <map>
#include <set>

#include "framework/bitmap.h"
#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/ui/backend.h"
#include "framework/ui/input.h"
#include "platform/system.h"
#include "platform/gui.h"

namespace ui {

namespace {

namespace gui = platform::gui;

class TWin32Backend : public TBackend {
public:
    TWin32Backend() {
        gui::Initialise();
        gui::Events e;
        e.ctx = this;
        e.clicked = [](void* ctx, gui::Window w) { static_cast<TWin32Backend*>(ctx)->Clicked(w); };
        e.changed = [](void* ctx, gui::Window w) { static_cast<TWin32Backend*>(ctx)->EditChanged(w); };
        e.closeRequested = [](void* ctx, gui::Window w) { static_cast<TWin32Backend*>(ctx)->CloseRequested(w); };
        e.key = [](void* ctx, gui::Window, const char* name) { static_cast<TWin32Backend*>(ctx)->Key(name); };
        e.timer = [](void* ctx, gui::TimerId id) { static_cast<TWin32Backend*>(ctx)->TimerFired(id); };
        e.selected = [](void* ctx, gui::Window w, int index) {
            static_cast<TWin32Backend*>(ctx)->RadioSelected(w, index);
        };
        gui::SetEvents(e);
    }
    ~TWin32Backend() override {
        gui::SetEvents(gui::Events{});
        for (auto& [t, id] : timers_) gui::StopTimer(id);
        for (auto& [key, f] : fonts_) gui::DeleteFont(f);
        for (auto& [c, img] : images_) gui::DeleteImage(img);
    }
    std::string Name() const override { return "win32"; }

    void FormShown(TForm* form) override {
        gui::Window w = Native(form);
        if (!w) w = Build(form);
        if (!w) return;
        if (form->Position() == TPosition::poScreenCenter || form->Position() == TPosition::poDesktopCenter)
            gui::CenterOnScreen(w);
        gui::Show(w, true);
        if (TWinControl* a = form->ActiveControl())
            if (gui::Window fw = Native(a)) gui::Focus(fw);
    }
    void FormHidden(TForm* form) override {
        if (gui::Window w = Native(form)) gui::Show(w, false);
    }
    void FormDestroying(TForm* form) override { Forget(form, true); }
    void ModalStarted(TForm* form) override { EnableOthers(form, false); }
    void ModalEnded(TForm* form) override { EnableOthers(form, true); }

    void ControlChanged(TControl* c, TControlChange what) override {
        if (auto* f = dynamic_cast<TForm*>(c); f && what == TControlChange::State && Native(f)) {
            return;  // border changes take effect when the form is next built
        }
        gui::Window w = Native(c);
        if (!w) {
            // A control put on a form that already has windows gets its own now.
            if (what == TControlChange::Parent && c->Parent() && Native(c->ParentForm())) BuildTree(c);
            return;
        }
        switch (what) {
            case TControlChange::Bounds: Place(c); break;
            case TControlChange::Text: SyncText(c, w); break;
            case TControlChange::State: SyncState(c, w); break;
            case TControlChange::Font: SyncFont(c, w); break;
            case TControlChange::Value: SyncValue(c, w); break;
            case TControlChange::Content: SyncContent(c, w); break;
            case TControlChange::Parent:
                Forget(c, true);
                if (c->Parent() && Native(c->ParentForm())) BuildTree(c);
                break;
        }
    }
    void ControlDestroying(TControl* c) override { Forget(c, true); }
    void Repaint(TControl* c) override {
        if (gui::Window w = Native(c)) gui::Redraw(w);
    }
    void FocusChanged(TForm*, TWinControl* focused) override {
        if (focused)
            if (gui::Window w = Native(focused)) gui::Focus(w);
    }
    void CursorChanged(TCursor c) override { gui::SetWaitCursor(c == crHourGlass); }

    TModalResult MessageBox(const TMessageBoxRequest& r) override {
        unsigned flags = 0;
        auto has = [&](TMsgDlgBtn b) { return r.buttons.Contains(b); };
        std::vector<TMsgDlgBtn> order;
        if (has(TMsgDlgBtn::mbYes) && has(TMsgDlgBtn::mbNo) && has(TMsgDlgBtn::mbCancel)) {
            flags = MbYesNoCancel;
            order = {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
        } else if (has(TMsgDlgBtn::mbYes) || has(TMsgDlgBtn::mbNo)) {
            flags = MbYesNo;
            order = {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
        } else if (has(TMsgDlgBtn::mbAbort) || has(TMsgDlgBtn::mbIgnore)) {
            flags = 0x2;
            order = {TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbIgnore};
        } else if (has(TMsgDlgBtn::mbRetry)) {
            flags = 0x5;
            order = {TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbCancel};
        } else if (has(TMsgDlgBtn::mbCancel)) {
            flags = MbOkCancel;
            order = {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel};
        } else {
            order = {TMsgDlgBtn::mbOK};
        }
        auto at = std::find(order.begin(), order.end(), r.defaultButton);
        if (at != order.end()) flags |= unsigned(at - order.begin()) << 8;
        switch (r.type) {
            case TMsgDlgType::mtWarning: flags |= MbIconWarning; break;
            case TMsgDlgType::mtError: flags |= MbIconError; break;
            case TMsgDlgType::mtInformation: flags |= MbIconInformation; break;
            case TMsgDlgType::mtConfirmation: flags |= MbIconQuestion; break;
            case TMsgDlgType::mtCustom: break;
        }
        gui::Window owner = Screen && Screen->ActiveForm() ? Native(Screen->ActiveForm()) : nullptr;
        int id = gui::MessageBox(owner, r.text, r.caption, flags);
        switch (id) {
            case IdOk: return mrOk;
            case IdCancel: return has(TMsgDlgBtn::mbCancel) ? mrCancel : ModalResultOf(r.escapeButton);
            case IdAbort: return mrAbort;
            case IdRetry: return mrRetry;
            case IdIgnore: return mrIgnore;
            case IdYes: return mrYes;
            case IdNo: return mrNo;
            default: return ModalResultOf(r.escapeButton);
        }
    }

    bool ExecuteOpenDialog(TOpenDialog* d) override {
        gui::OpenFileRequest r;
        r.title = d->Title();
        for (auto& [desc, pattern] : d->FilterPairs()) {
            r.filter += desc;
            r.filter.push_back('\0');
            r.filter += pattern;
            r.filter.push_back('\0');
        }
        if (!r.filter.empty()) r.filter.pop_back();
        r.initialDir = d->InitialDir();
        r.fileName = d->FileName();
        r.defaultExt = d->DefaultExt();
        r.filterIndex = d->FilterIndex();
        auto o = d->Options();
        r.pathMustExist = o.Contains(TOpenOption::ofPathMustExist);
        r.fileMustExist = o.Contains(TOpenOption::ofFileMustExist);
        r.hideReadOnly = o.Contains(TOpenOption::ofHideReadOnly);
        r.readOnly = o.Contains(TOpenOption::ofReadOnly);
        r.noChangeDir = o.Contains(TOpenOption::ofNoChangeDir);
        r.overwritePrompt = o.Contains(TOpenOption::ofOverwritePrompt);
        gui::Window owner = Screen && Screen->ActiveForm() ? Native(Screen->ActiveForm()) : nullptr;
        if (!gui::OpenFile(owner, r)) return false;
        d->SetFileName(r.fileName);
        if (r.readOnly) o.Include(TOpenOption::ofReadOnly);
        else o.Exclude(TOpenOption::ofReadOnly);
        d->SetOptions(o);
        return true;
    }

    void TimerChanged(TTimer* t) override {
        auto it = timers_.find(t);
        if (it != timers_.end()) {
            gui::StopTimer(it->second);
            timerOf_.erase(it->second);
            timers_.erase(it);
        }
        if (t->Active()) Start(t);
    }
    void TimerDestroying(TTimer* t) override { TimerChanged(t); }

    void ProcessMessages() override {
        // Long work calls this after every few kilobytes. With no window shown and no
        // timer running (a silent installation) nothing waits in the queue but what the
        // system posts: it is looked at once in a few milliseconds, which saves nearly
        // all the calls to the system (each a round trip to the server on Wine). With a
        // window, every call pumps, as a caller that just sent it input expects.
        const platform::DWORD now = platform::GetTickCount();
        const bool idle = timers_.empty() && (!Screen || !Screen->ActiveForm());
        if (idle && pumped_ && now - lastPump_ < PumpInterval) return;
        pumped_ = true;
        lastPump_ = now;
        SyncTimers();
        if (!gui::Pump(false, DialogWindow())) Application->Terminate();
        AfterMessages();
    }
    void WaitMessage() override {
        SyncTimers();
        if (!gui::Pump(true, DialogWindow())) Application->Terminate();
        AfterMessages();
    }

private:
    static constexpr platform::DWORD PumpInterval = 10;
    bool pumped_ = false;
    platform::DWORD lastPump_ = 0;

    gui::Window Native(const TControl* c) const { return c ? c->BackendData : nullptr; }

    gui::Window DialogWindow() const {
        TForm* f = Screen ? Screen->ActiveForm() : nullptr;
        return f ? Native(f) : nullptr;
    }

    // Native events arrive inside the system's window procedures, where no exception
    // may pass; they are kept and raised again once the message has been handled.
    template <typename F>
    void Guard(F&& f) {
        try {
            f();
        } catch (...) {
            if (!pending_) pending_ = std::current_exception();
        }
    }
    // The dialog manager moves the native focus by itself (Tab, arrow keys, clicks); the
    // form learns of it here. Then the focus rule: a focused control that was disabled
    // or hidden hands the focus on (Windows leaves it nowhere).
    void AfterMessages() {
        if (TControl* c = ControlOf(gui::FocusedWindow()))
            if (auto* w = dynamic_cast<TWinControl*>(c); w && !dynamic_cast<TForm*>(w) && w->CanFocus())
                if (TCustomForm* f = w->ParentForm(); f && f->ActiveControl() != w) f->SetActiveControl(w);
        Guard([] { SettleFocus(); });
        Rethrow();
    }

    void Rethrow() {
        if (!pending_) return;
        auto e = pending_;
        pending_ = nullptr;
        std::rethrow_exception(e);
    }

    TControl* ControlOf(gui::Window w) const {
        auto it = controls_.find(w);
        return it == controls_.end() ? nullptr : it->second;
    }

    void Clicked(gui::Window w) {
        Guard([&] {
            if (TControl* c = ControlOf(w)) ClickControl(c);
        });
    }
    void EditChanged(gui::Window w) {
        Guard([&] {
            auto* e = dynamic_cast<TCustomEdit*>(ControlOf(w));
            if (!e || syncing_) return;
            std::string text = gui::GetText(w);
            if (text != e->Text()) DispatchInput([&] { e->SetText(text); });
        });
    }
    void CloseRequested(gui::Window w) {
        Guard([&] { CloseCommand(dynamic_cast<TForm*>(ControlOf(w))); });
    }
    void RadioSelected(gui::Window w, int index) {
        Guard([&] {
            auto* g = dynamic_cast<TRadioGroup*>(ControlOf(w));
            if (!g || syncing_ || index == g->ItemIndex() || !g->CanReceiveInput()) return;
            g->SetFocus();
            DispatchInput([&] { g->SetItemIndex(index); });
        });
    }
    void Key(const char* name) {
        Guard([&] { PressKey(name); });
    }
    void TimerFired(gui::TimerId id) {
        Guard([&] {
            auto it = timerOf_.find(id);
            if (it == timerOf_.end()) return;
            TTimer* t = it->second;
            DispatchInput([t] { t->Timer(); });
        });
    }

    void Start(TTimer* t) {
        gui::TimerId id = gui::StartTimer(t->Interval());
        if (!id) return;
        timers_[t] = id;
        timerOf_[id] = t;
    }
    void SyncTimers() {
        const auto& all = AllTimers();
        for (auto it = timers_.begin(); it != timers_.end();) {
            bool alive = std::find(all.begin(), all.end(), it->first) != all.end();
            if (!alive || !it->first->Active()) {
                gui::StopTimer(it->second);
                timerOf_.erase(it->second);
                it = timers_.erase(it);
            } else {
                ++it;
            }
        }
        for (TTimer* t : all)
            if (t->Active() && !timers_.count(t)) Start(t);
    }

    void EnableOthers(TForm* modal, bool enable) {
        if (!Screen) return;
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TForm* f = Screen->Forms(i);
            if (f != modal)
                if (gui::Window w = Native(f)) gui::Enable(w, enable);
        }
    }

    // The native parent of a control and its offset there: group boxes are siblings of
    // their contents, as in a dialog template.
    gui::Window NativeParent(const TControl* c, int& dx, int& dy) const {
        dx = dy = 0;
        for (TWinControl* p = c->Parent(); p; p = p->Parent()) {
            if (dynamic_cast<TForm*>(p) || dynamic_cast<TPanel*>(p) || dynamic_cast<TTabSheet*>(p) ||
                dynamic_cast<TPageControl*>(p))
                return Native(p);
            dx += p->Left();
            dy += p->Top();
        }
        return nullptr;
    }

    void Place(TControl* c) {
        gui::Window w = Native(c);
        if (dynamic_cast<TForm*>(c)) return;
        int dx, dy;
        NativeParent(c, dx, dy);
        gui::SetBounds(w, c->Left() + dx, c->Top() + dy, NativeWidth(c, w), c->Height());
        if (auto* wc = dynamic_cast<TWinControl*>(c); wc && !Hosts(wc))
            for (int i = 0; i < wc->ControlCount(); ++i)
                if (Native(wc->Controls(i))) Place(wc->Controls(i));
    }

    // An auto-sized label is as wide as the system measures its text in its font (the
    // framework only estimates it), but stays inside its parent and a group box's frame.
    static int NativeWidth(const TControl* c, gui::Window w) {
        auto* l = dynamic_cast<const TLabel*>(c);
        if (!w || !l || !l->AutoSize() || l->WordWrap() || !c->Parent()) return c->Width();
        int text = gui::TextWidth(w, StripAccelerator(l->Caption()));
        int frame = dynamic_cast<const TGroupBox*>(c->Parent()) ? kGroupFrame : 0;
        int room = c->Parent()->ClientWidth() - frame - c->Left();
        return std::max(c->Width(), std::min(text, room));
    }
    static constexpr int kGroupFrame = 3;

    static bool Hosts(const TWinControl* w) {
        return dynamic_cast<const TForm*>(w) || dynamic_cast<const TPanel*>(w) || dynamic_cast<const TTabSheet*>(w) ||
               dynamic_cast<const TPageControl*>(w);
    }

    gui::Window Build(TForm* f) {
        gui::FormStyle s;
        auto icons = f->BorderIcons();
        s.systemMenu = icons.Contains(TBorderIcon::biSystemMenu);
        s.minimize = icons.Contains(TBorderIcon::biMinimize);
        s.maximize = icons.Contains(TBorderIcon::biMaximize);
        s.dialogFrame = f->BorderStyle() == TFormBorderStyle::bsDialog;
        s.sizeable = f->BorderStyle() == TFormBorderStyle::bsSizeable || f->BorderStyle() == TFormBorderStyle::bsSizeToolWin;
        s.noBorder = f->BorderStyle() == TFormBorderStyle::bsNone;
        gui::Window w = gui::CreateForm(f->Caption(), f->Left(), f->Top(), f->ClientWidth(), f->ClientHeight(), s);
        if (!w) return nullptr;
        f->BackendData = w;
        controls_[w] = f;
        SyncFont(f, w);
        for (int i = 0; i < f->ControlCount(); ++i) BuildTree(f->Controls(i));
        Stack(f);
        return w;
    }

    // Windowed controls above the others in tab order; group boxes at the bottom.
    void Stack(TWinControl* root) {
        std::vector<TControl*> all;
        std::function<void(TWinControl*)> walk = [&](TWinControl* w) {
            for (int i = 0; i < w->ControlCount(); ++i) {
                all.push_back(w->Controls(i));
                if (auto* inner = dynamic_cast<TWinControl*>(w->Controls(i))) walk(inner);
            }
        };
        walk(root);
        std::vector<TWinControl*> tabbed;
        std::function<void(TWinControl*)> tabWalk = [&](TWinControl* w) {
            for (TWinControl* c : w->TabList()) {
                tabbed.push_back(c);
                tabWalk(c);
            }
        };
        tabWalk(root);
        for (auto it = tabbed.rbegin(); it != tabbed.rend(); ++it)
            if (Native(*it) && !IsFrame(*it)) gui::BringToTop(Native(*it));
        // Later graphic controls lie over earlier ones.
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (Native(*it) && !(*it)->IsWindowed()) gui::SendToBottom(Native(*it));
        for (auto it = all.rbegin(); it != all.rend(); ++it)
            if (Native(*it) && IsFrame(*it)) gui::SendToBottom(Native(*it));
    }
    // A group box lies under the controls in it; a radio group holds its own buttons.
    static bool IsFrame(const TControl* c) {
        return dynamic_cast<const TGroupBox*>(c) && !dynamic_cast<const TRadioGroup*>(c);
    }

    void BuildTree(TControl* c) {
        int dx, dy;
        gui::Window parent = NativeParent(c, dx, dy);
        if (!parent) return;
        gui::Kind kind;
        std::string text = c->Caption();
        bool tab = c->TabStop();
        if (auto* l = dynamic_cast<TLabel*>(c)) kind = l->WordWrap() ? gui::Kind::Label : gui::Kind::LabelNoWrap;
        else if (dynamic_cast<TButton*>(c)) kind = gui::Kind::Button;
        else if (dynamic_cast<TCheckBox*>(c)) kind = gui::Kind::CheckBox;
        else if (dynamic_cast<TMemo*>(c)) kind = gui::Kind::Memo;
        else if (dynamic_cast<TCustomEdit*>(c)) kind = gui::Kind::Edit;
        else if (dynamic_cast<TGroupBox*>(c)) kind = gui::Kind::GroupBox;
        else if (dynamic_cast<TProgressBar*>(c)) kind = gui::Kind::Progress;
        else if (dynamic_cast<TScrollBar*>(c)) kind = gui::Kind::ScrollBar;
        else if (auto* b = dynamic_cast<TBevel*>(c)) {
            switch (b->Shape()) {
                case TBevelShape::bsTopLine:
                case TBevelShape::bsBottomLine: kind = gui::Kind::LineHorz; break;
                case TBevelShape::bsLeftLine:
                case TBevelShape::bsRightLine: kind = gui::Kind::LineVert; break;
                default: kind = gui::Kind::Frame; break;
            }
            text.clear();
        } else if (dynamic_cast<TImage*>(c)) {
            kind = gui::Kind::Image;
            text.clear();
        } else if (Hosts(dynamic_cast<TWinControl*>(c))) kind = gui::Kind::Panel;
        else return;
        if (dynamic_cast<TRadioGroup*>(c)) {
            gui::Window w = gui::CreateRadioGroup(parent, text, c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
            if (!w) return;
            c->BackendData = w;
            controls_[w] = c;
            SyncFont(c, w);
            SyncContent(c, w);
            SyncState(c, w);
            return;
        }
        int y = c->Top() + dy, h = c->Height();
        if (auto* b = dynamic_cast<TBevel*>(c)) {
            if (b->Shape() == TBevelShape::bsBottomLine) y += h - 2;
            if (b->Shape() == TBevelShape::bsTopLine || b->Shape() == TBevelShape::bsBottomLine) h = 2;
        }
        gui::Window w = gui::CreateControl(parent, kind, text, c->Left() + dx, y, c->Width(), h, tab);
        if (!w) return;
        c->BackendData = w;
        controls_[w] = c;
        SyncFont(c, w);
        if (NativeWidth(c, w) != c->Width()) Place(c);
        SyncState(c, w);
        SyncValue(c, w);
        SyncContent(c, w);
        if (auto* e = dynamic_cast<TCustomEdit*>(c); e && !dynamic_cast<TMemo*>(c)) SyncText(c, w);
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            for (int i = 0; i < wc->ControlCount(); ++i) BuildTree(wc->Controls(i));
    }

    void Forget(TControl* c, bool destroy) {
        gui::Window w = Native(c);
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            for (int i = 0; i < wc->ControlCount(); ++i) Forget(wc->Controls(i), false);
        if (!w) return;
        controls_.erase(w);
        c->BackendData = nullptr;
        auto img = images_.find(c);
        if (destroy) gui::Destroy(w);
        if (img != images_.end()) {
            gui::DeleteImage(img->second);
            images_.erase(img);
        }
    }

    void SyncText(TControl* c, gui::Window w) {
        syncing_ = true;
        if (gui::GetText(w) != c->Text()) gui::SetText(w, c->Text());
        syncing_ = false;
        if (dynamic_cast<TLabel*>(c)) Place(c);
    }
    void SyncState(TControl* c, gui::Window w) {
        if (auto* f = dynamic_cast<TForm*>(c)) {
            (void)f;
            return;
        }
        gui::Show(w, c->Visible());
        gui::Enable(w, c->Enabled());
        if (auto* b = dynamic_cast<TButton*>(c)) gui::SetDefaultButton(w, b->Default());
        if (auto* p = dynamic_cast<TPanel*>(c)) {
            auto edge = [](TPanelBevel b) { return b == TPanelBevel::bvLowered ? 1 : (b == TPanelBevel::bvRaised ? 2 : 0); };
            gui::SetPanelBorder(w, edge(p->BevelOuter()), edge(p->BevelInner()));
        }
    }
    void SyncFont(TControl* c, gui::Window w) {
        TFont* f = c->Font();
        std::string key = f->Name() + "/" + std::to_string(f->Height()) + "/" + std::to_string(f->Style().Bits()) + "/" +
                          std::to_string(f->Charset());
        auto it = fonts_.find(key);
        if (it == fonts_.end()) {
            gui::Font font = gui::CreateFont(f->Name(), f->Height(), f->Style().Contains(TFontStyle::fsBold),
                                             f->Style().Contains(TFontStyle::fsItalic),
                                             f->Style().Contains(TFontStyle::fsUnderline),
                                             f->Style().Contains(TFontStyle::fsStrikeOut), f->Charset());
            it = fonts_.emplace(key, font).first;
        }
        if (it->second) gui::SetFont(w, it->second);
    }
    void SyncValue(TControl* c, gui::Window w) {
        if (auto* p = dynamic_cast<TProgressBar*>(c)) gui::SetRange(w, p->Min(), p->Max(), p->Position());
        if (auto* s = dynamic_cast<TScrollBar*>(c)) gui::SetRange(w, s->Min(), s->Max(), s->Position());
        if (auto* b = dynamic_cast<TCheckBox*>(c)) gui::SetChecked(w, b->Checked());
        if (auto* g = dynamic_cast<TRadioGroup*>(c)) {
            syncing_ = true;
            gui::SetRadioChecked(w, g->ItemIndex());
            syncing_ = false;
        }
    }
    void SyncContent(TControl* c, gui::Window w) {
        if (auto* img = dynamic_cast<TImage*>(c)) {
            const TBitmap* b = img->Picture()->Bitmap();
            auto old = images_.find(c);
            gui::Image fresh = b->Empty() ? nullptr : gui::CreateImage(b->Width(), b->Height(), b->Pixels().data());
            gui::SetImage(w, fresh);
            if (old != images_.end()) {
                gui::DeleteImage(old->second);
                images_.erase(old);
            }
            if (fresh) images_[c] = fresh;
        }
        if (dynamic_cast<TMemo*>(c)) SyncText(c, w);
        if (auto* g = dynamic_cast<TRadioGroup*>(c)) {
            std::vector<std::string> items;
            for (int i = 0; i < g->Items()->Count(); ++i) items.push_back(g->Items()->Strings(i));
            syncing_ = true;
            gui::SetRadioItems(w, items, g->Columns(), g->ItemIndex());
            syncing_ = false;
        }
    }

    std::map<gui::Window, TControl*> controls_;
    std::map<std::string, gui::Font> fonts_;
    std::map<TControl*, gui::Image> images_;
    std::map<TTimer*, gui::TimerId> timers_;
    std::map<gui::TimerId, TTimer*> timerOf_;
    std::exception_ptr pending_;
    bool syncing_ = false;
};

}  // namespace

std::unique_ptr<TBackend> CreateDefaultBackend() { return std::make_unique<TWin32Backend>(); }

}  // namespace ui
