#include "framework/forms.h"

#include <algorithm>

#include "framework/formreader.h"
#include "framework/ui/backend.h"
#include "platform/system.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

void Erase(std::vector<TForm*>& v, TForm* f) { v.erase(std::remove(v.begin(), v.end(), f), v.end()); }

// Frame sizes around the client area, by border style.
int FrameX(TFormBorderStyle b) {
    switch (b) {
        case TFormBorderStyle::bsNone: return 0;
        case TFormBorderStyle::bsSizeable:
        case TFormBorderStyle::bsSizeToolWin: return 8;
        default: return 6;
    }
}
int FrameY(TFormBorderStyle b) {
    switch (b) {
        case TFormBorderStyle::bsNone: return 0;
        case TFormBorderStyle::bsToolWindow:
        case TFormBorderStyle::bsSizeToolWin: return FrameX(b) + 16;
        default: return FrameX(b) + 19;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TForm

ZARN_DEFINE_CLASS(TForm, TCustomForm, [](TClassBuilder<TForm>& b) {
    b.Int("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth)
        .Int("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight)
        .Enum("BorderStyle", {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"},
              &TForm::BorderStyle, &TForm::SetBorderStyle)
        .Set("BorderIcons", {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}, &TForm::BorderIcons,
             &TForm::SetBorderIcons)
        .Enum("Position",
              {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter"},
              &TForm::Position, &TForm::SetPosition)
        .Bool("Scaled", &TForm::Scaled, &TForm::SetScaled)
        .Int("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
        .Int("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight)
        .Enum("FormStyle", {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, &TForm::FormStyle,
              &TForm::SetFormStyle)
        .Enum("WindowState", {"wsNormal", "wsMinimized", "wsMaximized"}, &TForm::WindowState,
              &TForm::SetWindowState)
        .Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview)
        .Bool("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder)
        .Ref("ActiveControl", &TWinControl::StaticClass(), &TForm::SetActiveControl)
        .Event("OnCreate", &TForm::OnCreate)
        .Event("OnShow", &TForm::OnShow)
        .Event("OnHide", &TForm::OnHide)
        .Event("OnClose", &TForm::OnClose)
        .Event("OnCloseQuery", &TForm::OnCloseQuery)
        .Event("OnDestroy", &TForm::OnDestroy)
        .Event("OnActivate", &TForm::OnActivate)
        .Creatable();
})

TForm::TForm(TComponent* owner) : TCustomForm(owner) {
    TWinControl::SetVisible(false);
    SetClientWidth(320);
    SetClientHeight(240);
    if (Screen) Screen->forms_.push_back(this);
}

TForm::~TForm() {
    if (Screen) {
        Erase(Screen->forms_, this);
        Erase(Screen->shown_, this);
        Erase(Screen->modal_, this);
    }
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    if (OnDestroy) {
        try {
            OnDestroy(this);
        } catch (...) {
        }
    }
    activeControl_ = nullptr;
    // Children go while the form is still whole, so the backend sees them leave first.
    DestroyComponents();
    if (ui::HasBackend()) ui::Backend().FormDestroying(this);
}

void TForm::SetClientWidth(int v) {
    clientWidth_ = std::max(0, v);
    TWinControl::SetBounds(Left(), Top(), clientWidth_ + FrameX(borderStyle_), Height());
}

void TForm::SetClientHeight(int v) {
    clientHeight_ = std::max(0, v);
    TWinControl::SetBounds(Left(), Top(), Width(), clientHeight_ + FrameY(borderStyle_));
}

void TForm::SetBounds(int left, int top, int width, int height) {
    clientWidth_ = std::max(0, width - FrameX(borderStyle_));
    clientHeight_ = std::max(0, height - FrameY(borderStyle_));
    TWinControl::SetBounds(left, top, width, height);
}

void TForm::SetBorderStyle(TFormBorderStyle b) {
    if (b == borderStyle_) return;
    int cw = clientWidth_, ch = clientHeight_;
    borderStyle_ = b;
    TWinControl::SetBounds(Left(), Top(), cw + FrameX(b), ch + FrameY(b));
    clientWidth_ = cw;
    clientHeight_ = ch;
    Changed(TControlChange::State);
}

void TForm::SetBorderIcons(TBorderIcons b) {
    if (b == borderIcons_) return;
    borderIcons_ = b;
    Changed(TControlChange::State);
}

void TForm::SetVisible(bool v) {
    if (IsLoading()) {
        TWinControl::SetVisible(v);
        return;
    }
    if (v == Visible()) return;
    if (v) {
        TWinControl::SetVisible(true);
        if (Screen) {
            Erase(Screen->shown_, this);
            Screen->shown_.push_back(this);
        }
        if (position_ == TPosition::poScreenCenter || position_ == TPosition::poDesktopCenter) {
            int sw = Screen ? Screen->Width() : 800, sh = Screen ? Screen->Height() : 600;
            TWinControl::SetBounds(std::max(0, (sw - Width()) / 2), std::max(0, (sh - Height()) / 2), Width(), Height());
        }
        if (!activeControl_ || !activeControl_->CanFocus()) {
            auto order = FocusOrder();
            activeControl_ = order.empty() ? nullptr : order.front();
        }
        DoShow();
        // OnShow may have hidden the form again.
        if (Visible()) ui::Backend().FormShown(this);
    } else {
        DoHide();
        TWinControl::SetVisible(false);
        if (Screen) Erase(Screen->shown_, this);
        if (ui::HasBackend()) ui::Backend().FormHidden(this);
    }
}

void TForm::DoShow() {
    DispatchEvent([this] {
        if (OnShow) OnShow(this);
    });
}

void TForm::DoHide() {
    DispatchEvent([this] {
        if (OnHide) OnHide(this);
    });
}

void TForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

bool TForm::CloseQuery() {
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

TModalResult TForm::ShowModal() {
    if (modal_ || Visible()) throw EInvalidOperation("Cannot make a visible window modal");
    if (!Application) throw EInvalidOperation("The application is not initialised");
    modalResult_ = mrNone;
    modal_ = true;
    if (Screen) Screen->modal_.push_back(this);
    auto finish = [this] {
        if (ui::HasBackend()) ui::Backend().ModalEnded(this);
        modal_ = false;
        if (Screen) Erase(Screen->modal_, this);
        if (Visible()) Hide();
    };
    try {
        Show();
        ui::Backend().ModalStarted(this);
        // A handler run while showing may already have closed the form.
        for (;;) {
            if (modalResult_ == mrNone) Application->HandleMessage();
            if (Application->Terminated() && modalResult_ == mrNone) modalResult_ = mrCancel;
            if (modalResult_ == mrNone) continue;
            // The form closes unless OnCloseQuery or OnClose keep it.
            TCloseAction action = TCloseAction::caHide;
            bool closes = true;
            DispatchEvent([&] {
                if (!CloseQuery()) {
                    closes = false;
                    return;
                }
                DoClose(action);
            });
            if (closes && action != TCloseAction::caNone) break;
            if (Application->Terminated()) break;
            modalResult_ = mrNone;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return modalResult_;
}

void TForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    TCloseAction action = TCloseAction::caHide;
    DoClose(action);
    if (action == TCloseAction::caNone) return;
    if (Application && Application->MainForm() == this) {
        Application->Terminate();
        if (Visible()) Hide();
        return;
    }
    if (Visible()) Hide();
}

void TForm::SetActiveControl(TWinControl* c) {
    if (c == activeControl_) return;
    if (c && c->ParentForm() != this) return;
    activeControl_ = c;
    if (!IsLoading() && Visible() && ui::HasBackend()) ui::Backend().FocusChanged(this, c);
}

bool TForm::TakesInput() const {
    TForm* modal = Screen ? Screen->ModalForm() : nullptr;
    return !modal || modal == this;
}

void TForm::SelectNext(bool forward) {
    auto order = FocusOrder();
    if (order.empty()) return;
    auto it = std::find(order.begin(), order.end(), activeControl_);
    std::size_t i;
    if (it == order.end()) i = forward ? 0 : order.size() - 1;
    else if (forward) i = (std::size_t(it - order.begin()) + 1) % order.size();
    else i = (std::size_t(it - order.begin()) + order.size() - 1) % order.size();
    SetActiveControl(order[i]);
}

namespace {
TButton* FindButton(const TWinControl* w, bool wantDefault) {
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c)) {
            if ((wantDefault ? b->Default() : b->Cancel()) && b->CanReceiveInput()) return b;
        } else if (auto* inner = dynamic_cast<TWinControl*>(c)) {
            if (TButton* found = FindButton(inner, wantDefault)) return found;
        }
    }
    return nullptr;
}
}  // namespace

TButton* TForm::DefaultButton() const { return FindButton(this, true); }
TButton* TForm::CancelButton() const { return FindButton(this, false); }

void TForm::DoCreate() {
    created_ = true;
    DispatchEvent([this] {
        if (OnCreate) OnCreate(this);
    });
}

void TForm::Loaded() { TWinControl::Loaded(); }

void TForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == activeControl_) activeControl_ = nullptr;
}

// ---------------------------------------------------------------------------------------
// TApplication

ZARN_DEFINE_CLASS(TApplication, TComponent, [](auto&) {})

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() {
    DestroyComponents();
    if (Application == this) Application = nullptr;
}

void TApplication::SetExeName(const std::string& path) {
    exeName_ = path;
    title_ = ApplicationTitleFromPath(path);
}

void TApplication::InitForm(TForm* f, const std::string& resourceName) {
    InitInheritedComponent(f, resourceName);
    if (!mainForm_) mainForm_ = f;
    f->DoCreate();
}

void TApplication::Run() {
    if (!mainForm_) return;
    if (!mainForm_->Visible()) mainForm_->Show();
    while (!terminated_) HandleMessage();
}

void TApplication::ProcessMessages() { ui::Backend().ProcessMessages(); }

void TApplication::HandleMessage() { ui::Backend().WaitMessage(); }

void TApplication::HandleException(const std::exception& e) {
    if (dynamic_cast<const EAbort*>(&e)) return;
    if (OnException) {
        OnException(this, e);
        return;
    }
    ShowException(e);
}

void TApplication::ShowException(const std::exception& e) {
    ui::TMessageBoxRequest r;
    r.text = e.what();
    r.caption = title_;
    r.type = TMsgDlgType::mtError;
    ui::Backend().MessageBox(r);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return ui::IdFromModalResult(ui::Backend().MessageBox(ui::RequestFromFlags(text, caption, flags)));
}

void TApplication::Reset() {
    DestroyComponents();
    mainForm_ = nullptr;
    terminated_ = false;
    OnException = nullptr;
}

void DispatchEvent(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const ui::EUiFatal&) {
        throw;
    } catch (const std::exception& e) {
        if (!Application) throw;
        Application->HandleException(e);
    }
}

// ---------------------------------------------------------------------------------------
// TScreen

ZARN_DEFINE_CLASS(TScreen, TComponent, [](auto&) {})

TScreen::TScreen(TComponent* owner) : TComponent(owner) {}

void TScreen::SetCursor(TCursor c) {
    if (c == cursor_) return;
    cursor_ = c;
    if (ui::HasBackend()) ui::Backend().CursorChanged(c);
}

std::vector<TForm*> TScreen::VisibleForms() const { return std::vector<TForm*>(shown_.rbegin(), shown_.rend()); }

TForm* TScreen::ModalForm() const { return modal_.empty() ? nullptr : modal_.back(); }

TForm* TScreen::ActiveForm() const {
    if (TForm* m = ModalForm()) return m;
    return shown_.empty() ? nullptr : shown_.back();
}

// ---------------------------------------------------------------------------------------

std::string ApplicationTitleFromPath(const std::string& exePath) {
    std::size_t slash = exePath.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    std::size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    if (name.size() <= 1) return name;
    return name.substr(0, 1) + platform::AnsiLowerCase(name.substr(1));
}
