// Bitmaps and pictures: 24-bit device-independent bitmaps read from BMP data.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/classes.h"

// A bitmap held as 24-bit pixels, top row first, each row Width*3 bytes in blue, green,
// red order (no padding).
class TBitmap : public TPersistent {
    ZARN_CLASS(TBitmap, TPersistent)
public:
    TBitmap() = default;
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    const std::vector<std::uint8_t>& Pixels() const { return pixels_; }
    // Blue, green, red of one pixel.
    std::uint32_t PixelRGB(int x, int y) const;
    void SetSize(int w, int h);
    void SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);

    // Reads a BMP file image (the "BM" file header, a BITMAPINFOHEADER, 24-bit
    // uncompressed pixels; 1/4/8-bit palettes and 32-bit are accepted too and turned into
    // 24-bit). EInvalidGraphic on anything else or truncated data.
    void LoadFromBmp(const std::uint8_t* data, std::size_t size);
    // The form-description form of a bitmap: a 32-bit length followed by the BMP image;
    // a bare BMP image is accepted as well.
    void SetData(const std::vector<std::uint8_t>& data);
    // The bitmap as a 24-bit BMP file image.
    std::vector<std::uint8_t> SaveToBmp() const;
    // Loads a BMP image from an embedded resource (EResNotFound when absent).
    void LoadFromResourceName(const std::string& name);
    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void Changed();
    int width_ = 0, height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

ZARN_EXCEPTION(EInvalidGraphic, Exception);
ZARN_EXCEPTION(EResNotFound, Exception);

// A picture: in this framework always a bitmap. Its description data starts with the
// graphic's class name (a length byte and "TBitmap") followed by the bitmap's data.
class TPicture : public TPersistent {
    ZARN_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;
    TBitmap* Bitmap() const { return bitmap_.get(); }
    int Width() const { return bitmap_->Width(); }
    int Height() const { return bitmap_->Height(); }
    void SetData(const std::vector<std::uint8_t>& data);
    void Assign(TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    std::unique_ptr<TBitmap> bitmap_;
};
