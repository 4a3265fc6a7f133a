#include "tools/zarc/progress.h"

#include <algorithm>
#include <cstdio>

namespace zarc {

std::string SizeText(std::int64_t bytes) {
    char buf[32];
    if (bytes < 1024) {
        std::snprintf(buf, sizeof buf, "%lld B", static_cast<long long>(bytes));
    } else {
        const char* units[] = {"KB", "MB", "GB"};
        double v = double(bytes) / 1024;
        int u = 0;
        while (v >= 1024 && u < 2) v /= 1024, ++u;
        std::snprintf(buf, sizeof buf, "%.1f %s", v, units[u]);
    }
    return buf;
}

Progress::Progress(Console& console, bool quiet)
    : console_(console), quiet_(quiet), bars_(!quiet && console.OutIsTerminal()) {
    start_ = lastDraw_ = console_.Ticks();
}

Progress::~Progress() { End(); }

void Progress::Begin(std::int64_t totalBytes, int files) {
    total_ = totalBytes;
    files_ = files;
    finished_ = current_ = 0;
    fileIndex_ = 0;
    start_ = console_.Ticks();
}

void Progress::StartFile(const std::string& name, std::int64_t size) {
    fileName_ = name;
    fileSize_ = size;
    current_ = 0;
    ++fileIndex_;
    Draw(false);
}

void Progress::Update(std::int64_t done) {
    current_ = std::max<std::int64_t>(done, 0);
    Draw(false);
}

void Progress::EndFile() {
    finished_ += std::max(current_, fileSize_);
    current_ = 0;
    fileSize_ = 0;
}

void Progress::Pause() { Erase(); }

void Progress::Line(const std::string& text, bool always) {
    if (quiet_ && !always) return;
    Erase();
    console_.Out(text + "\n");
    Draw(true);
}

void Progress::End() {
    Erase();
    bars_ = false;
}

double Progress::Seconds() const { return double(console_.Ticks() - start_) / 1000.0; }

double Progress::Rate() const {
    const double s = Seconds();
    return s > 0 ? double(TotalDone()) / s : 0;
}

std::string Progress::Bar(double fraction, int width) const {
    fraction = std::clamp(fraction, 0.0, 1.0);
    const int full = int(fraction * width + 0.5);
    char pct[8];
    std::snprintf(pct, sizeof pct, "%3d%%", int(fraction * 100));
    std::string bar(1, '[');
    bar.append(std::size_t(full), '#').append(std::size_t(width - full), '.').append("] ").append(pct);
    return bar;
}

void Progress::Erase() {
    if (drawn_ > 0) console_.RewindLines(drawn_);
    drawn_ = 0;
}

void Progress::Draw(bool force) {
    if (!bars_ || fileName_.empty()) return;
    const unsigned long now = console_.Ticks();
    if (!force && drawn_ > 0 && now - lastDraw_ < 100) return;
    lastDraw_ = now;
    int columns = console_.Columns();
    if (columns <= 0) columns = 80;
    const int bar = std::clamp(columns - 50, 10, 40);
    // The name fits in what the bar leaves of the line; long ones keep their end.
    const int room = std::max(columns - bar - 10, 12);
    std::string name = fileName_;
    if (int(name.size()) > room) name = "..." + name.substr(name.size() - std::size_t(room - 3));
    name.resize(std::size_t(room), ' ');
    char label[64];
    std::snprintf(label, sizeof label, "%d/%d  %s/s", fileIndex_, files_, SizeText(std::int64_t(Rate())).c_str());
    std::string total = label;
    if (int(total.size()) > room) total = total.substr(0, std::size_t(room));
    total.resize(std::size_t(room), ' ');
    const std::string text = name + " " + Bar(fileSize_ > 0 ? double(current_) / double(fileSize_) : 1.0, bar) +
                             "\n" + total + " " + Bar(total_ > 0 ? double(TotalDone()) / double(total_) : 1.0, bar) +
                             "\n";
    Erase();
    console_.Out(text);
    drawn_ = 2;
}

}  // namespace zarc
