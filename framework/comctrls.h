// Common controls: progress bar and tab sheet (with its page control).
#pragma once
#include <cstdint>
#include <vector>

#include "framework/controls.h"

enum class TProgressBarOrientation : std::uint8_t { pbHorizontal, pbVertical };

// A progress bar; Position is kept within Min..Max.
class TProgressBar : public TWinControl {
    ZARN_CLASS(TProgressBar, TWinControl)
public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int Step() const { return step_; }
    void SetStep(int s) { step_ = s; }
    void StepIt() { SetPosition(position_ + step_); }
    void StepBy(int delta) { SetPosition(position_ + delta); }
    TProgressBarOrientation Orientation() const { return orientation_; }
    void SetOrientation(TProgressBarOrientation o) { orientation_ = o; }
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool s) { smooth_ = s; }
    // Position as a percentage of the range (0 when the range is empty).
    int Percent() const;
    void Loaded() override;

private:
    int Clamp(int v) const;
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    TProgressBarOrientation orientation_ = TProgressBarOrientation::pbHorizontal;
    bool smooth_ = false;
};

class TPageControl;

class TTabSheet : public TWinControl {
    ZARN_CLASS(TTabSheet, TWinControl)
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* p);
    int PageIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v) { tabVisible_ = v; }
    void SetParent(TWinControl* parent) override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
    ZARN_CLASS(TPageControl, TWinControl)
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int i) const;
    TTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TTabSheet* p);
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);

    TNotifyEvent OnChange;

private:
    friend class TTabSheet;
    void AddPage(TTabSheet* p);
    void RemovePage(TTabSheet* p);
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
};
