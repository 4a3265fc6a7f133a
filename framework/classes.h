// Persistent objects, components with owners, and string lists.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/objects.h"

// ---------------------------------------------------------------------------------------
// TPersistent

class TPersistent : public TObject {
    ZARN_CLASS(TPersistent, TObject)
public:
    // Copies `source` into this object. The default asks the source to assign itself to
    // this object, which fails with EConvertError unless a class supports it.
    virtual void Assign(TPersistent* source);

protected:
    virtual void AssignTo(TPersistent* dest);
};

// ---------------------------------------------------------------------------------------
// TComponent

enum class TComponentStateItem : std::uint8_t { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = TSet<TComponentStateItem>;
enum class TOperation : std::uint8_t { opInsert, opRemove };

class TComponent : public TPersistent {
    ZARN_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    std::string Name() const { return name_; }
    // Must be a valid identifier and unique among the owner's components
    // (EComponentError otherwise). An empty name is allowed.
    virtual void SetName(const std::string& name);
    long long Tag() const { return tag_; }
    void SetTag(long long t) { tag_ = t; }

    TComponentState ComponentState() const { return state_; }
    bool IsLoading() const { return state_.Contains(TComponentStateItem::csLoading); }
    bool IsDesigning() const { return state_.Contains(TComponentStateItem::csDesigning); }
    bool IsDestroying() const { return state_.Contains(TComponentStateItem::csDestroying); }
    void SetDesigning(bool designing, bool includeOwned = true);
    // Marks the component as being read from a form description.
    void BeginLoading();
    // Called once after the whole description was read; clears the loading state.
    virtual void Loaded();

    int ComponentCount() const { return int(components_.size()); }
    TComponent* Components(int i) const;
    TComponent* FindComponent(const std::string& name) const;  // case-insensitive
    int ComponentIndex() const;
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    // Frees every owned component, last first.
    void DestroyComponents();

    // Told when a component is inserted into or removed from this one's owned list, and
    // when a component that asked FreeNotification is destroyed.
    virtual void Notification(TComponent* component, TOperation operation);
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

protected:
    virtual void SetDesigningState(bool d);

private:
    TComponent* owner_ = nullptr;
    std::string name_;
    long long tag_ = 0;
    TComponentState state_;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
};

bool IsValidIdent(const std::string& s);

// ---------------------------------------------------------------------------------------
// String lists

class TStream;

class TStrings : public TPersistent {
    ZARN_CLASS(TStrings, TPersistent)
public:
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual TObject* GetObject(int index) const { return nullptr; }
    std::string operator[](int index) const { return Get(index); }
    std::string Strings(int index) const { return Get(index); }
    TObject* Objects(int index) const { return GetObject(index); }

    // Every changing operation is virtual so that a subclass can intercept it.
    virtual void Put(int index, const std::string& s);
    virtual void PutObject(int index, TObject* obj) {}
    virtual int Add(const std::string& s);
    virtual int AddObject(const std::string& s, TObject* obj);
    virtual void AddStrings(TStrings* strings);
    virtual void Clear() = 0;
    virtual void Delete(int index) = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void InsertObject(int index, const std::string& s, TObject* obj);
    virtual void Move(int curIndex, int newIndex);
    virtual void Exchange(int index1, int index2);
    void Assign(TPersistent* source) override;
    virtual void LoadFromStream(TStream* stream);
    virtual void LoadFromFile(const std::string& fileName);
    // Replaces the lines: clears, then adds line by line (CR LF, LF or CR end a line).
    virtual void SetText(const std::string& text);

    void SaveToStream(TStream* stream) const;
    void SaveToFile(const std::string& fileName) const;
    // Each line followed by CR LF.
    std::string Text() const;
    // Case-insensitive (ASCII) search; -1 when absent.
    virtual int IndexOf(const std::string& s) const;
    int IndexOfObject(TObject* obj) const;
    std::vector<std::string> ToVector() const;

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return updateCount_; }

protected:
    virtual void SetUpdateState(bool updating) {}
    [[noreturn]] void Error(const std::string& msg, int index) const;

private:
    int updateCount_ = 0;
};

// A list of object references it does not own.
class TList : public TObject {
    ZARN_CLASS(TList, TObject)
public:
    int Count() const { return int(items_.size()); }
    TObject* Items(int index) const { return items_.at(std::size_t(index)); }
    int Add(TObject* item) {
        items_.push_back(item);
        return Count() - 1;
    }
    void Clear() { items_.clear(); }

private:
    std::vector<TObject*> items_;
};

enum class TDuplicates : std::uint8_t { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
    ZARN_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;
    TStringList(const TStringList&) = delete;
    TStringList& operator=(const TStringList&) = delete;

    int Count() const override { return int(items_.size()); }
    std::string Get(int index) const override;
    TObject* GetObject(int index) const override;
    void Put(int index, const std::string& s) override;
    void PutObject(int index, TObject* obj) override;
    int Add(const std::string& s) override;
    int AddObject(const std::string& s, TObject* obj) override;
    void Clear() override;
    void Delete(int index) override;
    void Insert(int index, const std::string& s) override;
    void InsertObject(int index, const std::string& s, TObject* obj) override;
    void Exchange(int index1, int index2) override;
    int IndexOf(const std::string& s) const override;

    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates d) { duplicates_ = d; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool c);
    // Binary search of a sorted list: true and the index when found, else the insert point.
    bool Find(const std::string& s, int& index) const;
    void Sort();
    // When true, the list deletes its objects as lines go.
    bool OwnsObjects() const { return ownsObjects_; }
    void SetOwnsObjects(bool o) { ownsObjects_ = o; }

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool updating) override;
    virtual void Changed();
    virtual void Changing();

private:
    struct Item {
        std::string s;
        TObject* obj = nullptr;
    };
    int Compare(const std::string& a, const std::string& b) const;
    void InsertItem(int index, const std::string& s, TObject* obj);
    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    bool ownsObjects_ = false;
    TDuplicates duplicates_ = TDuplicates::dupIgnore;
};
