// Controls: the visual building blocks of forms. A control has a parent (a windowed
// control), a position and size, a caption, a font and a few flags; the ui backend draws
// it and delivers input to it. Windowed controls hold child controls in order and keep a
// tab order; graphic controls (labels, bevels, images) are drawn by their parent.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "framework/graphics.h"
#include "framework/ui/messagebox.h"

class TWinControl;
class TCustomForm;

enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TAlignment : std::uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TBorderStyle : std::uint8_t { bsNone, bsSingle };

// What changed on a control, as told to the ui backend.
enum class TControlChange : std::uint8_t { Bounds, Text, State, Font, Value, Content, Parent };

class TControl : public TComponent {
    ZARN_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);
    // The form this control lies on (itself for a form), or nullptr.
    TCustomForm* ParentForm() const;

    int Left() const { return left_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    int Top() const { return top_; }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    int Width() const { return width_; }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    int Height() const { return height_; }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    // The client area; for plain controls the whole control.
    virtual int ClientWidth() const { return width_; }
    virtual void SetClientWidth(int v) { SetWidth(v); }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientHeight(int v) { SetHeight(v); }

    // Caption and Text are the same text; edits publish it as Text, the others as Caption.
    std::string Caption() const { return text_; }
    void SetCaption(const std::string& s) { SetText(s); }
    virtual std::string Text() const { return text_; }
    virtual void SetText(const std::string& s);

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool e);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and through every parent up to a visible form.
    bool Showing() const;
    // Showing and enabled along the whole parent chain: can take input.
    bool CanReceiveInput() const;

    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* f);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool p) { parentColor_ = p; }

    std::string Hint() const { return hint_; }
    void SetHint(const std::string& h) { hint_ = h; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool s) { showHint_ = s; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c) { cursor_ = c; }

    // Tab order among the windowed siblings; -1 for controls that take no focus.
    virtual int TabOrder() const { return -1; }
    virtual bool TabStop() const { return false; }

    virtual bool IsWindowed() const { return false; }
    // Simulates a click: fires OnClick (buttons also set their form's modal result).
    virtual void Click();
    // Redraws the control now (the backend may do nothing).
    void Repaint();
    void Update() { Repaint(); }
    void Invalidate() { Changed(TControlChange::Content); }

    void Loaded() override;

    TNotifyEvent OnClick;

    // Owned by the ui backend that shows the control.
    void* BackendData = nullptr;

protected:
    // Tells the backend that something visible changed (nothing while loading).
    void Changed(TControlChange what);
    virtual void ParentFontChanged();
    virtual void FontChanged();

private:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
    std::unique_ptr<TFont> font_;
    bool parentFont_ = true;
    bool copyingFont_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    std::string hint_;
    bool showHint_ = false;
    TAlign align_ = TAlign::alNone;
    TCursor cursor_ = crDefault;
};

// A control with a window of its own: it holds child controls and can take the focus.
class TWinControl : public TControl {
    ZARN_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* owner);
    // Destroying a windowed control destroys its child controls.
    ~TWinControl() override;

    bool IsWindowed() const override { return true; }

    // Child controls in the order they were put on this control.
    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int i) const;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    bool ContainsControl(const TControl* c) const;  // child or deeper

    // Windowed children in tab order.
    const std::vector<TWinControl*>& TabList() const { return tabList_; }
    // Every windowed control below this one that can take the focus, in tab order,
    // depth first (the order Tab moves the focus in).
    std::vector<TWinControl*> FocusOrder() const;
    int TabOrder() const override;
    void SetTabOrder(int order);
    bool TabStop() const override { return tabStop_; }
    void SetTabStop(bool t) { tabStop_ = t; }
    // Takes part in Tab: can receive input and is a tab stop.
    bool CanFocus() const;
    void SetFocus();
    bool Focused() const;

    void Loaded() override;

protected:
    void FontChanged() override;

private:
    void FixupTabList();
    std::vector<TControl*> controls_;
    std::vector<TWinControl*> tabList_;
    int pendingTabOrder_ = -1;
    bool tabStop_ = false;
};

// A form as the controls on it see it: it keeps the focused control, takes the modal
// result of a button, and says whether it takes input now. TForm (forms.h) is the form.
class TCustomForm : public TWinControl {
    ZARN_CLASS(TCustomForm, TWinControl)
public:
    explicit TCustomForm(TComponent* owner);
    virtual TWinControl* ActiveControl() const = 0;
    virtual void SetActiveControl(TWinControl* c) = 0;
    virtual void SetModalResult(TModalResult m) = 0;
    // False while another form runs modally: then only that form takes input.
    virtual bool TakesInput() const = 0;
};

// A control without a window of its own: drawn on its parent.
class TGraphicControl : public TControl {
    ZARN_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* owner);
};

// Removes the '&' accelerator marks ("&&" stays one '&').
std::string StripAccelerator(const std::string& caption);
// The accelerator character of a caption (upper-cased), or 0.
char AcceleratorOf(const std::string& caption);
