// Drawing forms and message boxes as text.
#include <algorithm>
#include <cmath>

#include "framework/bitmap.h"
#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/ui/host/terminal.h"

namespace ui {

namespace {

constexpr int kCellW = 7;   // pixels per column
constexpr int kCellH = 14;  // pixels per row

int Col(int x) { return (x + kCellW / 2) / kCellW; }
int Row(int y) { return (y + kCellH / 2) / kCellH; }
int Cols(int w) { return std::max(1, (w + kCellW / 2) / kCellW); }
int Rows(int h) { return std::max(1, (h + kCellH / 2) / kCellH); }

struct Rect {
    int x0, y0, x1, y1;  // cells, x1/y1 exclusive
    Rect Intersect(const Rect& o) const {
        return {std::max(x0, o.x0), std::max(y0, o.y0), std::min(x1, o.x1), std::min(y1, o.y1)};
    }
};

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), rows_(std::size_t(h), std::string(std::size_t(w), ' ')),
                           attrs_(std::size_t(h), std::string(std::size_t(w), ' ')), clip_{0, 0, w, h} {}
    void SetClip(Rect r) { clip_ = r.Intersect({0, 0, w_, h_}); }
    Rect Clip() const { return clip_; }
    void Put(int x, int y, char c, char attr = ' ') {
        if (x < clip_.x0 || x >= clip_.x1 || y < clip_.y0 || y >= clip_.y1) return;
        rows_[std::size_t(y)][std::size_t(x)] = c;
        attrs_[std::size_t(y)][std::size_t(x)] = attr;
    }
    void Text(int x, int y, const std::string& s, char attr = ' ') {
        for (std::size_t i = 0; i < s.size(); ++i) Put(x + int(i), y, s[i], attr);
    }
    // A caption with its '&' accelerator underlined.
    void Caption(int x, int y, const std::string& caption, char attr = ' ') {
        int col = x;
        for (std::size_t i = 0; i < caption.size(); ++i) {
            if (caption[i] == '&' && i + 1 < caption.size()) {
                ++i;
                Put(col++, y, caption[i], caption[i] == '&' ? attr : (attr == ' ' ? 'u' : attr));
                continue;
            }
            Put(col++, y, caption[i], attr);
        }
    }
    void Fill(Rect r, char c = ' ') {
        for (int y = r.y0; y < r.y1; ++y)
            for (int x = r.x0; x < r.x1; ++x) Put(x, y, c);
    }
    void Frame(Rect r, char attr = ' ') {
        if (r.x1 - r.x0 < 2 || r.y1 - r.y0 < 1) return;
        for (int x = r.x0; x < r.x1; ++x) {
            Put(x, r.y0, '-', attr);
            if (r.y1 - r.y0 > 1) Put(x, r.y1 - 1, '-', attr);
        }
        for (int y = r.y0; y < r.y1; ++y) {
            Put(r.x0, y, y == r.y0 || y == r.y1 - 1 ? '+' : '|', attr);
            Put(r.x1 - 1, y, y == r.y0 || y == r.y1 - 1 ? '+' : '|', attr);
        }
    }
    TTextScreen Done() const { return {rows_, attrs_}; }
    int W() const { return w_; }
    int H() const { return h_; }

private:
    int w_, h_;
    std::vector<std::string> rows_, attrs_;
    Rect clip_;
};

std::vector<std::string> SplitLines(const std::string& s) {
    std::vector<std::string> out(1);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
            out.emplace_back();
        } else {
            out.back() += s[i];
        }
    }
    return out;
}

std::vector<std::string> Wrap(const std::string& text, int width) {
    std::vector<std::string> out;
    width = std::max(1, width);
    for (const std::string& para : SplitLines(text)) {
        std::string line;
        std::size_t i = 0;
        if (para.empty()) out.emplace_back();
        while (i < para.size()) {
            std::size_t j = para.find(' ', i);
            std::string word = para.substr(i, j == std::string::npos ? std::string::npos : j - i);
            i = j == std::string::npos ? para.size() : j + 1;
            while (int(word.size()) > width) {
                if (!line.empty()) {
                    out.push_back(line);
                    line.clear();
                }
                out.push_back(word.substr(0, std::size_t(width)));
                word = word.substr(std::size_t(width));
            }
            if (line.empty()) line = word;
            else if (int(line.size() + 1 + word.size()) <= width) line += " " + word;
            else {
                out.push_back(line);
                line = word;
            }
        }
        if (!line.empty()) out.push_back(line);
    }
    return out;
}

std::string Fit(const std::string& s, int width) {
    if (width <= 0) return "";
    if (int(s.size()) > width) return s.substr(0, std::size_t(width));
    return s + std::string(std::size_t(width - int(s.size())), ' ');
}

std::string Center(const std::string& s, int width) {
    if (int(s.size()) >= width) return s.substr(0, std::size_t(std::max(0, width)));
    int left = (width - int(s.size())) / 2;
    return std::string(std::size_t(left), ' ') + s + std::string(std::size_t(width - left - int(s.size())), ' ');
}

bool IsFocused(TControl* c) {
    auto* w = dynamic_cast<TWinControl*>(c);
    TCustomForm* f = c->ParentForm();
    return w && f && f->ActiveControl() == w && w->CanReceiveInput();
}

void DrawControl(Canvas& cv, TControl* c, int ox, int oy, Rect clip);

void DrawChildren(Canvas& cv, TWinControl* w, int ox, int oy, Rect clip) {
    // Controls without a window lie under the windowed ones, as on Windows.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i < w->ControlCount(); ++i) {
            TControl* c = w->Controls(i);
            if (c->IsWindowed() == (pass == 1) && c->Visible()) DrawControl(cv, c, ox, oy, clip);
        }
}

char StateAttr(TControl* c) {
    if (IsFocused(c)) return 'r';
    bool enabled = true;
    for (TControl* p = c; p; p = p->Parent()) enabled &= p->Enabled();
    return enabled ? ' ' : 'd';
}

void DrawLabelText(Canvas& cv, TLabel* l, Rect r) {
    std::string text = l->ShowAccelChar() ? l->Caption() : l->Caption();
    int width = l->WordWrap() ? r.x1 - r.x0 : 1000;
    std::vector<std::string> lines = l->WordWrap() ? Wrap(StripAccelerator(text), width) : SplitLines(text);
    int rows = l->WordWrap() ? std::max(1, r.y1 - r.y0) : int(lines.size());
    char attr = l->Enabled() ? ' ' : 'd';
    for (int i = 0; i < int(lines.size()) && i < rows; ++i) {
        int x = r.x0;
        std::string shown = l->WordWrap() ? lines[std::size_t(i)] : StripAccelerator(lines[std::size_t(i)]);
        if (l->Alignment() == TAlignment::taCenter) x = r.x0 + (r.x1 - r.x0 - int(shown.size())) / 2;
        if (l->Alignment() == TAlignment::taRightJustify) x = r.x1 - int(shown.size());
        if (l->WordWrap()) cv.Text(x, r.y0 + i, shown, attr);
        else cv.Caption(x, r.y0 + i, lines[std::size_t(i)], attr);
    }
}

void DrawImage(Canvas& cv, TImage* img, Rect r) {
    const TBitmap* bmp = img->Picture()->Bitmap();
    cv.Fill(r);
    if (bmp->Empty()) {
        cv.Frame(r);
        return;
    }
    static const char ramp[] = " .:-=+*#%@";
    int cw = r.x1 - r.x0, ch = r.y1 - r.y0;
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            int px, py;
            if (img->Stretch()) {
                px = (2 * x + 1) * bmp->Width() / (2 * cw);
                py = (2 * y + 1) * bmp->Height() / (2 * ch);
            } else {
                px = x * kCellW + kCellW / 2;
                py = y * kCellH + kCellH / 2;
            }
            if (px >= bmp->Width() || py >= bmp->Height()) continue;
            std::uint32_t rgb = bmp->PixelRGB(px, py);
            double lum = 0.299 * ((rgb >> 16) & 255) + 0.587 * ((rgb >> 8) & 255) + 0.114 * (rgb & 255);
            // Dark pixels get dense characters.
            int idx = 9 - int(lum * 9.999 / 255.0);
            cv.Put(r.x0 + x, r.y0 + y, ramp[std::clamp(idx, 0, 9)]);
        }
}

void DrawControl(Canvas& cv, TControl* c, int ox, int oy, Rect clip) {
    int x = ox + Col(c->Left()), y = oy + Row(c->Top());
    int w = Cols(c->Width()), h = Rows(c->Height());
    Rect r{x, y, x + w, y + h};
    char attr = StateAttr(c);

    if (auto* l = dynamic_cast<TLabel*>(c)) {
        // An auto-sized label runs on to the edge of its parent.
        Rect lr = r;
        if (!l->WordWrap()) lr.x1 = clip.x1;
        else lr.y1 = std::max(r.y1, r.y0 + 1);
        cv.SetClip(clip.Intersect(l->WordWrap() ? Rect{lr.x0, lr.y0, lr.x1, lr.y1} : lr));
        DrawLabelText(cv, l, lr);
        return;
    }
    cv.SetClip(clip);
    if (auto* b = dynamic_cast<TBevel*>(c)) {
        switch (b->Shape()) {
            case TBevelShape::bsBox:
            case TBevelShape::bsFrame: cv.Frame(r); break;
            case TBevelShape::bsTopLine: cv.Text(r.x0, r.y0, std::string(std::size_t(w), '-')); break;
            case TBevelShape::bsBottomLine: cv.Text(r.x0, r.y1 - 1, std::string(std::size_t(w), '-')); break;
            case TBevelShape::bsLeftLine:
                for (int yy = r.y0; yy < r.y1; ++yy) cv.Put(r.x0, yy, '|');
                break;
            case TBevelShape::bsRightLine:
                for (int yy = r.y0; yy < r.y1; ++yy) cv.Put(r.x1 - 1, yy, '|');
                break;
            case TBevelShape::bsSpacer: break;
        }
        return;
    }
    if (auto* img = dynamic_cast<TImage*>(c)) {
        DrawImage(cv, img, r);
        return;
    }
    if (auto* btn = dynamic_cast<TButton*>(c)) {
        std::string open = attr == 'r' ? "{" : (attr == 'd' ? "(" : "[");
        std::string close = attr == 'r' ? "}" : (attr == 'd' ? ")" : "]");
        int inner = std::max(0, w - 2);
        std::string shown = StripAccelerator(btn->Caption());
        int pad = std::max(0, (inner - int(shown.size())) / 2);
        cv.Fill({r.x0, r.y0, r.x1, r.y0 + 1});
        cv.Text(r.x0, r.y0, open, attr);
        // Keep the accelerator mark for underlining.
        cv.Caption(r.x0 + 1 + pad, r.y0, btn->Caption(), attr);
        cv.Text(r.x0 + std::max(1, w - 1), r.y0, close, attr);
        return;
    }
    if (auto* cb = dynamic_cast<TCheckBox*>(c)) {
        cv.Fill({r.x0, r.y0, r.x1, r.y0 + 1});
        cv.Text(r.x0, r.y0, cb->Checked() ? "[x]" : "[ ]", attr);
        cv.Caption(r.x0 + 4, r.y0, cb->Caption(), attr);
        return;
    }
    if (auto* memo = dynamic_cast<TMemo*>(c)) {
        cv.Fill(r);
        cv.Frame(r, attr == 'r' ? 'r' : ' ');
        for (int i = 0; i < memo->Lines()->Count() && i < h - 2; ++i)
            cv.Text(r.x0 + 1, r.y0 + 1 + i, Fit(memo->Lines()->Get(i), w - 2));
        return;
    }
    if (auto* edit = dynamic_cast<TCustomEdit*>(c)) {
        int inner = std::max(0, w - 2);
        std::string t = edit->PasswordChar() ? std::string(edit->Text().size(), edit->PasswordChar()) : edit->Text();
        if (attr == 'r') t += '_';  // the caret
        if (int(t.size()) > inner) t = t.substr(t.size() - std::size_t(inner));
        std::string open = attr == 'r' ? "{" : (attr == 'd' ? "(" : "[");
        std::string close = attr == 'r' ? "}" : (attr == 'd' ? ")" : "]");
        cv.Text(r.x0, r.y0, open + Fit(t, inner) + close, attr);
        return;
    }
    if (auto* pb = dynamic_cast<TProgressBar*>(c)) {
        int pct = pb->Percent();
        std::string tail = " " + std::to_string(pct) + "%";
        int inner = std::max(1, w - 2 - 5);
        int filled = int(std::lround(double(pct) * inner / 100.0));
        std::string bar = "[" + std::string(std::size_t(filled), '#') + std::string(std::size_t(inner - filled), '.') + "]";
        cv.Text(r.x0, r.y0, Fit(bar + tail, w + 3));
        return;
    }
    if (auto* sb = dynamic_cast<TScrollBar*>(c)) {
        int inner = std::max(1, w - 2);
        int span = std::max(1, sb->Max() - sb->Min());
        int at = (sb->Position() - sb->Min()) * (inner - 1) / span;
        std::string s = "<" + std::string(std::size_t(inner), '=') + ">";
        s[std::size_t(1 + at)] = '#';
        cv.Text(r.x0, r.y0, s, attr);
        return;
    }
    if (auto* g = dynamic_cast<TGroupBox*>(c)) {
        cv.Fill(r);
        cv.Frame(r);
        if (!g->Caption().empty()) cv.Caption(r.x0 + 2, r.y0, " " + g->Caption() + " ", attr == 'r' ? 'r' : ' ');
        if (auto* rg = dynamic_cast<TRadioGroup*>(c)) {
            int cols = std::max(1, rg->Columns());
            int n = rg->Items()->Count();
            int perCol = (n + cols - 1) / std::max(1, cols);
            int colW = std::max(1, (w - 2) / cols);
            for (int i = 0; i < n; ++i) {
                int cx = r.x0 + 2 + (i / std::max(1, perCol)) * colW;
                int cy = r.y0 + 1 + (i % std::max(1, perCol));
                cv.Text(cx, cy, std::string(i == rg->ItemIndex() ? "(*) " : "( ) ") + StripAccelerator(rg->Items()->Get(i)));
            }
        }
        DrawChildren(cv, g, x, y, clip.Intersect({r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1}));
        return;
    }
    if (auto* p = dynamic_cast<TPanel*>(c)) {
        cv.Fill(r);
        bool framed = p->BevelOuter() != TPanelBevel::bvNone || p->BevelInner() != TPanelBevel::bvNone ||
                      p->BorderStyle() == TBorderStyle::bsSingle;
        if (framed) cv.Frame(r);
        if (!p->Caption().empty()) cv.Text(r.x0, r.y0 + h / 2, Center(StripAccelerator(p->Caption()), w));
        Rect inner = framed ? Rect{r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1} : r;
        DrawChildren(cv, p, x, y, clip.Intersect(inner));
        return;
    }
    if (auto* pc = dynamic_cast<TPageControl*>(c)) {
        cv.Fill(r);
        cv.Frame({r.x0, r.y0 + 1, r.x1, r.y1});
        int tx = r.x0 + 1;
        for (int i = 0; i < pc->PageCount(); ++i) {
            TTabSheet* s = pc->Pages(i);
            if (!s->TabVisible()) continue;
            std::string tab = s == pc->ActivePage() ? "[" + StripAccelerator(s->Caption()) + "]"
                                                    : " " + StripAccelerator(s->Caption()) + " ";
            cv.Text(tx, r.y0, tab, s == pc->ActivePage() && attr == 'r' ? 'r' : ' ');
            tx += int(tab.size()) + 1;
        }
        DrawChildren(cv, pc, x, y + 2, clip.Intersect({r.x0 + 1, r.y0 + 2, r.x1 - 1, r.y1 - 1}));
        return;
    }
    if (auto* w2 = dynamic_cast<TWinControl*>(c)) {
        cv.Fill(r);
        DrawChildren(cv, w2, x, y, clip.Intersect(r));
    }
}

void DrawBox(Canvas& cv, const TMessageBoxRequest& box, int focus) {
    std::string icon;
    switch (box.type) {
        case TMsgDlgType::mtWarning: icon = "(!) "; break;
        case TMsgDlgType::mtError: icon = "(X) "; break;
        case TMsgDlgType::mtInformation: icon = "(i) "; break;
        case TMsgDlgType::mtConfirmation: icon = "(?) "; break;
        case TMsgDlgType::mtCustom: break;
    }
    auto buttons = ButtonsInOrder(box.buttons);
    std::string row;
    std::vector<std::pair<int, TMsgDlgBtn>> at;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (!row.empty()) row += "  ";
        at.emplace_back(int(row.size()), buttons[i]);
        std::string cap = StripAccelerator(ButtonCaption(buttons[i]));
        row += (int(i) == focus ? "{ " : "[ ") + cap + (int(i) == focus ? " }" : " ]");
    }
    int maxText = std::max(20, cv.W() - 8);
    std::vector<std::string> lines = Wrap(icon + box.text, maxText - int(icon.size()));
    int width = int(row.size());
    for (auto& l : lines) width = std::max(width, int(l.size()));
    width = std::max(width, int(box.caption.size()) + 4);
    width = std::min(width + 4, cv.W());
    int height = int(lines.size()) + 5;
    int x0 = std::max(0, (cv.W() - width) / 2), y0 = std::max(0, (cv.H() - height) / 2);
    Rect r{x0, y0, x0 + width, y0 + height};
    cv.SetClip({0, 0, cv.W(), cv.H()});
    cv.Fill(r);
    cv.Frame(r);
    cv.Text(x0 + 2, y0, " " + box.caption + " ", 'b');
    for (std::size_t i = 0; i < lines.size(); ++i) cv.Text(x0 + 2, y0 + 2 + int(i), lines[i]);
    int bx = x0 + (width - int(row.size())) / 2;
    int by = y0 + height - 2;
    for (std::size_t i = 0; i < at.size(); ++i) {
        std::string cap = StripAccelerator(ButtonCaption(at[i].second));
        std::string one = (int(i) == focus ? "{ " : "[ ") + cap + (int(i) == focus ? " }" : " ]");
        cv.Text(bx + at[i].first, by, one, int(i) == focus ? 'r' : ' ');
    }
}

}  // namespace

std::string TTextScreen::Text() const {
    std::string out;
    for (const auto& r : rows) {
        std::string line = r;
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + "\n";
    }
    return out;
}

TTextScreen RenderForm(TForm* form, const TMessageBoxRequest* box, int boxFocus) {
    int cols = Cols(form->ClientWidth()), rows = Rows(form->ClientHeight());
    Canvas cv(cols + 2, rows + 2);
    cv.Frame({0, 0, cols + 2, rows + 2});
    std::string title = " " + form->Caption() + " ";
    bool closeBox = form->BorderIcons().Contains(TBorderIcon::biSystemMenu);
    int room = cols - (closeBox ? 4 : 0) - 1;
    if (int(title.size()) > room) title = title.substr(0, std::size_t(std::max(0, room)));
    cv.Text(2, 0, title, 'b');
    if (closeBox) cv.Text(cols - 2, 0, "[X]");
    DrawChildren(cv, form, 1, 1, {1, 1, cols + 1, rows + 1});
    if (box) DrawBox(cv, *box, boxFocus);
    return cv.Done();
}

TTextScreen RenderBox(const TMessageBoxRequest& box, int boxFocus) {
    Canvas cv(80, 12);
    DrawBox(cv, box, boxFocus);
    return cv.Done();
}

}  // namespace ui
