#include "framework/controls.h"

#include <algorithm>
#include <cctype>

#include "framework/ui/backend.h"

namespace {
const std::vector<std::string> kAlignNames = {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"};
}

// ---------------------------------------------------------------------------------------
// TControl

ZARN_DEFINE_CLASS(TControl, TComponent, [](TClassBuilder<TControl>& b) {
    b.Int("Left", &TControl::Left, &TControl::SetLeft)
        .Int("Top", &TControl::Top, &TControl::SetTop)
        .Int("Width", &TControl::Width, &TControl::SetWidth)
        .Int("Height", &TControl::Height, &TControl::SetHeight)
        .Str("Caption", &TControl::Caption, &TControl::SetCaption)
        .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled)
        .Bool("Visible", &TControl::Visible, &TControl::SetVisible)
        .Object("Font", &TControl::Font)
        .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
        .Int("Color", &TControl::Color, &TControl::SetColor)
        .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Str("Hint", &TControl::Hint, &TControl::SetHint)
        .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Enum("Align", kAlignNames, &TControl::Align, &TControl::SetAlign)
        .Int("Cursor", &TControl::Cursor, &TControl::SetCursor)
        .Event("OnClick", &TControl::OnClick);
})

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
    font_->OnChange = [this](TObject*) {
        if (!copyingFont_) parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl() {
    if (ui::HasBackend()) ui::Backend().ControlDestroying(this);
    if (parent_) parent_->RemoveControl(this);
    font_->OnChange = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (auto* self = dynamic_cast<TWinControl*>(this); self && parent && self->ContainsControl(parent))
        throw EInvalidOperation("A control cannot have one of its children as its parent");
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
    if (parent_ && parentFont_) ParentFontChanged();
    Changed(TControlChange::Parent);
}

TCustomForm* TControl::ParentForm() const {
    const TControl* c = this;
    while (c) {
        if (auto* f = dynamic_cast<const TCustomForm*>(c)) return const_cast<TCustomForm*>(f);
        c = c->parent_;
    }
    return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Changed(TControlChange::Bounds);
}

void TControl::SetText(const std::string& s) {
    if (s == text_) return;
    text_ = s;
    Changed(TControlChange::Text);
}

void TControl::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    Changed(TControlChange::State);
}

void TControl::SetVisible(bool v) {
    if (v == visible_) return;
    visible_ = v;
    Changed(TControlChange::State);
}

bool TControl::Showing() const {
    const TControl* c = this;
    while (c) {
        if (!c->visible_) return false;
        if (dynamic_cast<const TCustomForm*>(c)) return true;
        c = c->parent_;
    }
    return false;
}

bool TControl::CanReceiveInput() const {
    if (!Showing()) return false;
    for (const TControl* c = this; c; c = c->parent_)
        if (!c->enabled_) return false;
    // While a modal form runs, only that form takes input.
    const TCustomForm* f = ParentForm();
    return f && f->TakesInput();
}

void TControl::SetFont(TFont* f) {
    if (f) font_->Assign(f);
}

void TControl::SetParentFont(bool p) {
    if (p == parentFont_) return;
    parentFont_ = p;
    if (p && parent_) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    copyingFont_ = true;
    try {
        font_->Assign(parent_->Font());
    } catch (...) {
        copyingFont_ = false;
        throw;
    }
    copyingFont_ = false;
    parentFont_ = true;
}

void TControl::FontChanged() { Changed(TControlChange::Font); }

void TControl::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    parentColor_ = false;
    Changed(TControlChange::State);
}

void TControl::SetAlign(TAlign a) {
    if (a == align_) return;
    align_ = a;
    Changed(TControlChange::Bounds);
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::Repaint() {
    if (ui::HasBackend() && !IsLoading()) ui::Backend().Repaint(this);
}

void TControl::Loaded() {
    TComponent::Loaded();
    if (parentFont_ && parent_) ParentFontChanged();
}

void TControl::Changed(TControlChange what) {
    if (IsLoading() || IsDestroying()) return;
    if (ui::HasBackend()) ui::Backend().ControlChanged(this, what);
}

// ---------------------------------------------------------------------------------------
// TWinControl

ZARN_DEFINE_CLASS(TWinControl, TControl, [](TClassBuilder<TWinControl>& b) {
    b.Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
        .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop);
})

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    while (!controls_.empty()) {
        TControl* c = controls_.back();
        RemoveControl(c);
        delete c;
    }
}

TControl* TWinControl::Controls(int i) const {
    if (i < 0 || i >= ControlCount()) throw EListError(Format("List index out of bounds (%d)", {i}));
    return controls_[std::size_t(i)];
}

void TWinControl::InsertControl(TControl* c) {
    if (!c || std::find(controls_.begin(), controls_.end(), c) != controls_.end()) return;
    controls_.push_back(c);
    c->parent_ = this;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        tabList_.push_back(w);
        if (w->pendingTabOrder_ >= 0 && !w->IsLoading()) w->SetTabOrder(w->pendingTabOrder_);
    }
}

void TWinControl::RemoveControl(TControl* c) {
    auto it = std::find(controls_.begin(), controls_.end(), c);
    if (it == controls_.end()) return;
    controls_.erase(it);
    if (auto* w = dynamic_cast<TWinControl*>(c))
        tabList_.erase(std::remove(tabList_.begin(), tabList_.end(), w), tabList_.end());
    c->parent_ = nullptr;
    if (TCustomForm* f = ParentForm()) {
        if (auto* w = dynamic_cast<TWinControl*>(c); w && (f->ActiveControl() == w || w->ContainsControl(f->ActiveControl())))
            f->SetActiveControl(nullptr);
    }
}

bool TWinControl::ContainsControl(const TControl* c) const {
    for (const TControl* p = c ? c->Parent() : nullptr; p; p = p->Parent())
        if (p == this) return true;
    return false;
}

int TWinControl::TabOrder() const {
    if (!Parent()) return pendingTabOrder_ >= 0 ? pendingTabOrder_ : -1;
    const auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
    pendingTabOrder_ = order;
    // While loading the final places are settled once everything is read.
    if (IsLoading() || !Parent()) return;
    auto& list = Parent()->tabList_;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end()) return;
    list.erase(it);
    int n = int(list.size());
    if (order < 0 || order > n) order = n;
    list.insert(list.begin() + order, this);
    pendingTabOrder_ = -1;
}

void TWinControl::FixupTabList() {
    // Controls read with a TabOrder take that place; the rest keep their relative order
    // after them.
    std::vector<TWinControl*> ordered = tabList_;
    std::stable_sort(ordered.begin(), ordered.end(), [](TWinControl* a, TWinControl* b) {
        int ka = a->pendingTabOrder_ >= 0 ? a->pendingTabOrder_ : 1 << 30;
        int kb = b->pendingTabOrder_ >= 0 ? b->pendingTabOrder_ : 1 << 30;
        return ka < kb;
    });
    tabList_ = ordered;
    for (TWinControl* w : tabList_) w->pendingTabOrder_ = -1;
}

std::vector<TWinControl*> TWinControl::FocusOrder() const {
    std::vector<TWinControl*> out;
    for (TWinControl* w : tabList_) {
        if (w->CanFocus()) out.push_back(w);
        if (w->Visible() && w->Enabled()) {
            auto inner = w->FocusOrder();
            out.insert(out.end(), inner.begin(), inner.end());
        }
    }
    return out;
}

bool TWinControl::CanFocus() const { return tabStop_ && CanReceiveInput(); }

void TWinControl::SetFocus() {
    if (TCustomForm* f = ParentForm(); f && f != this) f->SetActiveControl(this);
}

bool TWinControl::Focused() const {
    TCustomForm* f = ParentForm();
    return f && f->ActiveControl() == this;
}

void TWinControl::Loaded() {
    TControl::Loaded();
    FixupTabList();
    // A child that finished loading earlier settled its place by this list already.
}

void TWinControl::FontChanged() {
    TControl::FontChanged();
    for (TControl* c : controls_)
        if (c->ParentFont()) c->ParentFontChanged();
}

// ---------------------------------------------------------------------------------------
// TCustomForm

ZARN_DEFINE_CLASS(TCustomForm, TWinControl, [](auto&) {})

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {}

// ---------------------------------------------------------------------------------------
// TGraphicControl

ZARN_DEFINE_CLASS(TGraphicControl, TControl, [](auto&) {})

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

// ---------------------------------------------------------------------------------------

std::string StripAccelerator(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

char AcceleratorOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return char(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}
