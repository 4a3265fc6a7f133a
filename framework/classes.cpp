#include "framework/classes.h"

#include <algorithm>
#include <cctype>

#include "framework/streams.h"

// ---------------------------------------------------------------------------------------
// TPersistent

ZARN_DEFINE_CLASS(TPersistent, TObject, [](auto&) {})

void TPersistent::Assign(TPersistent* source) {
    if (source) {
        source->AssignTo(this);
        return;
    }
    throw EConvertError(Format("Cannot assign a %s to a %s", {std::string("nil"), ClassName()}));
}

void TPersistent::AssignTo(TPersistent* dest) {
    // "Cannot assign a <source class> to a <destination class>"; a nil source reads "nil".
    std::string src = ClassName();
    std::string dst = dest ? dest->ClassName() : std::string("nil");
    throw EConvertError(Format("Cannot assign a %s to a %s", {src, dst}));
}

// ---------------------------------------------------------------------------------------
// TComponent

ZARN_DEFINE_CLASS(TComponent, TPersistent, [](TClassBuilder<TComponent>& b) {
    b.Str("Name", &TComponent::Name, &TComponent::SetName).Int("Tag", &TComponent::Tag, &TComponent::SetTag);
})

bool IsValidIdent(const std::string& s) {
    if (s.empty()) return false;
    auto first = [](unsigned char c) { return std::isalpha(c) || c == '_'; };
    if (!first((unsigned char)s[0])) return false;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_')) return false;
    return true;
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    state_.Include(TComponentStateItem::csDestroying);
    // Tell everyone who asked about this component's destruction.
    while (!freeNotifies_.empty()) {
        TComponent* c = freeNotifies_.back();
        freeNotifies_.pop_back();
        auto& theirs = c->freeNotifies_;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        c->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + name + "' is not a valid component name");
    if (!name.empty() && owner_) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError(Format("A component named %s already exists", {name}));
    }
    name_ = name;
}

void TComponent::SetDesigning(bool designing, bool includeOwned) {
    SetDesigningState(designing);
    if (includeOwned)
        for (TComponent* c : components_) c->SetDesigning(designing, true);
}

void TComponent::SetDesigningState(bool d) {
    if (d)
        state_.Include(TComponentStateItem::csDesigning);
    else
        state_.Exclude(TComponentStateItem::csDesigning);
}

void TComponent::BeginLoading() {
    state_.Include(TComponentStateItem::csLoading);
    state_.Include(TComponentStateItem::csReading);
}

void TComponent::Loaded() {
    state_.Exclude(TComponentStateItem::csLoading);
    state_.Exclude(TComponentStateItem::csReading);
}

TComponent* TComponent::Components(int i) const {
    if (i < 0 || i >= int(components_.size())) throw EListError(Format("List index out of bounds (%d)", {i}));
    return components_[std::size_t(i)];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameText(c->name_, name)) return c;
    return nullptr;
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    auto& v = owner_->components_;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TComponent::InsertComponent(TComponent* c) {
    if (!c->name_.empty() && FindComponent(c->name_))
        throw EComponentError(Format("A component named %s already exists", {c->name_}));
    if (c->owner_) c->owner_->RemoveComponent(c);
    components_.push_back(c);
    c->owner_ = this;
    if (IsDesigning()) c->SetDesigning(true);
    // Everyone already owned learns of the newcomer, and the owner itself.
    for (TComponent* other : std::vector<TComponent*>(components_))
        if (other != c) other->Notification(c, TOperation::opInsert);
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it == components_.end()) return;
    components_.erase(it);
    c->owner_ = nullptr;
    Notification(c, TOperation::opRemove);
    for (TComponent* other : std::vector<TComponent*>(components_)) other->Notification(c, TOperation::opRemove);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        delete c;  // its destructor removes it from this list
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {}

void TComponent::FreeNotification(TComponent* c) {
    if (!c || c == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end()) freeNotifies_.push_back(c);
    if (std::find(c->freeNotifies_.begin(), c->freeNotifies_.end(), this) == c->freeNotifies_.end())
        c->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* c) {
    if (!c) return;
    freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), c), freeNotifies_.end());
    c->freeNotifies_.erase(std::remove(c->freeNotifies_.begin(), c->freeNotifies_.end(), this), c->freeNotifies_.end());
}

ZARN_DEFINE_CLASS(TList, TObject, [](auto&) {})

// ---------------------------------------------------------------------------------------
// TStrings

ZARN_DEFINE_CLASS(TStrings, TPersistent, [](auto&) {})

void TStrings::Error(const std::string& msg, int index) const { throw EStringListError(Format(msg, {index})); }

void TStrings::Put(int index, const std::string& s) {
    TObject* obj = GetObject(index);
    Delete(index);
    InsertObject(index, s, obj);
}

int TStrings::Add(const std::string& s) {
    int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const std::string& s, TObject* obj) {
    int index = Add(s);
    PutObject(index, obj);
    return index;
}

void TStrings::AddStrings(TStrings* strings) {
    BeginUpdate();
    try {
        for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::InsertObject(int index, const std::string& s, TObject* obj) {
    Insert(index, s);
    PutObject(index, obj);
}

void TStrings::Move(int curIndex, int newIndex) {
    if (curIndex == newIndex) return;
    BeginUpdate();
    try {
        std::string s = Get(curIndex);
        TObject* obj = GetObject(curIndex);
        Delete(curIndex);
        InsertObject(newIndex, s, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Exchange(int index1, int index2) {
    BeginUpdate();
    try {
        std::string s = Get(index1);
        TObject* obj = GetObject(index1);
        Put(index1, Get(index2));
        PutObject(index1, GetObject(index2));
        Put(index2, s);
        PutObject(index2, obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(TPersistent* source) {
    if (auto* src = dynamic_cast<TStrings*>(source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            Clear();
            AddStrings(src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(source);
}

void TStrings::LoadFromStream(TStream* stream) {
    BeginUpdate();
    try {
        std::int64_t size = stream->Size() - stream->Position();
        std::string buf(std::size_t(size < 0 ? 0 : size), '\0');
        if (!buf.empty()) stream->ReadBuffer(buf.data(), std::int32_t(buf.size()));
        SetText(buf);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::LoadFromFile(const std::string& fileName) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TStrings::SetText(const std::string& text) {
    BeginUpdate();
    try {
        Clear();
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t e = i;
            while (e < text.size() && text[e] != '\r' && text[e] != '\n') ++e;
            Add(text.substr(i, e - i));
            if (e < text.size() && text[e] == '\r') ++e;
            if (e < text.size() && text[e] == '\n') ++e;
            i = e;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SaveToStream(TStream* stream) const {
    std::string t = Text();
    if (!t.empty()) stream->WriteBuffer(t.data(), std::int32_t(t.size()));
}

void TStrings::SaveToFile(const std::string& fileName) const {
    TFileStream stream(fileName, fmCreate);
    SaveToStream(&stream);
}

std::string TStrings::Text() const {
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

int TStrings::IndexOf(const std::string& s) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), s)) return i;
    return -1;
}

int TStrings::IndexOfObject(TObject* obj) const {
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == obj) return i;
    return -1;
}

std::vector<std::string> TStrings::ToVector() const {
    std::vector<std::string> v;
    for (int i = 0; i < Count(); ++i) v.push_back(Get(i));
    return v;
}

void TStrings::BeginUpdate() {
    if (updateCount_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
    if (--updateCount_ == 0) SetUpdateState(false);
}

// ---------------------------------------------------------------------------------------
// TStringList

ZARN_DEFINE_CLASS(TStringList, TStrings, [](auto&) {})

TStringList::~TStringList() {
    OnChange = nullptr;
    OnChanging = nullptr;
    if (ownsObjects_)
        for (auto& it : items_) delete it.obj;
}

std::string TStringList::Get(int index) const {
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    return items_[std::size_t(index)].s;
}

TObject* TStringList::GetObject(int index) const {
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    return items_[std::size_t(index)].obj;
}

void TStringList::Put(int index, const std::string& s) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted string list");
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    Changing();
    items_[std::size_t(index)].s = s;
    Changed();
}

void TStringList::PutObject(int index, TObject* obj) {
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    Changing();
    items_[std::size_t(index)].obj = obj;
    Changed();
}

int TStringList::Add(const std::string& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const std::string& s, TObject* obj) {
    int index;
    if (!sorted_) {
        index = Count();
    } else if (Find(s, index)) {
        switch (duplicates_) {
            case TDuplicates::dupIgnore: return index;
            case TDuplicates::dupError: throw EStringListError("String list does not allow duplicates");
            case TDuplicates::dupAccept: break;
        }
    }
    InsertItem(index, s, obj);
    return index;
}

void TStringList::Clear() {
    if (items_.empty()) return;
    Changing();
    if (ownsObjects_)
        for (auto& it : items_) delete it.obj;
    items_.clear();
    Changed();
}

void TStringList::Delete(int index) {
    if (index < 0 || index >= Count()) Error("List index out of bounds (%d)", index);
    Changing();
    TObject* obj = items_[std::size_t(index)].obj;
    items_.erase(items_.begin() + index);
    if (ownsObjects_) delete obj;
    Changed();
}

void TStringList::Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const std::string& s, TObject* obj) {
    if (sorted_) throw EStringListError("Operation not allowed on sorted string list");
    if (index < 0 || index > Count()) Error("List index out of bounds (%d)", index);
    InsertItem(index, s, obj);
}

void TStringList::InsertItem(int index, const std::string& s, TObject* obj) {
    Changing();
    items_.insert(items_.begin() + index, Item{s, obj});
    Changed();
}

void TStringList::Exchange(int index1, int index2) {
    if (index1 < 0 || index1 >= Count()) Error("List index out of bounds (%d)", index1);
    if (index2 < 0 || index2 >= Count()) Error("List index out of bounds (%d)", index2);
    Changing();
    std::swap(items_[std::size_t(index1)], items_[std::size_t(index2)]);
    Changed();
}

int TStringList::Compare(const std::string& a, const std::string& b) const {
    if (caseSensitive_) return a.compare(b);
    return UpperCase(a).compare(UpperCase(b));
}

int TStringList::IndexOf(const std::string& s) const {
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (Compare(items_[std::size_t(i)].s, s) == 0) return i;
        return -1;
    }
    int index;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const std::string& s, int& index) const {
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = Compare(items_[std::size_t(mid)].s, s);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != TDuplicates::dupAccept) lo = mid;
            }
        }
    }
    index = lo;
    return found;
}

void TStringList::Sort() {
    Changing();
    std::stable_sort(items_.begin(), items_.end(),
                     [this](const Item& a, const Item& b) { return Compare(a.s, b.s) < 0; });
    Changed();
}

void TStringList::SetSorted(bool sorted) {
    if (sorted_ == sorted) return;
    if (sorted) Sort();
    sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool c) {
    if (caseSensitive_ == c) return;
    caseSensitive_ = c;
    if (sorted_) Sort();
}

void TStringList::SetUpdateState(bool updating) {
    if (updating)
        Changing();
    else
        Changed();
}

void TStringList::Changed() {
    if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
    if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}
