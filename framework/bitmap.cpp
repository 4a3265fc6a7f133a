#include "framework/bitmap.h"

#include <cstring>

#include "framework/resources.h"
#include "platform/byteorder.h"

namespace {

namespace le = platform::le;

[[noreturn]] void Bad() { throw EInvalidGraphic("Bitmap image is not valid"); }

}  // namespace

ZARN_DEFINE_CLASS(TBitmap, TPersistent, [](TClassBuilder<TBitmap>& b) { b.Binary("Data", &TBitmap::SetData); })

std::uint32_t TBitmap::PixelRGB(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    const std::uint8_t* p = &pixels_[(std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 3];
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

void TBitmap::SetSize(int w, int h) {
    if (w < 0 || h < 0 || (w > 0 && h > 0 && std::size_t(w) * std::size_t(h) > (std::size_t(1) << 26)))
        throw EInvalidGraphic("Bitmap image is not valid");
    width_ = w;
    height_ = h;
    pixels_.assign(std::size_t(w) * std::size_t(h) * 3, 0);
    Changed();
}

void TBitmap::SetPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = &pixels_[(std::size_t(y) * std::size_t(width_) + std::size_t(x)) * 3];
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

void TBitmap::LoadFromBmp(const std::uint8_t* data, std::size_t size) {
    if (size < 14 + 40 || data[0] != 'B' || data[1] != 'M') Bad();
    std::uint32_t offBits = le::Get32(data + 10);
    std::uint32_t hdrSize = le::Get32(data + 14);
    if (hdrSize < 40 || 14 + std::size_t(hdrSize) > size) Bad();
    std::int32_t w = std::int32_t(le::Get32(data + 18));
    std::int32_t h = std::int32_t(le::Get32(data + 22));
    std::uint16_t bpp = le::Get16(data + 28);
    std::uint32_t compression = le::Get32(data + 30);
    std::uint32_t clrUsed = le::Get32(data + 46);
    if (compression != 0 || w <= 0 || h == 0 || w > 32768 || h > 32768 || h < -32768) Bad();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) Bad();
    bool topDown = h < 0;
    int height = topDown ? -h : h;
    std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
    if (offBits > size || stride * std::size_t(height) > size - offBits) Bad();
    std::vector<std::uint8_t> palette;
    if (bpp <= 8) {
        std::size_t entries = clrUsed ? clrUsed : (std::size_t(1) << bpp);
        if (entries > 256) Bad();
        std::size_t palOff = 14 + hdrSize;
        if (palOff + entries * 4 > offBits) Bad();
        palette.assign(data + palOff, data + palOff + entries * 4);
    }
    std::vector<std::uint8_t> px(std::size_t(w) * std::size_t(height) * 3);
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* src = data + offBits + stride * std::size_t(topDown ? row : height - 1 - row);
        std::uint8_t* dst = &px[std::size_t(row) * std::size_t(w) * 3];
        for (int x = 0; x < w; ++x) {
            std::uint8_t b, g, r;
            if (bpp == 24 || bpp == 32) {
                const std::uint8_t* p = src + std::size_t(x) * (bpp / 8);
                b = p[0];
                g = p[1];
                r = p[2];
            } else {
                unsigned idx;
                if (bpp == 8) idx = src[x];
                else if (bpp == 4) idx = (src[x / 2] >> ((x % 2) ? 0 : 4)) & 0xF;
                else idx = (src[x / 8] >> (7 - x % 8)) & 1;
                if (idx * 4 + 3 >= palette.size()) Bad();
                b = palette[idx * 4];
                g = palette[idx * 4 + 1];
                r = palette[idx * 4 + 2];
            }
            dst[x * 3] = b;
            dst[x * 3 + 1] = g;
            dst[x * 3 + 2] = r;
        }
    }
    width_ = w;
    height_ = height;
    pixels_ = std::move(px);
    Changed();
}

void TBitmap::SetData(const std::vector<std::uint8_t>& data) {
    if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
        LoadFromBmp(data.data(), data.size());
        return;
    }
    if (data.size() < 4) Bad();
    std::uint32_t n = le::Get32(data.data());
    if (n > data.size() - 4) Bad();
    if (n == 0) {
        width_ = height_ = 0;
        pixels_.clear();
        Changed();
        return;
    }
    LoadFromBmp(data.data() + 4, n);
}

std::vector<std::uint8_t> TBitmap::SaveToBmp() const {
    std::size_t stride = (std::size_t(width_) * 3 + 3) / 4 * 4;
    std::uint32_t imageSize = std::uint32_t(stride * std::size_t(height_));
    std::vector<std::uint8_t> v;
    v.push_back('B');
    v.push_back('M');
    le::Append32(v, 14 + 40 + imageSize);
    le::Append32(v, 0);
    le::Append32(v, 14 + 40);
    le::Append32(v, 40);
    le::Append32(v, std::uint32_t(width_));
    le::Append32(v, std::uint32_t(height_));
    le::Append16(v, 1);
    le::Append16(v, 24);
    le::Append32(v, 0);
    le::Append32(v, imageSize);
    le::Append32(v, 2835);
    le::Append32(v, 2835);
    le::Append32(v, 0);
    le::Append32(v, 0);
    for (int row = height_ - 1; row >= 0; --row) {
        const std::uint8_t* src = pixels_.data() + std::size_t(row) * std::size_t(width_) * 3;
        v.insert(v.end(), src, src + std::size_t(width_) * 3);
        v.resize(v.size() + (stride - std::size_t(width_) * 3), 0);
    }
    return v;
}

void TBitmap::LoadFromResourceName(const std::string& name) {
    auto res = FindResource(name);
    if (!res) throw EResNotFound(Format("Resource %s not found", {name}));
    SetData(std::vector<std::uint8_t>(res->begin(), res->end()));
}

void TBitmap::Assign(TPersistent* source) {
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        width_ = b->width_;
        height_ = b->height_;
        pixels_ = b->pixels_;
        Changed();
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        Assign(p->Bitmap());
        return;
    }
    TPersistent::Assign(source);
}

void TBitmap::Changed() {
    if (OnChange) OnChange(this);
}

// ---------------------------------------------------------------------------------------

ZARN_DEFINE_CLASS(TPicture, TPersistent, [](TClassBuilder<TPicture>& b) { b.Binary("Data", &TPicture::SetData); })

TPicture::TPicture() : bitmap_(std::make_unique<TBitmap>()) {
    bitmap_->OnChange = [this](TObject*) {
        if (OnChange) OnChange(this);
    };
}

TPicture::~TPicture() { bitmap_->OnChange = nullptr; }

void TPicture::SetData(const std::vector<std::uint8_t>& data) {
    if (data.empty()) Bad();
    if (data[0] == 'B' && data.size() > 1 && data[1] == 'M') {
        bitmap_->SetData(data);
        return;
    }
    std::size_t n = data[0];
    if (1 + n > data.size()) Bad();
    std::string cls(data.begin() + 1, data.begin() + 1 + std::ptrdiff_t(n));
    if (cls != "TBitmap") throw EInvalidGraphic(Format("Unknown picture file extension (%s)", {cls}));
    bitmap_->SetData(std::vector<std::uint8_t>(data.begin() + 1 + std::ptrdiff_t(n), data.end()));
}

void TPicture::Assign(TPersistent* source) {
    if (auto* p = dynamic_cast<TPicture*>(source)) {
        bitmap_->Assign(p->Bitmap());
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(source)) {
        bitmap_->Assign(b);
        return;
    }
    TPersistent::Assign(source);
}
