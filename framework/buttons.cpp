#include "framework/buttons.h"

#include "framework/bitmap.h"

ZARN_DEFINE_CLASS(TBitBtn, TButton, [](TClassBuilder<TBitBtn>& b) {
    b.Enum("Kind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort", "bkRetry",
                    "bkIgnore", "bkAll"},
           &TBitBtn::Kind, &TBitBtn::SetKind)
        .Enum("Layout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"}, &TBitBtn::Layout,
              &TBitBtn::SetLayout)
        .Int("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing)
        .Int("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin)
        .Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs)
        .Object("Glyph", &TBitBtn::Glyph)
        .Creatable();
})

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {
    glyph_->OnChange = [this](TObject*) { Changed(TControlChange::Content); };
}

TBitBtn::~TBitBtn() { glyph_->OnChange = nullptr; }

void TBitBtn::SetKind(TBitBtnKind k) {
    if (k == kind_) return;
    kind_ = k;
    if (IsLoading() || k == TBitBtnKind::bkCustom) return;
    struct KindInfo {
        const char* caption;
        TModalResult result;
    };
    static const KindInfo kinds[] = {{"", mrNone},          {"OK", mrOk},        {"Cancel", mrCancel},
                                     {"&Help", mrNone},     {"&Yes", mrYes},     {"&No", mrNo},
                                     {"&Close", mrNone},    {"Abort", mrAbort},  {"&Retry", mrRetry},
                                     {"&Ignore", mrIgnore}, {"&All", mrAll}};
    const KindInfo& info = kinds[unsigned(k)];
    SetCaption(info.caption);
    SetModalResult(info.result);
    if (k == TBitBtnKind::bkOK || k == TBitBtnKind::bkYes) SetDefault(true);
    if (k == TBitBtnKind::bkCancel || k == TBitBtnKind::bkNo) SetCancel(true);
}
