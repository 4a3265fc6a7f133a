#include "framework/graphics.h"

#include <cmath>

ZARN_DEFINE_CLASS(TFont, TPersistent, [](TClassBuilder<TFont>& b) {
    b.Int("Charset", &TFont::Charset, &TFont::SetCharset)
        .Int("Color", &TFont::Color, &TFont::SetColor)
        .Int("Height", &TFont::Height, &TFont::SetHeight)
        .Str("Name", &TFont::Name, &TFont::SetName)
        .Enum("Pitch", {"fpDefault", "fpVariable", "fpFixed"}, &TFont::Pitch, &TFont::SetPitch)
        .Int("Size", &TFont::Size, &TFont::SetSize)
        .Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, &TFont::Style, &TFont::SetStyle);
})

void TFont::Changed() {
    if (OnChange) OnChange(this);
}

void TFont::SetName(const std::string& n) {
    if (n.empty() || n == name_) return;
    name_ = n;
    Changed();
}

void TFont::SetHeight(int h) {
    if (h == height_) return;
    height_ = h;
    Changed();
}

// Size = -Height * 72 / PixelsPerInch, rounded as MulDiv rounds.
int TFont::Size() const {
    return -int(std::lround(double(height_) * 72.0 / PixelsPerInch));
}

void TFont::SetSize(int points) { SetHeight(-int(std::lround(double(points) * PixelsPerInch / 72.0))); }

void TFont::SetStyle(TFontStyles s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TFont::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    Changed();
}

void TFont::SetCharset(TFontCharset c) {
    if (c == charset_) return;
    charset_ = c;
    Changed();
}

void TFont::SetPitch(TFontPitch p) {
    if (p == pitch_) return;
    pitch_ = p;
    Changed();
}

void TFont::Assign(TPersistent* source) {
    if (auto* f = dynamic_cast<TFont*>(source)) {
        name_ = f->name_;
        height_ = f->height_;
        style_ = f->style_;
        color_ = f->color_;
        charset_ = f->charset_;
        pitch_ = f->pitch_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

bool TFont::operator==(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ && color_ == o.color_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}
