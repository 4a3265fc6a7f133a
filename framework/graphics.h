// Fonts, colours and cursors of forms and controls.
#pragma once
#include <cstdint>
#include <string>

#include "framework/classes.h"

using TColor = std::int32_t;
constexpr TColor clBtnFace = TColor(0x8000000F);
constexpr TColor clWindowText = TColor(0x80000008);
constexpr TColor clWindow = TColor(0x80000005);
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crHourGlass = -11;

enum class TFontStyle : std::uint8_t { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum class TFontPitch : std::uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = std::uint8_t;
constexpr TFontCharset DEFAULT_CHARSET = 1;

// A font: `Height` is in pixels (negative: character height), `Size` in points; the two
// are tied by `PixelsPerInch` (96).
class TFont : public TPersistent {
    ZARN_CLASS(TFont, TPersistent)
public:
    static constexpr int PixelsPerInch = 96;
    TFont() = default;

    std::string Name() const { return name_; }
    void SetName(const std::string& n);
    int Height() const { return height_; }
    void SetHeight(int h);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles s);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TFontCharset Charset() const { return charset_; }
    void SetCharset(TFontCharset c);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch p);

    void Assign(TPersistent* source) override;
    bool operator==(const TFont& o) const;

    TNotifyEvent OnChange;

private:
    void Changed();
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_;
    TColor color_ = clWindowText;
    TFontCharset charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
};
