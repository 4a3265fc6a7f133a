// More controls: panel, bevel, image and the timer.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/bitmap.h"
#include "framework/controls.h"

enum class TPanelBevel : std::uint8_t { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TWinControl {
    ZARN_CLASS(TPanel, TWinControl)
public:
    explicit TPanel(TComponent* owner);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel b);
    TPanelBevel BevelInner() const { return bevelInner_; }
    void SetBevelInner(TPanelBevel b);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w) { bevelWidth_ = w < 1 ? 1 : w; }
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int w) { borderWidth_ = w < 0 ? 0 : w; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle b);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }

private:
    TPanelBevel bevelOuter_ = TPanelBevel::bvRaised;
    TPanelBevel bevelInner_ = TPanelBevel::bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TAlignment alignment_ = TAlignment::taCenter;
};

enum class TBevelShape : std::uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum class TBevelStyle : std::uint8_t { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
    ZARN_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape s);
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle s);

private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

class TImage : public TGraphicControl {
    ZARN_CLASS(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture* Picture() const { return picture_.get(); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool s);
    bool Center() const { return center_; }
    void SetCenter(bool c);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t) { transparent_ = t; }
    void Loaded() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> picture_;
    bool autoSize_ = false, stretch_ = false, center_ = false, transparent_ = false;
};

// A timer: while Enabled with a positive Interval (milliseconds) and a handler, the ui
// backend fires OnTimer about every Interval. A one-shot use disables it in its handler.
class TTimer : public TComponent {
    ZARN_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    unsigned Interval() const { return interval_; }
    void SetInterval(unsigned ms);
    // Enabled, with a positive interval and a handler, and not loading.
    bool Active() const;
    // Called by the backend when the interval has passed.
    void Timer();
    void Loaded() override;

    TNotifyEvent OnTimer;
    // Set OnTimer through this (or call UpdateTimer after assigning) so a running
    // backend learns that the timer now has a handler.
    void SetOnTimer(TNotifyEvent e);
    void UpdateTimer();

    void* BackendData = nullptr;

private:
    bool enabled_ = true;
    unsigned interval_ = 1000;
    bool registered_ = false;
};

// Every live timer, in creation order (backends poll these for Active ones).
const std::vector<TTimer*>& AllTimers();
