// Standard controls: label, button, check box, edit, memo, group box, scroll bar, radio
// group.
#pragma once
#include <memory>
#include <string>

#include "framework/controls.h"
#include "framework/ui/messagebox.h"

enum class TTextLayout : std::uint8_t { tlTop, tlCenter, tlBottom };

class TLabel : public TGraphicControl {
    ZARN_CLASS(TLabel, TGraphicControl)
public:
    explicit TLabel(TComponent* owner);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l) { layout_ = l; }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t) { transparent_ = t; }
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool s) { showAccelChar_ = s; }
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c) { focusControl_ = c; }
    void SetText(const std::string& s) override;

private:
    void AdjustSize();
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TTextLayout layout_ = TTextLayout::tlTop;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TButtonControl : public TWinControl {
    ZARN_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* owner);
};

class TButton : public TButtonControl {
    ZARN_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* owner);
    bool Default() const { return default_; }
    void SetDefault(bool d);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool c) { cancel_ = c; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult m) { modalResult_ = m; }
    // Sets the form's modal result (when ModalResult is set), then fires OnClick.
    void Click() override;

private:
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

// A check box: a box and its caption. A click (mouse, Space, a script's click) toggles
// Checked and then fires OnClick; setting Checked from the program fires nothing.
class TCheckBox : public TButtonControl {
    ZARN_CLASS(TCheckBox, TButtonControl)
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const { return checked_; }
    void SetChecked(bool c);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; }
    void Click() override;

private:
    bool checked_ = false;
    TAlignment alignment_ = TAlignment::taRightJustify;
};

enum class TEditCharCase : std::uint8_t { ecNormal, ecUpperCase, ecLowerCase };

class TCustomEdit : public TWinControl {
    ZARN_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* owner);
    // Every change of the text fires OnChange, whether typed or set by the program
    // (not while the control is being loaded).
    void SetText(const std::string& s) override;
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r) { readOnly_ = r; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int m) { maxLength_ = m < 0 ? 0 : m; }
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase c) { charCase_ = c; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool a) { autoSelect_ = a; }
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c) { passwordChar_ = c; }
    void Clear() { SetText(""); }

    // Input as a user gives it: one character appended, the last one removed. Each is one
    // change. Refused (false) when the edit is read-only or full.
    bool TypeChar(char c);
    bool Backspace();

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
    TEditCharCase charCase_ = TEditCharCase::ecNormal;
    bool autoSelect_ = true;
    char passwordChar_ = 0;
};

class TEdit : public TCustomEdit {
    ZARN_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* owner);
};

enum class TScrollStyle : std::uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };

// A multi-line edit; Lines holds its text.
class TMemo : public TCustomEdit {
    ZARN_CLASS(TMemo, TCustomEdit)
public:
    explicit TMemo(TComponent* owner);
    ~TMemo() override;
    TStrings* Lines() const;
    void SetLines(TStrings* s) { Lines()->Assign(s); }
    std::string Text() const override;
    void SetText(const std::string& s) override;
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s) { scrollBars_ = s; }
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w) { wordWrap_ = w; }

private:
    std::unique_ptr<TStringList> lines_;
    TScrollStyle scrollBars_ = TScrollStyle::ssNone;
    bool wordWrap_ = true;
};

class TGroupBox : public TWinControl {
    ZARN_CLASS(TGroupBox, TWinControl)
public:
    explicit TGroupBox(TComponent* owner);
};

enum class TScrollBarKind : std::uint8_t { sbHorizontal, sbVertical };

// A scroll bar. Setting Position, Min or Max from the program checks the range:
// EInvalidOperation "Scroll bar property out of range". Every change of Position fires
// OnChange.
class TScrollBar : public TWinControl {
    ZARN_CLASS(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* owner);
    TScrollBarKind Kind() const { return kind_; }
    void SetKind(TScrollBarKind k);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int LargeChange() const { return largeChange_; }
    void SetLargeChange(int v) { largeChange_ = v; }
    int SmallChange() const { return smallChange_; }
    void SetSmallChange(int v) { smallChange_ = v; }
    void SetParams(int position, int min, int max);
    void Loaded() override;

    TNotifyEvent OnChange;

protected:
    virtual void Change();

private:
    TScrollBarKind kind_ = TScrollBarKind::sbHorizontal;
    int min_ = 0, max_ = 100, position_ = 0;
    int largeChange_ = 1, smallChange_ = 1;
};

// A group box holding a column-wise set of radio buttons, one per item.
class TRadioGroup : public TGroupBox {
    ZARN_CLASS(TRadioGroup, TGroupBox)
public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;
    TStrings* Items() const;
    void SetItems(TStrings* s) { Items()->Assign(s); }
    int ItemIndex() const { return itemIndex_; }
    // -1 selects nothing; other values outside the items are ignored.
    void SetItemIndex(int i);
    int Columns() const { return columns_; }
    void SetColumns(int c);
    void Loaded() override;

private:
    std::unique_ptr<TStringList> items_;
    int itemIndex_ = -1;
    int columns_ = 1;
};
