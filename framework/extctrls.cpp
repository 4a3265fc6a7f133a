#include "framework/extctrls.h"

#include <algorithm>

#include "framework/ui/backend.h"

namespace {
const std::vector<std::string> kBevelNames = {"bvNone", "bvLowered", "bvRaised", "bvSpace"};
}

// ---------------------------------------------------------------------------------------
// TPanel

ZARN_DEFINE_CLASS(TPanel, TWinControl, [](TClassBuilder<TPanel>& b) {
    b.Enum("BevelOuter", kBevelNames, &TPanel::BevelOuter, &TPanel::SetBevelOuter)
        .Enum("BevelInner", kBevelNames, &TPanel::BevelInner, &TPanel::SetBevelInner)
        .Int("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
        .Int("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
        .Enum("BorderStyle", {"bsNone", "bsSingle"}, &TPanel::BorderStyle, &TPanel::SetBorderStyle)
        .Enum("Alignment", {"taLeftJustify", "taRightJustify", "taCenter"}, &TPanel::Alignment,
              &TPanel::SetAlignment)
        .Creatable();
})

TPanel::TPanel(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetBevelOuter(TPanelBevel b) {
    if (b == bevelOuter_) return;
    bevelOuter_ = b;
    Changed(TControlChange::State);
}

void TPanel::SetBevelInner(TPanelBevel b) {
    if (b == bevelInner_) return;
    bevelInner_ = b;
    Changed(TControlChange::State);
}

void TPanel::SetBorderStyle(TBorderStyle b) {
    if (b == borderStyle_) return;
    borderStyle_ = b;
    Changed(TControlChange::State);
}

// ---------------------------------------------------------------------------------------
// TBevel

ZARN_DEFINE_CLASS(TBevel, TGraphicControl, [](TClassBuilder<TBevel>& b) {
    b.Enum("Shape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"},
           &TBevel::Shape, &TBevel::SetShape)
        .Enum("Style", {"bsLowered", "bsRaised"}, &TBevel::Style, &TBevel::SetStyle)
        .Creatable();
})

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::SetShape(TBevelShape s) {
    if (s == shape_) return;
    shape_ = s;
    Changed(TControlChange::State);
}

void TBevel::SetStyle(TBevelStyle s) {
    if (s == style_) return;
    style_ = s;
    Changed(TControlChange::State);
}

// ---------------------------------------------------------------------------------------
// TImage

ZARN_DEFINE_CLASS(TImage, TGraphicControl, [](TClassBuilder<TImage>& b) {
    b.Object("Picture", &TImage::Picture)
        .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize)
        .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch)
        .Bool("Center", &TImage::Center, &TImage::SetCenter)
        .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent)
        .Creatable();
})

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
    SetBounds(0, 0, 105, 105);
    picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

void TImage::PictureChanged() {
    if (autoSize_ && !IsLoading() && !picture_->Bitmap()->Empty())
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    Changed(TControlChange::Content);
}

void TImage::SetAutoSize(bool a) {
    autoSize_ = a;
    if (a) PictureChanged();
}

void TImage::SetStretch(bool s) {
    if (s == stretch_) return;
    stretch_ = s;
    Changed(TControlChange::Content);
}

void TImage::SetCenter(bool c) {
    if (c == center_) return;
    center_ = c;
    Changed(TControlChange::Content);
}

void TImage::Loaded() {
    TGraphicControl::Loaded();
    if (autoSize_ && !picture_->Bitmap()->Empty())
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
}

// ---------------------------------------------------------------------------------------
// TTimer

ZARN_DEFINE_CLASS(TTimer, TComponent, [](TClassBuilder<TTimer>& b) {
    b.Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
        .Int("Interval", &TTimer::Interval, &TTimer::SetInterval)
        .Event("OnTimer", &TTimer::OnTimer)
        .Creatable();
})

namespace {
std::vector<TTimer*>& TimerList() {
    static std::vector<TTimer*> list;
    return list;
}
}  // namespace

const std::vector<TTimer*>& AllTimers() { return TimerList(); }

TTimer::TTimer(TComponent* owner) : TComponent(owner) { TimerList().push_back(this); }

TTimer::~TTimer() {
    auto& l = TimerList();
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
    enabled_ = false;
    OnTimer = nullptr;
    if (registered_ && ui::HasBackend()) ui::Backend().TimerDestroying(this);
}

bool TTimer::Active() const { return enabled_ && interval_ > 0 && OnTimer && !IsLoading() && !IsDestroying(); }

void TTimer::UpdateTimer() {
    if (IsLoading()) return;
    if (!registered_ && !Active()) return;
    registered_ = Active();
    ui::Backend().TimerChanged(this);
}

void TTimer::SetEnabled(bool e) {
    if (e == enabled_) return;
    enabled_ = e;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent e) {
    OnTimer = std::move(e);
    UpdateTimer();
}

void TTimer::Timer() {
    if (Active()) OnTimer(this);
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}
