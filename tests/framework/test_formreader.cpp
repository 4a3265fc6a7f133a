// The form reader, with test components of its own (no controls involved).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/formreader.h"
#include "framework/graphics.h"
#include "framework/resources.h"

namespace {

std::vector<std::string> Log;  // setter calls and Loaded, in order
int LiveItems = 0;

enum class TTestAlign : std::uint8_t { alNone, alTop, alClient };
enum class TTestOption : std::uint8_t { toFirst, toSecond, toThird };
using TTestOptions = TSet<TTestOption>;

class TTestSub : public TPersistent {
    ZARN_CLASS(TTestSub, TPersistent)
public:
    TTestSub() { lines_.OnChange = [this](TObject*) { ++changes; }; }
    TStringList* Lines() const { return const_cast<TStringList*>(&lines_); }
    int Level() const { return level_; }
    void SetLevel(int l) { level_ = l; }
    int changes = 0;

private:
    TStringList lines_;
    int level_ = 0;
};

class TTestItem : public TComponent {
    ZARN_CLASS(TTestItem, TComponent)
public:
    explicit TTestItem(TComponent* owner) : TComponent(owner) { ++LiveItems; }
    ~TTestItem() override { --LiveItems; }

    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& c) {
        caption_ = c;
        Log.push_back(Name() + ".Caption" + (IsLoading() ? " loading" : ""));
    }
    int Width() const { return width_; }
    void SetWidth(int w) {
        width_ = w;
        Log.push_back(Name() + ".Width" + (IsLoading() ? " loading" : ""));
    }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    TTestAlign Align() const { return align_; }
    void SetAlign(TTestAlign a) { align_ = a; }
    TTestOptions Options() const { return options_; }
    void SetOptions(TTestOptions o) { options_ = o; }
    void SetRatio(double r) { ratio_ = r; }
    void SetBuddy(TTestItem* b) {
        buddy_ = b;
        Log.push_back(Name() + ".Buddy=" + (b ? b->Name() : "nil"));
    }
    void SetData(const std::vector<std::uint8_t>& d) { data_ = d; }
    int Color() const { return color_; }
    void SetColor(int c) { color_ = c; }
    TFont* Font() const { return const_cast<TFont*>(&font_); }
    TStringList* Items() const { return const_cast<TStringList*>(&items_); }
    TTestSub* Sub() const { return const_cast<TTestSub*>(&sub_); }
    void SetFailing(int v) {
        if (v < 0) throw EInvalidOperation("negative values are refused");
    }

    void Loaded() override {
        TComponent::Loaded();
        ++loadedCount;
        Log.push_back(Name() + ".Loaded");
    }

    TNotifyEvent OnClick;
    std::function<void(TObject*, int)> OnCount;
    int loadedCount = 0;
    double ratio_ = 0;
    TTestItem* buddy_ = nullptr;
    std::vector<std::uint8_t> data_;

private:
    std::string caption_;
    int width_ = 0;
    bool visible_ = true;
    TTestAlign align_ = TTestAlign::alNone;
    TTestOptions options_;
    int color_ = 0;
    TFont font_;
    TStringList items_;
    TTestSub sub_;
};

// A component that is not a TTestItem, for references of the wrong class.
class TTestOther : public TComponent {
    ZARN_CLASS(TTestOther, TComponent)
public:
    using TComponent::TComponent;
};

class TTestForm : public TComponent {
    ZARN_CLASS(TTestForm, TComponent)
public:
    TTestForm() : TComponent(nullptr) {}
    std::string Caption() const { return caption_; }
    void SetCaption(const std::string& c) {
        caption_ = c;
        Log.push_back("form.Caption" + std::string(IsLoading() ? " loading" : ""));
    }
    void SetActive(TTestItem* a) { active = a; }
    void Loaded() override {
        TComponent::Loaded();
        ++loadedCount;
        Log.push_back("form.Loaded");
    }
    void ItemClick(TObject* sender) { clicks.push_back(sender); }
    void Counted(TObject*, int n) { counted += n; }

    TTestItem* Item1 = nullptr;
    TTestItem* Panel = nullptr;
    TTestOther* Other = nullptr;
    TTestItem* active = nullptr;
    TNotifyEvent OnShow;
    int loadedCount = 0;
    int counted = 0;
    std::vector<TObject*> clicks;

private:
    std::string caption_;
};

}  // namespace

ZARN_DEFINE_CLASS(TTestSub, TPersistent, [](TClassBuilder<TTestSub>& b) {
    b.Object("Lines", &TTestSub::Lines).Int("Level", &TTestSub::Level, &TTestSub::SetLevel);
})

ZARN_DEFINE_CLASS(TTestItem, TComponent, [](TClassBuilder<TTestItem>& b) {
    b.Str("Caption", &TTestItem::Caption, &TTestItem::SetCaption)
        .Int("Width", &TTestItem::Width, &TTestItem::SetWidth)
        .Bool("Visible", &TTestItem::Visible, &TTestItem::SetVisible)
        .Enum("Align", {"alNone", "alTop", "alClient"}, &TTestItem::Align, &TTestItem::SetAlign)
        .Set("Options", {"toFirst", "toSecond", "toThird"}, &TTestItem::Options, &TTestItem::SetOptions)
        .Float("Ratio", &TTestItem::SetRatio)
        .Ref("Buddy", nullptr, &TTestItem::SetBuddy)
        .Binary("Data", &TTestItem::SetData)
        .Int("Color", &TTestItem::Color, &TTestItem::SetColor)
        .Object("Font", &TTestItem::Font)
        .Object("Items", &TTestItem::Items)
        .Object("Sub", &TTestItem::Sub)
        .Event("OnClick", &TTestItem::OnClick)
        .Event("OnCount", &TTestItem::OnCount)
        .Creatable();
    TPropInfo failing;
    failing.name = "Failing";
    failing.kind = TPropKind::Integer;
    failing.setInt = [](TObject* o, long long v) { static_cast<TTestItem*>(o)->SetFailing(int(v)); };
    b.Info().props.push_back(failing);
})

ZARN_DEFINE_CLASS(TTestOther, TComponent, [](TClassBuilder<TTestOther>& b) { b.Creatable(); })

ZARN_DEFINE_CLASS(TTestForm, TComponent, [](TClassBuilder<TTestForm>& b) {
    b.Str("Caption", &TTestForm::Caption, &TTestForm::SetCaption)
        .Ref("ActiveItem", &TTestItem::StaticClass(), &TTestForm::SetActive)
        .Event("OnShow", &TTestForm::OnShow)
        .Method("ItemClick", &TTestForm::ItemClick)
        .Method("Counted", &TTestForm::Counted)
        .Field("Item1", &TTestForm::Item1)
        .Field("Panel", &TTestForm::Panel)
        .Field("Other", &TTestForm::Other);
})

namespace {

std::vector<std::pair<std::string, std::string>> Parented;

class FormReader : public testing::Test {
protected:
    void SetUp() override {
        RegisterClasses({&TTestItem::StaticClass(), &TTestOther::StaticClass()});
        Log.clear();
        Parented.clear();
        LiveItems = 0;
        SetChildAddedHook([](TComponent* parent, TComponent* child) {
            Parented.emplace_back(parent->Name(), child->Name());
        });
    }
    void TearDown() override { SetChildAddedHook(nullptr); }

    TTestItem* Item(const std::string& name) { return dynamic_cast<TTestItem*>(form.FindComponent(name)); }

    // Reads `text`, expecting failure; returns the message.
    std::string Fails(const std::string& text, int line) {
        try {
            ReadComponentFromText(&form, text, "test.dfm");
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Line, line) << e.Message();
            EXPECT_NE(e.Message().find("line " + std::to_string(line)), std::string::npos) << e.Message();
            EXPECT_EQ(form.ComponentCount(), 0) << e.Message();
            EXPECT_EQ(LiveItems, 0) << e.Message();
            EXPECT_EQ(form.Item1, nullptr);
            EXPECT_EQ(form.Panel, nullptr);
            EXPECT_FALSE(form.IsLoading());
            return e.Message();
        }
        ADD_FAILURE() << "no error for:\n" << text;
        return {};
    }

    TTestForm form;
};

TEST_F(FormReader, NestedObjectsAreCreatedNamedBoundAndParentedInOrder) {
    ReadComponentFromText(&form, R"(object Form1: TTestForm
  Caption = 'Main'
  object Panel: TTestItem
    Width = 10
    object Item1: TTestItem
      Caption = 'inner'
    end
    object TTestItem
    end
  end
  object Free2: TTestItem
  end
end
)",
                          "test.dfm");
    EXPECT_EQ(form.Name(), "Form1");
    EXPECT_EQ(form.Caption(), "Main");
    ASSERT_EQ(form.ComponentCount(), 4);
    EXPECT_EQ(form.Components(0)->Name(), "Panel");
    EXPECT_EQ(form.Components(1)->Name(), "Item1");
    EXPECT_EQ(form.Components(2)->Name(), "");
    EXPECT_EQ(form.Components(3)->Name(), "Free2");
    EXPECT_EQ(form.Panel, form.Components(0));
    EXPECT_EQ(form.Item1, form.Components(1));
    EXPECT_EQ(form.Item1->Caption(), "inner");
    EXPECT_EQ(form.Panel->Width(), 10);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Form1", "Panel"}, {"Panel", "Item1"}, {"Panel", ""}, {"Form1", "Free2"}};
    EXPECT_EQ(Parented, expected);
    EXPECT_EQ(LiveItems, 4);
}

TEST_F(FormReader, EveryValueKind) {
    ReadComponentFromText(&form, R"(object Form1: TTestForm
  object Item1: TTestItem
    Caption = 'it''s'#13#10'two' +
      ' lines'#$41
    Width = -12
    Tag = $7FFFFFFF
    Color = clBtnFace
    Visible = false
    Align = ALCLIENT
    Options = [toFirst, toThird]
    Ratio = 1.5E2
    Data = {
      0A0b
      FF}
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    Font.Height = $FFFFFFF1
    Items.Strings = (
      'one'
      'two' + 'too'
      '')
    Sub.Lines = ( 'x' )
    Sub.Level = 3
  end
end
)",
                          "test.dfm");
    TTestItem* i = form.Item1;
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->Caption(), "it's\r\ntwo linesA");
    EXPECT_EQ(i->Width(), -12);
    EXPECT_EQ(i->Tag(), 0x7FFFFFFF);
    EXPECT_EQ(i->Color(), clBtnFace);
    EXPECT_FALSE(i->Visible());
    EXPECT_EQ(i->Align(), TTestAlign::alClient);
    EXPECT_EQ(i->Options(), (TTestOptions{TTestOption::toFirst, TTestOption::toThird}));
    EXPECT_DOUBLE_EQ(i->ratio_, 150.0);
    EXPECT_EQ(i->data_, (std::vector<std::uint8_t>{0x0A, 0x0B, 0xFF}));
    EXPECT_EQ(i->Font()->Name(), "Arial");
    EXPECT_TRUE(i->Font()->Style().Contains(TFontStyle::fsBold));
    EXPECT_EQ(i->Font()->Height(), -15);
    EXPECT_EQ(i->Items()->ToVector(), (std::vector<std::string>{"one", "twotoo", ""}));
    EXPECT_EQ(i->Sub()->Lines()->ToVector(), (std::vector<std::string>{"x"}));
    EXPECT_EQ(i->Sub()->Level(), 3);
}

TEST_F(FormReader, ReplacesStringListContents) {
    form.Item1 = nullptr;
    ReadComponentFromText(&form, "object F: TTestForm\n object Item1: TTestItem\n Items.Strings = ('a' 'b')\n Items.Strings = ('c')\n end\nend", "");
    EXPECT_EQ(form.Item1->Items()->ToVector(), (std::vector<std::string>{"c"}));
}

TEST_F(FormReader, SettersRunInOrderWhileLoadingAndLoadedRunsOnceEach) {
    ReadComponentFromText(&form, R"(object Form1: TTestForm
  Caption = 'a'
  object Item1: TTestItem
    Width = 1
    Caption = 'b'
  end
  object Panel: TTestItem
    Caption = 'c'
  end
end)",
                          "t");
    std::vector<std::string> expected = {"form.Caption loading", "Item1.Width loading", "Item1.Caption loading",
                                         "Panel.Caption loading", "form.Loaded", "Item1.Loaded", "Panel.Loaded"};
    EXPECT_EQ(Log, expected);
    EXPECT_EQ(form.loadedCount, 1);
    EXPECT_EQ(form.Item1->loadedCount, 1);
    EXPECT_EQ(form.Panel->loadedCount, 1);
    EXPECT_FALSE(form.IsLoading());
    EXPECT_FALSE(form.Item1->IsLoading());
    EXPECT_FALSE(form.Item1->ComponentState().Contains(TComponentStateItem::csReading));
    // Later changes are ordinary ones.
    Log.clear();
    form.Item1->SetWidth(3);
    EXPECT_EQ(Log, std::vector<std::string>{"Item1.Width"});
}

TEST_F(FormReader, ReferencesResolveAfterEverythingIsRead) {
    ReadComponentFromText(&form, R"(object Form1: TTestForm
  ActiveItem = Panel
  object Item1: TTestItem
    Buddy = Form1.Panel
    Width = 1
  end
  object Panel: TTestItem
    Buddy = nil
  end
end)",
                          "t");
    EXPECT_EQ(form.active, form.Panel);
    EXPECT_EQ(form.Item1->buddy_, form.Panel);
    // Each reference is set once every object exists, before anything is Loaded.
    std::vector<std::string> expected = {"Item1.Width loading", "Item1.Buddy=Panel", "Panel.Buddy=nil",
                                         "form.Loaded", "Item1.Loaded", "Panel.Loaded"};
    EXPECT_EQ(Log, expected);
}

TEST_F(FormReader, EventsBindToTheRootsMethods) {
    ReadComponentFromText(&form, R"(object Form1: TTestForm
  OnShow = ItemClick
  object Item1: TTestItem
    OnClick = itemclick
    OnCount = Counted
  end
end)",
                          "t");
    ASSERT_TRUE(form.Item1->OnClick);
    form.Item1->OnClick(form.Item1);
    form.OnShow(&form);
    form.Item1->OnCount(nullptr, 5);
    EXPECT_EQ(form.clicks, (std::vector<TObject*>{form.Item1, &form}));
    EXPECT_EQ(form.counted, 5);
}

TEST_F(FormReader, InheritedReadsIntoAnExistingComponent) {
    auto* existing = new TTestItem(&form);
    existing->SetName("Panel");
    ReadComponentFromText(&form, "inherited Form1: TTestForm\n  inherited Panel: TTestItem\n    Width = 7\n  end\nend", "t");
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(existing->Width(), 7);
    EXPECT_EQ(existing->loadedCount, 1);
    EXPECT_FALSE(existing->IsLoading());
}

TEST_F(FormReader, SyntaxErrorsNameTheLine) {
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Width = 1\n  end\n", 5).find("'end' expected"),
              std::string::npos);
    Fails("object Form1: TTestForm\nend\nend\n", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n  Caption 'x'\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  Caption = 'open\nend", 2);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Data = { 0A 1 }\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Data = { 0A ZZ }\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Data = { 0A\n", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Caption = 'a' +\n  end\nend", 4);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Caption = #300\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Width = 99999999999999999999\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Items.Strings = ('a'\n  end\nend", 5);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Options = [toFirst toSecond]\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Width = 1\n  end\nend junk", 5);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Width = \x01\n  end\nend", 3);
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n   Items = <\n   item\n end>\n  end\nend", 3)
                  .find("not supported"),
              std::string::npos);
    Fails("", 1);
    Fails("Width = 3", 1);
}

TEST_F(FormReader, SemanticErrorsFreeWhatWasCreated) {
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    object X: TNoSuchClass\n    end\n  end\nend", 3)
                  .find("TNoSuchClass"),
              std::string::npos);
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Widht = 1\n  end\nend", 3).find("Widht"),
              std::string::npos);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Font.Nmae = 'x'\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Width.Name = 'x'\n  end\nend", 3);
    // Values of the wrong kind.
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Width = 'x'\n  end\nend", 3).find("wrong kind"),
              std::string::npos);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Caption = 3\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Visible = 1\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Align = alLeft\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Options = [toFourth]\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Color = clNoSuchColour\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Font = 'Arial'\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Items.Strings = ( 'a' 3 )\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Data = 'x'\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Buddy = 'x'\n  end\nend", 3);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    OnClick = 3\n  end\nend", 3);
    // References and methods are checked once everything is read.
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Buddy = Missing\n  end\nend", 3).find("Missing"),
              std::string::npos);
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Buddy = Other\n  end\n  object Other: TTestOther\n  end\nend", 3);
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    OnClick = NoHandler\n  end\nend", 3)
                  .find("NoHandler"),
              std::string::npos);
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    OnClick = Counted\n  end\nend", 3).find("wrong kind"),
              std::string::npos);
    // Names and fields.
    Fails("object Form1: TTestForm\n  object Item1: TTestItem\n  end\n  object item1: TTestItem\n  end\nend", 4);
    Fails("object Form1: TTestForm\n  object Other: TTestItem\n  end\nend", 2);
    Fails("object Form1: TTestForm\n  object Item1: TStringList\n  end\nend", 2);
    Fails("object Form1: TTestItem\nend", 1);
    // A setter that refuses its value.
    EXPECT_NE(Fails("object Form1: TTestForm\n  object Item1: TTestItem\n    Failing = -1\n  end\nend", 3).find("refused"),
              std::string::npos);
}

TEST_F(FormReader, FailedReadKeepsWhatTheRootHadBefore) {
    auto* mine = new TTestItem(&form);
    mine->SetName("Mine");
    EXPECT_THROW(ReadComponentFromText(&form, "object F: TTestForm\n object Item1: TTestItem\n end\n object Bad: TNone\n end\nend", "t"),
                 EParserError);
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), mine);
    EXPECT_FALSE(mine->IsLoading());
    EXPECT_EQ(form.Item1, nullptr);
}

TEST_F(FormReader, DeepNestingIsAnErrorNotACrash) {
    std::string text = "object F: TTestForm\n";
    for (int i = 0; i < 5000; ++i) text += "object TTestItem\n";
    EXPECT_THROW(ReadComponentFromText(&form, text, "t"), EParserError);
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(LiveItems, 0);
    std::string lists = "object F: TTestForm\n object Item1: TTestItem\n Items.Strings = " + std::string(5000, '(');
    EXPECT_THROW(ReadComponentFromText(&form, lists, "t"), EParserError);
}

TEST(Resources, FoundByNameWithOrWithoutExtension) {
    static const unsigned char dfm[] = "object F: TTestForm\n  Caption = 'From resource'\nend\n";
    static const unsigned char bmp[] = {'B', 'M'};
    static const TResourceEntry entries[] = {{"TTestResForm.dfm", dfm, sizeof dfm - 1},
                                             {"art/TTestResForm.bmp", bmp, sizeof bmp}};
    RegisterResources(entries, 2);
    EXPECT_EQ(FindResource("ttestresform.DFM")->size(), sizeof dfm - 1);
    EXPECT_EQ(FindResource("TTestResForm.bmp")->substr(0, 2), "BM");
    EXPECT_EQ(FindResource("art\\ttestresform.bmp")->substr(0, 2), "BM");
    EXPECT_EQ(FindResource("TTestResForm")->size(), sizeof dfm - 1);
    EXPECT_FALSE(FindResource("TTestResFor"));
    EXPECT_FALSE(FindResource(""));

    TTestForm form;
    EXPECT_TRUE(InitInheritedComponent(&form, "TTestResForm"));
    EXPECT_EQ(form.Caption(), "From resource");
    EXPECT_FALSE(InitInheritedComponent(&form, "TNoSuchForm"));
}

}  // namespace
