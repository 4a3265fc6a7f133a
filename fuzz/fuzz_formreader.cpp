// Fuzz target for the form reader: any text either reads or fails with EParserError,
// and a failed read leaves the root without the components it made.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/formreader.h"
#include "framework/graphics.h"

namespace {

int live = 0;

enum class TFuzzKind : std::uint8_t { fkOne, fkTwo };
using TFuzzKinds = TSet<TFuzzKind>;

class TFuzzItem : public TComponent {
    ZARN_CLASS(TFuzzItem, TComponent)
public:
    explicit TFuzzItem(TComponent* owner) : TComponent(owner) { ++live; }
    ~TFuzzItem() override { --live; }
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& c) { caption_ = c; }
    int Width() const { return width_; }
    void SetWidth(int w) {
        if (w < 0 && !IsLoading()) throw EInvalidOperation("negative");
        width_ = w;
    }
    bool Flag() const { return flag_; }
    void SetFlag(bool f) { flag_ = f; }
    TFuzzKind Kind() const { return kind_; }
    void SetKind(TFuzzKind k) { kind_ = k; }
    TFuzzKinds Kinds() const { return kinds_; }
    void SetKinds(TFuzzKinds k) { kinds_ = k; }
    void SetRatio(double) {}
    void SetBuddy(TFuzzItem* b) { buddy_ = b; }
    void SetData(const std::vector<std::uint8_t>&) {}
    TFont* Font() const { return const_cast<TFont*>(&font_); }
    TStringList* Lines() const { return const_cast<TStringList*>(&lines_); }
    TNotifyEvent OnClick;

private:
    std::string caption_;
    int width_ = 0;
    bool flag_ = false;
    TFuzzKind kind_ = TFuzzKind::fkOne;
    TFuzzKinds kinds_;
    TFuzzItem* buddy_ = nullptr;
    TFont font_;
    TStringList lines_;
};

class TFuzzForm : public TComponent {
    ZARN_CLASS(TFuzzForm, TComponent)
public:
    TFuzzForm() : TComponent(nullptr) {}
    void Click(TObject*) {}
    void Other(int) {}
    TFuzzItem* Item1 = nullptr;
    TFuzzItem* Item2 = nullptr;
};

}  // namespace

ZARN_DEFINE_CLASS(TFuzzItem, TComponent, [](TClassBuilder<TFuzzItem>& b) {
    b.Str("Caption", &TFuzzItem::Caption, &TFuzzItem::SetCaption)
        .Int("Width", &TFuzzItem::Width, &TFuzzItem::SetWidth)
        .Bool("Flag", &TFuzzItem::Flag, &TFuzzItem::SetFlag)
        .Enum("Kind", {"fkOne", "fkTwo"}, &TFuzzItem::Kind, &TFuzzItem::SetKind)
        .Set("Kinds", {"fkOne", "fkTwo"}, &TFuzzItem::Kinds, &TFuzzItem::SetKinds)
        .Float("Ratio", &TFuzzItem::SetRatio)
        .Ref("Buddy", nullptr, &TFuzzItem::SetBuddy)
        .Binary("Data", &TFuzzItem::SetData)
        .Object("Font", &TFuzzItem::Font)
        .Object("Lines", &TFuzzItem::Lines)
        .Event("OnClick", &TFuzzItem::OnClick)
        .Creatable();
})

ZARN_DEFINE_CLASS(TFuzzForm, TComponent, [](TClassBuilder<TFuzzForm>& b) {
    b.Method("Click", &TFuzzForm::Click)
        .Method("Other", &TFuzzForm::Other)
        .Field("Item1", &TFuzzForm::Item1)
        .Field("Item2", &TFuzzForm::Item2);
})

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static bool registered = [] {
        RegisterClass(&TFuzzItem::StaticClass());
        return true;
    }();
    (void)registered;
    std::string text(reinterpret_cast<const char*>(data), size);
    {
        TFuzzForm form;
        try {
            ReadComponentFromText(&form, text, "fuzz.dfm");
        } catch (const EParserError&) {
            if (form.ComponentCount() != 0 || form.Item1 || form.Item2 || form.IsLoading()) std::abort();
        }
    }
    if (live != 0) std::abort();
    return 0;
}
