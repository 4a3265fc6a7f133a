// The bitmap button: a button that can carry a standard kind and a glyph.
#pragma once
#include <cstdint>
#include <vector>

#include "framework/stdctrls.h"

class TBitmap;

enum class TBitBtnKind : std::uint8_t { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort,
                                        bkRetry, bkIgnore, bkAll };
enum class TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
    ZARN_CLASS(TBitBtn, TButton)
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;
    TBitBtnKind Kind() const { return kind_; }
    // A standard kind gives the button its caption and modal result (unless loading,
    // where the description's own values follow).
    void SetKind(TBitBtnKind k);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout l) { layout_ = l; }
    int Spacing() const { return spacing_; }
    void SetSpacing(int s) { spacing_ = s; }
    int Margin() const { return margin_; }
    void SetMargin(int m) { margin_ = m; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n) { numGlyphs_ = n < 1 ? 1 : (n > 4 ? 4 : n); }
    // The glyph; empty when the button has none.
    TBitmap* Glyph() const { return glyph_.get(); }

private:
    TBitBtnKind kind_ = TBitBtnKind::bkCustom;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    int spacing_ = 4, margin_ = -1, numGlyphs_ = 1;
    std::unique_ptr<TBitmap> glyph_;
};
