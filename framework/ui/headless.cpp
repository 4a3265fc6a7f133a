#include "framework/ui/headless.h"

#include <algorithm>

#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "framework/ui/input.h"

namespace ui {

THeadlessBackend& UseHeadlessBackend() {
    auto b = std::make_unique<THeadlessBackend>();
    THeadlessBackend& ref = *b;
    SetBackend(std::move(b));
    return ref;
}

THeadlessBackend::THeadlessBackend() = default;
THeadlessBackend::~THeadlessBackend() = default;

std::string THeadlessBackend::KeyOf(const TControl* c) {
    TCustomForm* f = c->ParentForm();
    if (!f || f == c) return c->Name();
    return f->Name() + "." + c->Name();
}

TControl* THeadlessBackend::Find(const std::string& what) const { return FindControl(what); }

bool THeadlessBackend::Click(const std::string& nameOrCaption) { return Click(Find(nameOrCaption)); }

bool THeadlessBackend::Click(TControl* c) {
    if (!c || !c->CanReceiveInput()) return false;
    log_.push_back("click " + KeyOf(c));
    return ClickControl(c);
}

bool THeadlessBackend::Type(const std::string& editName, const std::string& text) {
    auto* e = dynamic_cast<TCustomEdit*>(Find(editName));
    if (!e || !e->CanReceiveInput() || e->ReadOnly()) return false;
    e->SetFocus();
    for (char ch : text) {
        bool ok = true;
        DispatchInput([&] { ok = e->TypeChar(ch); });
        if (!ok) return false;
    }
    return true;
}

bool THeadlessBackend::Retype(const std::string& editName, const std::string& text) {
    auto* e = dynamic_cast<TCustomEdit*>(Find(editName));
    if (!e || !e->CanReceiveInput() || e->ReadOnly()) return false;
    if (!e->Text().empty()) DispatchInput([e] { e->SetText(""); });
    return Type(editName, text);
}

bool THeadlessBackend::Backspace(const std::string& editName, int count) {
    auto* e = dynamic_cast<TCustomEdit*>(Find(editName));
    if (!e || !e->CanReceiveInput() || e->ReadOnly()) return false;
    for (int i = 0; i < count; ++i) {
        bool ok = true;
        DispatchInput([&] { ok = e->Backspace(); });
        if (!ok) return false;
    }
    return true;
}

bool THeadlessBackend::Key(const std::string& key) {
    log_.push_back("key " + key);
    return PressKey(key);
}

bool THeadlessBackend::SelectItem(const std::string& name, int index) {
    auto* g = dynamic_cast<TRadioGroup*>(Find(name));
    if (!g || !g->CanReceiveInput() || index < 0 || index >= g->Items()->Count()) return false;
    DispatchInput([&] { g->SetItemIndex(index); });
    return true;
}

bool THeadlessBackend::Check(const std::string& name, bool checked) {
    auto* c = dynamic_cast<TCheckBox*>(Find(name));
    if (!c || !c->CanReceiveInput()) return false;
    if (c->Checked() == checked) return true;
    return Click(c);
}

bool THeadlessBackend::Checked(const std::string& name) const {
    auto* c = dynamic_cast<TCheckBox*>(Find(name));
    return c && c->Checked();
}

bool THeadlessBackend::CloseCommand(TForm* form) {
    log_.push_back("close " + (form ? form->Name() : std::string("?")));
    if (ui::CloseCommand(form)) return true;
    log_.pop_back();
    return false;
}

bool THeadlessBackend::CloseCommand(const std::string& formName) {
    return CloseCommand(dynamic_cast<TForm*>(Find(formName)));
}

void THeadlessBackend::QueueAnswer(TModalResult answer) { answers_.push_back(answer); }
void THeadlessBackend::QueueOpenDialog(const std::string& fileName) { openAnswers_.emplace_back(fileName); }
void THeadlessBackend::QueueOpenDialogCancel() { openAnswers_.emplace_back(std::nullopt); }

void THeadlessBackend::AtProcessMessages(int n, TAction action) {
    atProcess_.emplace(processCalls_ + std::max(1, n), std::move(action));
}
void THeadlessBackend::WhenIdle(TAction action) { idle_.push_back(std::move(action)); }
void THeadlessBackend::AfterTimer(const std::string& timerName, TAction action) {
    afterTimer_.emplace(UpperCase(timerName), std::move(action));
}

namespace {
bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && SameText(s.substr(s.size() - tail.size()), tail);
}

template <typename T>
std::vector<T> Lookup(const std::map<std::string, std::vector<T>>& m, const std::string& name) {
    std::vector<T> out;
    for (const auto& [k, v] : m)
        if (SameText(k, name) || EndsWith(k, "." + name)) out.insert(out.end(), v.begin(), v.end());
    return out;
}
}  // namespace

std::vector<int> THeadlessBackend::ProgressHistory(const std::string& name) const { return Lookup(progress_, name); }
std::vector<std::string> THeadlessBackend::TextHistory(const std::string& name) const {
    return Lookup(texts_, name);
}

std::vector<std::string> THeadlessBackend::ShownForms() const {
    std::vector<std::string> out;
    for (const auto& l : log_)
        if (l.rfind("show ", 0) == 0) out.push_back(l.substr(5));
    return out;
}

void THeadlessBackend::FormShown(TForm* form) { log_.push_back("show " + form->Name()); }
void THeadlessBackend::FormHidden(TForm* form) { log_.push_back("hide " + form->Name()); }
void THeadlessBackend::ModalStarted(TForm* form) { log_.push_back("modal " + form->Name()); }
void THeadlessBackend::ModalEnded(TForm* form) { log_.push_back("end-modal " + form->Name()); }

void THeadlessBackend::ControlChanged(TControl* c, TControlChange what) {
    if (auto* p = dynamic_cast<TProgressBar*>(c); p && what == TControlChange::Value) {
        auto& v = progress_[KeyOf(c)];
        if (v.empty() || v.back() != p->Position()) v.push_back(p->Position());
    } else if (what == TControlChange::Text && !dynamic_cast<TMemo*>(c)) {
        auto& v = texts_[KeyOf(c)];
        if (v.empty() || v.back() != c->Text()) v.push_back(c->Text());
    }
}

TModalResult THeadlessBackend::MessageBox(const TMessageBoxRequest& request) {
    TShownBox box;
    box.request = request;
    log_.push_back("box " + request.caption + ": " + request.text);
    if (OnBox) OnBox(request);
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
        box.scripted = true;
        bool offered = false;
        for (TMsgDlgBtn b : ButtonsInOrder(request.buttons)) offered |= ModalResultOf(b) == box.answer;
        if (!offered)
            throw EUiFatal("headless: the queued answer is not a button of the box \"" + request.text + "\"");
    } else {
        if (StrictBoxes) throw EUiFatal("headless: no answer queued for the box \"" + request.text + "\"");
        box.answer = ModalResultOf(request.defaultButton);
    }
    boxes_.push_back(box);
    return box.answer;
}

bool THeadlessBackend::ExecuteOpenDialog(TOpenDialog* d) {
    TShownOpenDialog rec;
    rec.title = d->Title();
    rec.filter = d->Filter();
    rec.initialDir = d->InitialDir();
    rec.fileName = d->FileName();
    rec.options = d->Options();
    log_.push_back("open-dialog " + d->Title());
    if (!openAnswers_.empty() && openAnswers_.front()) {
        d->SetFileName(*openAnswers_.front());
        rec.accepted = true;
    }
    if (!openAnswers_.empty()) openAnswers_.pop_front();
    openDialogs_.push_back(rec);
    return rec.accepted;
}

void THeadlessBackend::TimerChanged(TTimer* timer) { due_.erase(timer); }

void THeadlessBackend::ProcessMessages() {
    ++processCalls_;
    auto range = atProcess_.equal_range(processCalls_);
    std::vector<TAction> run;
    for (auto it = range.first; it != range.second; ++it) run.push_back(std::move(it->second));
    atProcess_.erase(range.first, range.second);
    for (auto& a : run) DispatchInput(a);
}

void THeadlessBackend::SyncTimers() {
    const auto& all = AllTimers();
    for (auto it = due_.begin(); it != due_.end();) {
        bool alive = std::find(all.begin(), all.end(), it->first) != all.end();
        if (!alive || !it->first->Active()) it = due_.erase(it);
        else ++it;
    }
    for (TTimer* t : all)
        if (t->Active() && !due_.count(t)) due_[t] = now_ + t->Interval();
}

void THeadlessBackend::WaitMessage() {
    if (++waits_ > MaxWaits) throw EUiFatal("headless: the message loop does not come to an end");
    if (!idle_.empty()) {
        TAction a = std::move(idle_.front());
        idle_.pop_front();
        DispatchInput(a);
        return;
    }
    SyncTimers();
    if (due_.empty())
        throw EUiFatal("headless: a message loop waits for input, but no input is scheduled and no timer runs");
    // Timers in creation order break ties.
    TTimer* next = nullptr;
    double when = 0;
    for (TTimer* t : AllTimers()) {
        auto it = due_.find(t);
        if (it != due_.end() && (!next || it->second < when)) {
            next = t;
            when = it->second;
        }
    }
    now_ = std::max(now_, when);
    due_[next] = now_ + next->Interval();
    std::string name = next->Owner() ? next->Owner()->Name() + "." + next->Name() : next->Name();
    log_.push_back("timer " + name);
    DispatchInput([next] { next->Timer(); });
    auto range = afterTimer_.equal_range(UpperCase(next->Name()));
    std::vector<TAction> run;
    for (auto it = range.first; it != range.second; ++it) run.push_back(std::move(it->second));
    afterTimer_.erase(range.first, range.second);
    for (auto& a : run) DispatchInput(a);
}

}  // namespace ui
