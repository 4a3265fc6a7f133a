#include "framework/comctrls.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------
// TProgressBar

ZARN_DEFINE_CLASS(TProgressBar, TWinControl, [](TClassBuilder<TProgressBar>& b) {
    b.Int("Min", &TProgressBar::Min, &TProgressBar::SetMin)
        .Int("Max", &TProgressBar::Max, &TProgressBar::SetMax)
        .Int("Position", &TProgressBar::Position, &TProgressBar::SetPosition)
        .Int("Step", &TProgressBar::Step, &TProgressBar::SetStep)
        .Enum("Orientation", {"pbHorizontal", "pbVertical"}, &TProgressBar::Orientation,
              &TProgressBar::SetOrientation)
        .Bool("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth)
        .Creatable();
})

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

int TProgressBar::Clamp(int v) const { return max_ < min_ ? min_ : std::clamp(v, min_, max_); }

void TProgressBar::SetMin(int v) {
    if (v == min_) return;
    min_ = v;
    if (!IsLoading()) position_ = Clamp(position_);
    Changed(TControlChange::Value);
}

void TProgressBar::SetMax(int v) {
    if (v == max_) return;
    max_ = v;
    if (!IsLoading()) position_ = Clamp(position_);
    Changed(TControlChange::Value);
}

void TProgressBar::SetPosition(int v) {
    if (!IsLoading()) v = Clamp(v);
    if (v == position_) return;
    position_ = v;
    Changed(TControlChange::Value);
}

int TProgressBar::Percent() const {
    if (max_ <= min_) return 0;
    double p = std::nearbyint(double(position_ - min_) * 100.0 / double(max_ - min_));
    return int(std::clamp(p, 0.0, 100.0));
}

void TProgressBar::Loaded() {
    TWinControl::Loaded();
    position_ = Clamp(position_);
}

// ---------------------------------------------------------------------------------------
// TTabSheet, TPageControl

ZARN_DEFINE_CLASS(TTabSheet, TWinControl, [](TClassBuilder<TTabSheet>& b) {
    b.Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible)
        .Ref("PageControl", nullptr, &TTabSheet::SetPageControl)
        .Creatable();
})

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {}

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* p) {
    if (p == pageControl_) return;
    if (pageControl_) pageControl_->RemovePage(this);
    pageControl_ = nullptr;
    if (p) {
        pageControl_ = p;
        p->AddPage(this);
        if (Parent() != p) SetParent(p);
    }
}

void TTabSheet::SetParent(TWinControl* parent) {
    TWinControl::SetParent(parent);
    auto* pc = dynamic_cast<TPageControl*>(parent);
    if (pc != pageControl_) SetPageControl(pc);
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& v = pageControl_->pages_;
    return int(std::find(v.begin(), v.end(), this) - v.begin());
}

ZARN_DEFINE_CLASS(TPageControl, TWinControl, [](TClassBuilder<TPageControl>& b) {
    b.Ref("ActivePage", nullptr, &TPageControl::SetActivePage)
        .Event("OnChange", &TPageControl::OnChange)
        .Creatable();
})

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
    pages_.clear();
    active_ = nullptr;
}

TTabSheet* TPageControl::Pages(int i) const {
    if (i < 0 || i >= PageCount()) throw EListError(Format("List index out of bounds (%d)", {i}));
    return pages_[std::size_t(i)];
}

void TPageControl::AddPage(TTabSheet* p) {
    pages_.push_back(p);
    if (!active_) SetActivePage(p);
    else p->SetVisible(false);
}

void TPageControl::RemovePage(TTabSheet* p) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), p), pages_.end());
    if (active_ == p) {
        active_ = nullptr;
        if (!pages_.empty()) SetActivePage(pages_.front());
    }
}

void TPageControl::SetActivePage(TTabSheet* p) {
    if (p && p->PageControl() != this) return;
    if (p == active_) return;
    active_ = p;
    for (TTabSheet* s : pages_) s->SetVisible(s == p);
    Changed(TControlChange::Value);
    if (!IsLoading() && OnChange) OnChange(this);
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int i) {
    if (i >= 0 && i < PageCount()) SetActivePage(pages_[std::size_t(i)]);
}
