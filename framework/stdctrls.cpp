#include "framework/stdctrls.h"

#include <algorithm>

namespace {
const std::vector<std::string> kAlignmentNames = {"taLeftJustify", "taRightJustify", "taCenter"};
constexpr const char* kScrollBarRange = "Scroll bar property out of range";
}  // namespace

// ---------------------------------------------------------------------------------------
// TLabel

ZARN_DEFINE_CLASS(TLabel, TGraphicControl, [](TClassBuilder<TLabel>& b) {
    b.Bool("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize)
        .Bool("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap)
        .Enum("Alignment", kAlignmentNames, &TLabel::Alignment, &TLabel::SetAlignment)
        .Enum("Layout", {"tlTop", "tlCenter", "tlBottom"}, &TLabel::Layout, &TLabel::SetLayout)
        .Bool("Transparent", &TLabel::Transparent, &TLabel::SetTransparent)
        .Bool("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar)
        .Ref("FocusControl", &TWinControl::StaticClass(), &TLabel::SetFocusControl)
        .Creatable();
})

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 13); }

void TLabel::SetAutoSize(bool a) {
    if (a == autoSize_) return;
    autoSize_ = a;
    AdjustSize();
}

void TLabel::SetWordWrap(bool w) {
    if (w == wordWrap_) return;
    wordWrap_ = w;
    AdjustSize();
    Changed(TControlChange::Text);
}

void TLabel::SetAlignment(TAlignment a) {
    if (a == alignment_) return;
    alignment_ = a;
    Changed(TControlChange::Text);
}

void TLabel::SetText(const std::string& s) {
    TGraphicControl::SetText(s);
    AdjustSize();
}

// An auto-sized single-line label takes the width of its text (an average character
// width of the font); a word-wrapped one keeps its width.
void TLabel::AdjustSize() {
    if (!autoSize_ || IsLoading() || wordWrap_) return;
    std::string shown = showAccelChar_ ? StripAccelerator(Caption()) : Caption();
    int h = Font()->Height() < 0 ? -Font()->Height() : Font()->Height();
    int charWidth = std::max(1, (h * 5 + 5) / 11);
    SetBounds(Left(), Top(), int(shown.size()) * charWidth, std::max(13, h + 2));
}

// ---------------------------------------------------------------------------------------
// TButtonControl, TButton

ZARN_DEFINE_CLASS(TButtonControl, TWinControl, [](auto&) {})

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) { SetTabStop(true); }

ZARN_DEFINE_CLASS(TButton, TButtonControl, [](TClassBuilder<TButton>& b) {
    b.Bool("Default", &TButton::Default, &TButton::SetDefault)
        .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel)
        .Enum("ModalResult", {"mrNone", "mrOk", "mrCancel", "mrAbort", "mrRetry", "mrIgnore", "mrYes", "mrNo", "mrAll"},
              &TButton::ModalResult, &TButton::SetModalResult)
        .Creatable();
})

TButton::TButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool d) {
    if (d == default_) return;
    default_ = d;
    Changed(TControlChange::State);
}

void TButton::Click() {
    if (modalResult_ != mrNone) {
        if (TCustomForm* f = ParentForm()) f->SetModalResult(modalResult_);
    }
    TButtonControl::Click();
}

// ---------------------------------------------------------------------------------------
// TCheckBox

ZARN_DEFINE_CLASS(TCheckBox, TButtonControl, [](TClassBuilder<TCheckBox>& b) {
    b.Bool("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked)
        .Enum("Alignment", kAlignmentNames, &TCheckBox::Alignment, &TCheckBox::SetAlignment)
        .Creatable();
})

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 97, 17); }

void TCheckBox::SetChecked(bool c) {
    if (c == checked_) return;
    checked_ = c;
    Changed(TControlChange::Value);
}

void TCheckBox::Click() {
    SetChecked(!checked_);
    TButtonControl::Click();
}

// ---------------------------------------------------------------------------------------
// TCustomEdit, TEdit

ZARN_DEFINE_CLASS(TCustomEdit, TWinControl, [](TClassBuilder<TCustomEdit>& b) {
    b.Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly)
        .Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength)
        .Enum("CharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"}, &TCustomEdit::CharCase,
              &TCustomEdit::SetCharCase)
        .Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect)
        .Int("PasswordChar", &TCustomEdit::PasswordChar, &TCustomEdit::SetPasswordChar)
        .Event("OnChange", &TCustomEdit::OnChange);
})

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TCustomEdit::SetText(const std::string& s) {
    std::string v = s;
    if (charCase_ == TEditCharCase::ecUpperCase) v = UpperCase(v);
    if (charCase_ == TEditCharCase::ecLowerCase) v = LowerCase(v);
    if (v == TWinControl::Text()) return;
    TWinControl::SetText(v);
    if (!IsLoading()) Change();
}

bool TCustomEdit::TypeChar(char c) {
    if (readOnly_) return false;
    if (maxLength_ > 0 && int(Text().size()) >= maxLength_) return false;
    SetText(Text() + c);
    return true;
}

bool TCustomEdit::Backspace() {
    if (readOnly_ || Text().empty()) return false;
    std::string t = Text();
    t.pop_back();
    SetText(t);
    return true;
}

void TCustomEdit::Change() {
    if (OnChange) OnChange(this);
}

ZARN_DEFINE_CLASS(TEdit, TCustomEdit, [](TClassBuilder<TEdit>& b) {
    b.Str("Text", &TEdit::Text, &TEdit::SetText).Creatable();
})

TEdit::TEdit(TComponent* owner) : TCustomEdit(owner) {}

// ---------------------------------------------------------------------------------------
// TMemo

ZARN_DEFINE_CLASS(TMemo, TCustomEdit, [](TClassBuilder<TMemo>& b) {
    b.Object("Lines", &TMemo::Lines)
        .Enum("ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, &TMemo::ScrollBars,
              &TMemo::SetScrollBars)
        .Bool("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap)
        .Creatable();
})

TMemo::TMemo(TComponent* owner) : TCustomEdit(owner), lines_(std::make_unique<TStringList>()) {
    SetBounds(0, 0, 185, 89);
    lines_->OnChange = [this](TObject*) {
        Changed(TControlChange::Text);
        if (!IsLoading()) Change();
    };
}

TMemo::~TMemo() { lines_->OnChange = nullptr; }

TStrings* TMemo::Lines() const { return lines_.get(); }

std::string TMemo::Text() const { return lines_->Text(); }

void TMemo::SetText(const std::string& s) {
    if (s == Text()) return;
    lines_->SetText(s);
}

// ---------------------------------------------------------------------------------------
// TGroupBox

ZARN_DEFINE_CLASS(TGroupBox, TWinControl, [](TClassBuilder<TGroupBox>& b) { b.Creatable(); })

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 105); }

// ---------------------------------------------------------------------------------------
// TScrollBar

ZARN_DEFINE_CLASS(TScrollBar, TWinControl, [](TClassBuilder<TScrollBar>& b) {
    b.Enum("Kind", {"sbHorizontal", "sbVertical"}, &TScrollBar::Kind, &TScrollBar::SetKind)
        .Int("Min", &TScrollBar::Min, &TScrollBar::SetMin)
        .Int("Max", &TScrollBar::Max, &TScrollBar::SetMax)
        .Int("Position", &TScrollBar::Position, &TScrollBar::SetPosition)
        .Int("LargeChange", &TScrollBar::LargeChange, &TScrollBar::SetLargeChange)
        .Int("SmallChange", &TScrollBar::SmallChange, &TScrollBar::SetSmallChange)
        .Event("OnChange", &TScrollBar::OnChange)
        .Creatable();
})

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 121, 16);
}

void TScrollBar::SetKind(TScrollBarKind k) {
    if (k == kind_) return;
    kind_ = k;
    if (!IsLoading()) SetBounds(Left(), Top(), Height(), Width());
}

void TScrollBar::SetMin(int v) {
    if (IsLoading()) {
        min_ = v;
        return;
    }
    SetParams(std::max(position_, v), v, max_);
}

void TScrollBar::SetMax(int v) {
    if (IsLoading()) {
        max_ = v;
        return;
    }
    SetParams(std::min(position_, v), min_, v);
}

void TScrollBar::SetPosition(int v) {
    if (IsLoading()) {
        position_ = v;
        return;
    }
    SetParams(v, min_, max_);
}

void TScrollBar::SetParams(int position, int min, int max) {
    if (max < min || position < min || position > max) throw EInvalidOperation(kScrollBarRange);
    bool moved = position != position_;
    bool ranged = min != min_ || max != max_;
    min_ = min;
    max_ = max;
    position_ = position;
    if (ranged || moved) Changed(TControlChange::Value);
    if (moved) Change();
}

// A description may leave the three values inconsistent; the position is kept in range.
void TScrollBar::Loaded() {
    TWinControl::Loaded();
    if (max_ < min_) max_ = min_;
    position_ = std::clamp(position_, min_, max_);
}

void TScrollBar::Change() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------
// TRadioGroup

ZARN_DEFINE_CLASS(TRadioGroup, TGroupBox, [](TClassBuilder<TRadioGroup>& b) {
    b.Object("Items", &TRadioGroup::Items)
        .Int("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex)
        .Int("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns)
        .Creatable();
})

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner), items_(std::make_unique<TStringList>()) {
    SetTabStop(true);
    items_->OnChange = [this](TObject*) {
        if (!IsLoading() && itemIndex_ >= items_->Count()) itemIndex_ = -1;
        Changed(TControlChange::Content);
    };
}

TRadioGroup::~TRadioGroup() { items_->OnChange = nullptr; }

TStrings* TRadioGroup::Items() const { return items_.get(); }

void TRadioGroup::SetItemIndex(int i) {
    if (IsLoading()) {
        itemIndex_ = i;
        return;
    }
    if (i < -1 || i >= items_->Count()) return;
    if (i == itemIndex_) return;
    itemIndex_ = i;
    Changed(TControlChange::Value);
    TGroupBox::Click();
}

void TRadioGroup::SetColumns(int c) {
    c = std::clamp(c, 1, 16);
    if (c == columns_) return;
    columns_ = c;
    Changed(TControlChange::Content);
}

void TRadioGroup::Loaded() {
    TGroupBox::Loaded();
    if (itemIndex_ < -1 || itemIndex_ >= items_->Count()) itemIndex_ = -1;
}
