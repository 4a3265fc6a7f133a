#include "tools/mksample/samplefiles.h"

#include <cmath>
#include <cstring>

#include "framework/bitmap.h"
#include "platform/byteorder.h"
#include "platform/casefold.h"
#include "platform/files.h"
#include "platform/handles.h"

namespace sample {
namespace {

std::uint32_t Fnv(const std::string& s) {
    std::uint32_t h = 2166136261u;
    for (unsigned char c : s) h = (h ^ c) * 16777619u;
    return h ? h : 1;
}

struct Rng {
    std::uint32_t s;
    std::uint32_t Next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
};

namespace le = platform::le;

bool EndsWith(const std::string& s, const std::string& e) {
    return s.size() >= e.size() && s.compare(s.size() - e.size(), e.size(), e) == 0;
}

// A 24-bit bitmap with a pattern of its own per name (counted from the bottom row, as
// the file stores it).
std::vector<std::uint8_t> Bitmap(const std::string& name, int w, int h) {
    Rng r{Fnv(name)};
    std::uint8_t base[3] = {std::uint8_t(r.Next()), std::uint8_t(r.Next()), std::uint8_t(r.Next())};
    auto shade = [&](int c, int x, int y) { return std::uint8_t(base[c] + x * (c + 1) + y * (3 - c)); };
    TBitmap bitmap;
    bitmap.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap.SetPixel(x, h - 1 - y, shade(2, x, y), shade(1, x, y), shade(0, x, y));
    return bitmap.SaveToBmp();
}

// A short 8-bit mono WAVE file: a falling click.
std::vector<std::uint8_t> Wave() {
    const int rate = 11025, n = rate / 8;
    std::vector<std::uint8_t> v;
    for (const char* p = "RIFF"; *p; ++p) v.push_back(std::uint8_t(*p));
    le::Append32(v, std::uint32_t(36 + n));
    for (const char* p = "WAVEfmt "; *p; ++p) v.push_back(std::uint8_t(*p));
    le::Append32(v, 16);
    le::Append16(v, 1);
    le::Append16(v, 1);
    le::Append32(v, rate);
    le::Append32(v, rate);
    le::Append16(v, 1);
    le::Append16(v, 8);
    for (const char* p = "data"; *p; ++p) v.push_back(std::uint8_t(*p));
    le::Append32(v, n);
    for (int i = 0; i < n; ++i) {
        double env = 1.0 - double(i) / n;
        v.push_back(std::uint8_t(128 + 100 * env * std::sin(i * (0.9 - 0.6 * i / n))));
    }
    return v;
}

std::vector<std::uint8_t> Text(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

std::vector<std::uint8_t> Noise(const std::string& name, std::size_t size, const char* magic) {
    Rng r{Fnv(name)};
    std::vector<std::uint8_t> v(size);
    for (std::size_t i = 0; i < size; ++i) v[i] = std::uint8_t(r.Next());
    for (std::size_t i = 0; magic && magic[i] && i < size; ++i) v[i] = std::uint8_t(magic[i]);
    return v;
}

}  // namespace

std::vector<std::uint8_t> QuakePack(int megabytes, std::uint32_t seed) {
    if (megabytes < 1) megabytes = 1;
    const std::size_t total = std::size_t(megabytes) * 1024 * 1024;
    const int lumps = 64;
    const std::size_t lump = total / lumps;
    std::vector<std::uint8_t> v(12);
    v[0] = 'P';
    v[1] = 'A';
    v[2] = 'C';
    v[3] = 'K';
    Rng r{seed};
    std::vector<std::uint32_t> offsets;
    v.reserve(total + 12 + lumps * 64);
    for (int i = 0; i < lumps; ++i) {
        offsets.push_back(std::uint32_t(v.size()));
        for (std::size_t k = 0; k < lump; k += 4) le::Append32(v, r.Next());
    }
    std::uint32_t dir = std::uint32_t(v.size());
    for (int i = 0; i < lumps; ++i) {
        char name[56] = {};
        std::snprintf(name, sizeof name, "maps/skyr%02d.bsp", i);
        v.insert(v.end(), name, name + 56);
        le::Append32(v, offsets[std::size_t(i)]);
        le::Append32(v, std::uint32_t(lump));
    }
    le::Put32(&v[4], dir);
    le::Put32(&v[8], std::uint32_t(lumps * 64));
    return v;
}

std::vector<std::uint8_t> FileContents(const std::string& relativeName, int pakMegabytes) {
    std::string n = platform::fold::AsciiLowerCase(relativeName);
    if (n == "pak0.pak") return QuakePack(pakMegabytes, Fnv(n));
    if (n == "readme.txt")
        return Text(
            "Skyreach: The Embers of Orrin - demo version\r\n"
            "===========================================\r\n\r\n"
            "Start the launcher (skyr.exe) from the Skyreach folder or from the\r\n"
            "shortcut on your desktop, then choose Single Player.\r\n");
    if (n == "config.cfg") return Text("bind ALT \"+strafe\"\r\nvid_mode 0\r\n");
    if (EndsWith(n, ".wav")) return Wave();
    if (EndsWith(n, ".bmp")) {
        bool portrait = n.find_first_of("0123456789") == std::string::npos;
        return portrait ? Bitmap(n, 96, 128) : Bitmap(n, 120, 32);
    }
    if (EndsWith(n, ".exe")) return Noise(n, 48 * 1024 + (Fnv(n) & 0xFFF), "MZ");
    if (EndsWith(n, ".dat")) return Noise(n, 400 * 1024 + (Fnv(n) & 0x3FFF), nullptr);
    if (EndsWith(n, ".ms2")) return Noise(n, 2000 + (Fnv(n) & 0x7FF), nullptr);
    return Noise(n, 1000 + (Fnv(n) & 0x3FF), nullptr);
}

std::vector<std::string> GlQuakeCaches() {
    return {"bolt2.ms2", "bolt3.ms2", "invulner.ms2", "laser.ms2", "quaddama.ms2", "backpack.ms2", "lavaball.ms2"};
}

std::vector<std::string> GlQuakeKeptFiles() { return {"player.ms2", "armor.ms2"}; }

namespace {

bool MakeFolder(const std::string& path) {
    return platform::DirectoryExists(path) || platform::CreateDirectory(path);
}

bool WriteWhole(const std::string& path, const std::vector<std::uint8_t>& data) {
    platform::FileHandle h(platform::CreateFile(path, platform::GenericWrite, 0, platform::CreateAlways));
    if (!h) return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < data.size()) {
        platform::DWORD chunk = platform::DWORD(std::min<std::size_t>(data.size() - done, 1 << 20));
        platform::DWORD written = 0;
        ok = platform::WriteFile(h.get(), data.data() + done, chunk, written) && written == chunk;
        done += chunk;
    }
    return platform::CloseHandle(h.release()) && ok;
}

}  // namespace

std::string CreateEnvironment(const Layout& layout, const std::vector<std::string>& files, int pakMegabytes) {
    const std::string& q = layout.quakeDir;
    for (const std::string& d : {q, q + "\\id1", q + "\\id1\\glquake", layout.sourceDir, layout.sourceDir + "\\launcher"})
        if (!MakeFolder(d)) return "cannot create folder " + d;
    struct Entry {
        std::string path;
        std::vector<std::uint8_t> data;
    };
    std::vector<Entry> entries = {
        {q + "\\quake.exe", FileContents("quake.exe", 0)},
        {q + "\\id1\\pak0.pak", QuakePack(2)},
        {q + "\\id1\\config.cfg", FileContents("config.cfg", 0)},
    };
    for (const std::string& c : GlQuakeCaches()) entries.push_back({q + "\\id1\\glquake\\" + c, FileContents(c, 0)});
    for (const std::string& k : GlQuakeKeptFiles()) entries.push_back({q + "\\id1\\glquake\\" + k, FileContents(k, 0)});
    for (const Entry& e : entries)
        if (!WriteWhole(e.path, e.data)) return "cannot write " + e.path;
    for (const std::string& f : files)
        if (!WriteWhole(layout.sourceDir + "\\" + f, FileContents(f, pakMegabytes)))
            return "cannot write " + layout.sourceDir + "\\" + f;
    return {};
}

}  // namespace sample

