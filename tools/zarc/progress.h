// Progress of a zarc run: on a terminal a bar for the current file and one for the whole
// run with the rate, redrawn in place below the lines already written; otherwise plain
// lines only. Nothing but errors with --quiet.
#pragma once
#include <cstdint>
#include <string>

#include "tools/zarc/zarc.h"

namespace zarc {

// "12.3 MB"
std::string SizeText(std::int64_t bytes);

class Progress {
public:
    Progress(Console& console, bool quiet);
    ~Progress();

    // A run over `files` files of `totalBytes` bytes starts.
    void Begin(std::int64_t totalBytes, int files);
    void StartFile(const std::string& name, std::int64_t size);
    // Bytes of the current file done so far (redrawn at most ten times a second).
    void Update(std::int64_t done);
    // The current file is over: its bytes count as done.
    void EndFile();
    // A line that stays (written above the bars); with `always` also under --quiet.
    void Line(const std::string& text, bool always = false);
    // Takes the bars off the screen until the next update (before a question).
    void Pause();
    // Removes the bars for good.
    void End();

    std::int64_t TotalDone() const { return finished_ + current_; }
    double Seconds() const;
    // Bytes a second over the run so far.
    double Rate() const;
    bool Quiet() const { return quiet_; }

private:
    void Draw(bool force);
    void Erase();
    std::string Bar(double fraction, int width) const;

    Console& console_;
    bool quiet_;
    bool bars_;
    int drawn_ = 0;  // bar lines on the screen
    unsigned long start_ = 0, lastDraw_ = 0;
    std::int64_t total_ = 0, finished_ = 0, current_ = 0, fileSize_ = 0;
    int files_ = 0, fileIndex_ = 0;
    std::string fileName_;
};

}  // namespace zarc
