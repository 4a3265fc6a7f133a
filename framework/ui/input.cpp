#include "framework/ui/input.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "framework/forms.h"
#include "framework/stdctrls.h"

namespace ui {

namespace {

TControl* FindIn(TForm* form, const std::string& name) {
    if (!form) return nullptr;
    if (SameText(form->Name(), name)) return form;
    return dynamic_cast<TControl*>(form->FindComponent(name));
}

TControl* FindByCaption(TWinControl* w, const std::string& caption) {
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (!dynamic_cast<TCustomEdit*>(c) && SameText(StripAccelerator(c->Caption()), caption) && c->Showing())
            return c;
        if (auto* inner = dynamic_cast<TWinControl*>(c))
            if (TControl* found = FindByCaption(inner, caption)) return found;
    }
    return nullptr;
}

TButton* FindAccelerator(TWinControl* w, char key) {
    for (int i = 0; i < w->ControlCount(); ++i) {
        TControl* c = w->Controls(i);
        if (auto* b = dynamic_cast<TButton*>(c); b && AcceleratorOf(b->Caption()) == key && b->CanReceiveInput())
            return b;
        if (auto* inner = dynamic_cast<TWinControl*>(c))
            if (TButton* found = FindAccelerator(inner, key)) return found;
    }
    return nullptr;
}

}  // namespace

TControl* FindControl(const std::string& what) {
    if (!Screen) return nullptr;
    std::size_t dot = what.find('.');
    if (dot != std::string::npos && IsValidIdent(what.substr(0, dot)) && IsValidIdent(what.substr(dot + 1))) {
        for (int i = 0; i < Screen->FormCount(); ++i) {
            TForm* f = Screen->Forms(i);
            if (SameText(f->Name(), what.substr(0, dot))) return FindIn(f, what.substr(dot + 1));
        }
        return nullptr;
    }
    std::vector<TForm*> forms;
    if (TForm* a = Screen->ActiveForm()) forms.push_back(a);
    for (TForm* f : Screen->VisibleForms())
        if (std::find(forms.begin(), forms.end(), f) == forms.end()) forms.push_back(f);
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (std::find(forms.begin(), forms.end(), Screen->Forms(i)) == forms.end()) forms.push_back(Screen->Forms(i));
    for (TForm* f : forms)
        if (TControl* c = FindIn(f, what)) return c;
    for (TForm* f : forms)
        if (f->Visible())
            if (TControl* c = FindByCaption(f, what)) return c;
    return nullptr;
}

bool ClickControl(TControl* c) {
    if (!c || !c->CanReceiveInput()) return false;
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->TabStop()) w->SetFocus();
    DispatchInput([c] { c->Click(); });
    return true;
}

bool PressKey(const std::string& key) {
    TForm* f = Screen ? Screen->ActiveForm() : nullptr;
    if (!f) return false;
    if (SameText(key, "Tab") || SameText(key, "Shift+Tab")) {
        f->SelectNext(SameText(key, "Tab"));
        return true;
    }
    TWinControl* focused = f->ActiveControl();
    if (focused && !focused->CanReceiveInput()) focused = nullptr;
    auto* focusedButton = dynamic_cast<TButton*>(focused);
    auto* focusedCheck = dynamic_cast<TCheckBox*>(focused);
    auto* focusedEdit = dynamic_cast<TCustomEdit*>(focused);
    if (SameText(key, "Enter")) {
        TButton* b = focusedButton ? focusedButton : f->DefaultButton();
        return b ? ClickControl(b) : false;
    }
    if (SameText(key, "Escape")) {
        TButton* b = f->CancelButton();
        return b ? ClickControl(b) : false;
    }
    if (SameText(key, "Backspace")) {
        if (!focusedEdit) return false;
        bool ok = false;
        DispatchInput([&] { ok = focusedEdit->Backspace(); });
        return ok;
    }
    if (SameText(key, "Space") || key == " ") {
        if (focusedButton) return ClickControl(focusedButton);
        if (focusedCheck) return ClickControl(focusedCheck);
        if (focusedEdit) {
            bool ok = false;
            DispatchInput([&] { ok = focusedEdit->TypeChar(' '); });
            return ok;
        }
        return false;
    }
    if (key.size() == 5 && SameText(key.substr(0, 4), "Alt+")) {
        TButton* b = FindAccelerator(f, char(std::toupper(static_cast<unsigned char>(key[4]))));
        return b ? ClickControl(b) : false;
    }
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) >= 0x20) {
        if (focusedEdit) {
            bool ok = false;
            DispatchInput([&] { ok = focusedEdit->TypeChar(key[0]); });
            return ok;
        }
        TButton* b = FindAccelerator(f, char(std::toupper(static_cast<unsigned char>(key[0]))));
        return b ? ClickControl(b) : false;
    }
    return false;
}

bool CloseCommand(TForm* form) {
    if (!form || !form->Visible() || !form->BorderIcons().Contains(TBorderIcon::biSystemMenu)) return false;
    if (Screen && Screen->ModalForm() && Screen->ModalForm() != form) return false;
    DispatchInput([form] { form->Close(); });
    return true;
}

namespace {
void TabWalk(TWinControl* w, std::vector<TWinControl*>& out) {
    for (TWinControl* c : w->TabList()) {
        out.push_back(c);
        TabWalk(c, out);
    }
}
}  // namespace

void SettleFocus() {
    TForm* f = Screen ? Screen->ActiveForm() : nullptr;
    if (!f || !f->Visible()) return;
    TWinControl* focused = f->ActiveControl();
    if (!focused || focused->CanFocus()) return;
    std::vector<TWinControl*> all;
    TabWalk(f, all);
    auto at = std::find(all.begin(), all.end(), focused);
    if (at == all.end()) {
        auto order = f->FocusOrder();
        f->SetActiveControl(order.empty() ? nullptr : order.front());
        return;
    }
    std::size_t i = std::size_t(at - all.begin()), n = all.size();
    for (std::size_t k = 1; k < n; ++k) {
        TWinControl* next = all[(i + k) % n];
        if (next->CanFocus()) {
            f->SetActiveControl(next);
            return;
        }
    }
    f->SetActiveControl(nullptr);
}

void DispatchInput(const std::function<void()>& fn) {
    DispatchEvent(fn);
    SettleFocus();
}

}  // namespace ui
