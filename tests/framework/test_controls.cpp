// Controls: properties, child and tab order, fonts, the scroll bar's range check, edits,
// bitmaps and the application title rule.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/bitmap.h"
#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/stdctrls.h"
#include "tests/framework/ui_fixture.h"

namespace {

using Controls = UiTest;

TEST_F(Controls, ScrollBarRangeCheck) {
    TForm form(nullptr);
    auto* sb = new TScrollBar(&form);
    std::vector<int> seen;
    sb->OnChange = [&](TObject*) { seen.push_back(sb->Position()); };
    sb->SetMin(1);  // position 0 is pulled into the new range
    sb->SetMax(3);
    EXPECT_EQ(sb->Position(), 1);
    sb->SetPosition(2);
    sb->SetPosition(2);  // no change, no event
    sb->SetPosition(3);
    EXPECT_EQ(seen, (std::vector<int>{1, 2, 3}));

    try {
        sb->SetPosition(4);
        FAIL() << "no range error";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Scroll bar property out of range");
    }
    EXPECT_THROW(sb->SetPosition(0), EInvalidOperation);
    EXPECT_THROW(sb->SetMax(0), EInvalidOperation);  // below Min
    EXPECT_THROW(sb->SetParams(2, 3, 1), EInvalidOperation);
    EXPECT_EQ(sb->Position(), 3);
    EXPECT_EQ(seen.size(), 3u);

    sb->SetMax(2);  // shrinking the range moves the position with it
    EXPECT_EQ(sb->Position(), 2);
    EXPECT_EQ(seen.back(), 2);
}

TEST_F(Controls, ScrollBarLoadsWithoutChecksOrEvents) {
    TForm form(nullptr);
    int changes = 0;
    ReadComponentFromText(&form, R"(object F: TForm
  object SB: TScrollBar
    Max = 3
    Min = 1
    Position = 1
    Visible = False
  end
end
)",
                          "test");
    auto* sb = dynamic_cast<TScrollBar*>(form.FindComponent("SB"));
    ASSERT_NE(sb, nullptr);
    sb->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(sb->Min(), 1);
    EXPECT_EQ(sb->Max(), 3);
    EXPECT_EQ(sb->Position(), 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(sb->Parent(), &form);
    EXPECT_FALSE(sb->Visible());
}

TEST_F(Controls, EditFiresOnChangeForEveryChange) {
    TForm form(nullptr);
    form.SetName("F");
    auto* edit = new TEdit(&form);
    edit->SetName("E");
    edit->SetParent(&form);
    std::vector<std::string> seen;
    edit->OnChange = [&](TObject*) { seen.push_back(edit->Text()); };

    edit->SetText("c:\\q");  // by the program
    edit->SetText("c:\\q");  // same text: nothing changes
    form.Show();
    EXPECT_TRUE(Ui().Type("E", "ab"));
    EXPECT_TRUE(Ui().Backspace("E"));
    EXPECT_TRUE(Ui().Retype("E", "x"));
    EXPECT_EQ(seen, (std::vector<std::string>{"c:\\q", "c:\\qa", "c:\\qab", "c:\\qa", "", "x"}));

    edit->SetEnabled(false);
    EXPECT_FALSE(Ui().Type("E", "y"));
    EXPECT_EQ(edit->Text(), "x");
}

TEST_F(Controls, EditDoesNotFireWhileLoading) {
    TForm form(nullptr);
    int changes = 0;
    ReadComponentFromText(&form, R"(object F: TForm
  object E: TEdit
    Text = 'c:\quake\quake.exe'
    MaxLength = 4
  end
end
)",
                          "test");
    auto* e = dynamic_cast<TEdit*>(form.FindComponent("E"));
    ASSERT_NE(e, nullptr);
    e->OnChange = [&](TObject*) { ++changes; };
    EXPECT_EQ(e->Text(), "c:\\quake\\quake.exe");
    EXPECT_EQ(changes, 0);
    // Typing into a full edit is refused; the program may still set any text.
    EXPECT_FALSE(e->TypeChar('x'));
    e->SetText("ab");
    EXPECT_TRUE(e->TypeChar('c'));
    EXPECT_EQ(changes, 2);
}

TEST_F(Controls, ChildOrderTabOrderAndFocus) {
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object F: TForm
  object L: TLabel
    Caption = 'Text'
  end
  object Panel: TPanel
    TabOrder = 2
    object Inner: TButton
      TabOrder = 0
    end
  end
  object B1: TButton
    TabOrder = 1
  end
  object B0: TButton
    TabOrder = 0
  end
  object SB: TScrollBar
    TabOrder = 3
    Visible = False
  end
end
)",
                          "test");
    ASSERT_EQ(form.ControlCount(), 5);
    std::vector<std::string> children, tabs, focus;
    for (int i = 0; i < form.ControlCount(); ++i) children.push_back(form.Controls(i)->Name());
    for (TWinControl* w : form.TabList()) tabs.push_back(w->Name());
    EXPECT_EQ(children, (std::vector<std::string>{"L", "Panel", "B1", "B0", "SB"}));
    EXPECT_EQ(tabs, (std::vector<std::string>{"B0", "B1", "Panel", "SB"}));
    EXPECT_EQ(form.FindComponent("B1")->Name(), "B1");
    EXPECT_EQ(dynamic_cast<TControl*>(form.FindComponent("Inner"))->Parent()->Name(), "Panel");

    form.Show();
    for (TWinControl* w : form.FocusOrder()) focus.push_back(w->Name());
    // Panels take no focus themselves; hidden controls are skipped.
    EXPECT_EQ(focus, (std::vector<std::string>{"B0", "B1", "Inner"}));
    EXPECT_EQ(form.ActiveControl()->Name(), "B0");
    form.SelectNext();
    form.SelectNext();
    EXPECT_EQ(form.ActiveControl()->Name(), "Inner");
    form.SelectNext();
    EXPECT_EQ(form.ActiveControl()->Name(), "B0");
    form.SelectNext(false);
    EXPECT_EQ(form.ActiveControl()->Name(), "Inner");

    // Moving a control in the tab order shifts the others.
    dynamic_cast<TWinControl*>(form.FindComponent("SB"))->SetTabOrder(0);
    EXPECT_EQ(form.TabList().front()->Name(), "SB");
    EXPECT_EQ(dynamic_cast<TWinControl*>(form.FindComponent("B0"))->TabOrder(), 1);
}

TEST_F(Controls, FontsFollowTheParentUntilSetThemselves) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetParent(panel);
    auto* own = new TLabel(&form);
    own->SetParent(panel);
    own->Font()->SetName("Arial");
    EXPECT_FALSE(own->ParentFont());

    form.Font()->SetName("Courier New");
    form.Font()->SetHeight(-15);
    EXPECT_EQ(label->Font()->Name(), "Courier New");
    EXPECT_EQ(label->Font()->Height(), -15);
    EXPECT_TRUE(label->ParentFont());
    EXPECT_EQ(own->Font()->Name(), "Arial");
    EXPECT_EQ(own->Font()->Height(), -11);

    own->SetParentFont(true);
    EXPECT_EQ(own->Font()->Name(), "Courier New");
}

TEST_F(Controls, VisibilityAndEnablingFollowTheParents) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* button = new TButton(&form);
    button->SetParent(panel);
    EXPECT_FALSE(button->Showing());  // the form is hidden
    form.Show();
    EXPECT_TRUE(button->Showing());
    EXPECT_TRUE(button->CanReceiveInput());
    panel->Hide();
    EXPECT_TRUE(button->Visible());
    EXPECT_FALSE(button->Showing());
    EXPECT_FALSE(Ui().Click(button));
    panel->Show();
    panel->SetEnabled(false);
    EXPECT_FALSE(button->CanReceiveInput());
    EXPECT_FALSE(Ui().Click(button));
}

TEST_F(Controls, DestroyingAParentDestroysItsChildren) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* inner = new TPanel(&form);
    inner->SetParent(panel);
    auto* button = new TButton(&form);
    button->SetParent(inner);
    EXPECT_EQ(form.ComponentCount(), 3);
    delete panel;
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_EQ(form.ControlCount(), 0);

    // A child freed on its own leaves its parent's list.
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    delete label;
    EXPECT_EQ(form.ControlCount(), 0);
    EXPECT_THROW(form.SetParent(&form), EInvalidOperation);
}

TEST_F(Controls, ProgressBarKeepsPositionInRange) {
    TProgressBar bar(nullptr);
    bar.SetPosition(150);
    EXPECT_EQ(bar.Position(), 100);
    bar.SetPosition(-1);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetMax(200);
    bar.SetPosition(101);
    EXPECT_EQ(bar.Percent(), 50);  // 50.5 rounds to even
    bar.SetMax(0);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.Percent(), 0);  // empty range
    bar.SetMax(10);
    bar.SetStep(3);
    bar.StepIt();
    bar.StepIt();
    EXPECT_EQ(bar.Position(), 6);
}

TEST_F(Controls, AcceleratorsAndBitButtonKinds) {
    EXPECT_EQ(StripAccelerator("< &Back"), "< Back");
    EXPECT_EQ(StripAccelerator("Fish && &Chips"), "Fish & Chips");
    EXPECT_EQ(AcceleratorOf("&Next >"), 'N');
    EXPECT_EQ(AcceleratorOf("Fish && Chips"), 0);
    EXPECT_EQ(AcceleratorOf("Trailing&"), 0);

    TBitBtn b(nullptr);
    b.SetKind(TBitBtnKind::bkCancel);
    EXPECT_EQ(b.Caption(), "Cancel");
    EXPECT_EQ(b.ModalResult(), mrCancel);
    EXPECT_TRUE(b.Cancel());
    EXPECT_TRUE(b.Glyph()->Empty());
}

TEST_F(Controls, RadioGroupItemsAndIndex) {
    TForm form(nullptr);
    ReadComponentFromText(&form, R"(object F: TForm
  object G: TRadioGroup
    Caption = 'Type'
    ItemIndex = 1
    Items.Strings = (
      'Full'
      'Compact')
  end
end
)",
                          "test");
    auto* g = dynamic_cast<TRadioGroup*>(form.FindComponent("G"));
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->Items()->Count(), 2);
    EXPECT_EQ(g->ItemIndex(), 1);  // set before the items were read
    int clicks = 0;
    g->OnClick = [&](TObject*) { ++clicks; };
    g->SetItemIndex(5);
    EXPECT_EQ(g->ItemIndex(), 1);
    g->SetItemIndex(0);
    EXPECT_EQ(clicks, 1);
    g->Items()->Clear();
    EXPECT_EQ(g->ItemIndex(), -1);
}

TEST_F(Controls, FormClientSizeAndCentring) {
    TForm form(nullptr);
    form.SetBorderStyle(TFormBorderStyle::bsDialog);
    form.SetClientWidth(546);
    form.SetClientHeight(342);
    EXPECT_EQ(form.ClientWidth(), 546);
    EXPECT_GT(form.Width(), 546);
    form.SetBorderStyle(TFormBorderStyle::bsNone);
    EXPECT_EQ(form.ClientWidth(), 546);  // the client area is kept
    EXPECT_EQ(form.Width(), 546);
    form.SetPosition(TPosition::poScreenCenter);
    form.Show();
    EXPECT_EQ(form.Left(), (Screen->Width() - 546) / 2);
}

TEST(ApplicationTitle, FileNameUpToFirstDotFirstCharacterKept) {
    EXPECT_EQ(ApplicationTitleFromPath("C:\\SETUP\\SETUP.EXE"), "Setup");
    EXPECT_EQ(ApplicationTitleFromPath("d:\\x.y\\setup.exe"), "setup");
    EXPECT_EQ(ApplicationTitleFromPath("C:\\A\\INSTALL.BAK.EXE"), "Install");
    EXPECT_EQ(ApplicationTitleFromPath("C:\\A\\sETUP"), "setup");
    EXPECT_EQ(ApplicationTitleFromPath("Z:/home/u/QSetup.exe"), "Qsetup");
    EXPECT_EQ(ApplicationTitleFromPath("C:\\A\\.EXE"), "");
    EXPECT_EQ(ApplicationTitleFromPath("X"), "X");
}

// A 2x2 24-bit BMP: rows bottom-up, each padded to 4 bytes.
std::vector<std::uint8_t> SmallBmp() {
    std::vector<std::uint8_t> v = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                                   1, 0, 24, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    // bottom row: blue, green; top row: red, white
    std::vector<std::uint8_t> px = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    v.insert(v.end(), px.begin(), px.end());
    return v;
}

TEST(Bitmaps, ReadsBmpAndPictureData) {
    TBitmap bmp;
    auto data = SmallBmp();
    bmp.LoadFromBmp(data.data(), data.size());
    EXPECT_EQ(bmp.Width(), 2);
    EXPECT_EQ(bmp.Height(), 2);
    EXPECT_EQ(bmp.PixelRGB(0, 0), 0xFF0000u);  // top left red
    EXPECT_EQ(bmp.PixelRGB(1, 0), 0xFFFFFFu);
    EXPECT_EQ(bmp.PixelRGB(0, 1), 0x0000FFu);
    EXPECT_EQ(bmp.PixelRGB(1, 1), 0x00FF00u);
    auto saved = bmp.SaveToBmp();
    EXPECT_EQ(std::vector<std::uint8_t>(saved.begin() + 54, saved.end()),
              std::vector<std::uint8_t>(data.begin() + 54, data.end()));
    TBitmap again;
    again.LoadFromBmp(saved.data(), saved.size());
    EXPECT_EQ(again.Pixels(), bmp.Pixels());

    // Description data: class name, 32-bit length, image.
    std::vector<std::uint8_t> pic(data.size() + 12);
    const std::uint8_t head[12] = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', std::uint8_t(data.size()), 0, 0, 0};
    std::copy(std::begin(head), std::end(head), pic.begin());
    std::copy(data.begin(), data.end(), pic.begin() + 12);
    TPicture picture;
    picture.SetData(pic);
    EXPECT_EQ(picture.Width(), 2);

    // Broken images are refused, never read past the end.
    for (std::size_t cut : {std::size_t(10), std::size_t(54), data.size() - 1}) {
        TBitmap b;
        EXPECT_THROW(b.LoadFromBmp(data.data(), cut), EInvalidGraphic) << cut;
    }
    auto huge = data;
    huge[18] = 0xFF;
    huge[19] = 0xFF;  // width 65535 with 16 bytes of pixels
    EXPECT_THROW(bmp.LoadFromBmp(huge.data(), huge.size()), EInvalidGraphic);
    std::vector<std::uint8_t> badLen = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', 0xFF, 0xFF, 0, 0};
    EXPECT_THROW(picture.SetData(badLen), EInvalidGraphic);
    std::vector<std::uint8_t> otherClass = {4, 'T', 'I', 'c', 'o'};
    EXPECT_THROW(picture.SetData(otherClass), EInvalidGraphic);
}

TEST_F(Controls, ImageReadsPictureFromTheDescription) {
    TForm form(nullptr);
    auto data = SmallBmp();
    std::string hex;
    const char* digits = "0123456789ABCDEF";
    std::vector<std::uint8_t> pic(data.size() + 12);
    const std::uint8_t head[12] = {7, 'T', 'B', 'i', 't', 'm', 'a', 'p', std::uint8_t(data.size()), 0, 0, 0};
    std::copy(std::begin(head), std::end(head), pic.begin());
    std::copy(data.begin(), data.end(), pic.begin() + 12);
    for (auto b : pic) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    ReadComponentFromText(&form, "object F: TForm\n  object I: TImage\n    AutoSize = True\n    Picture.Data = {\n      " +
                                     hex + "}\n  end\nend\n",
                          "test");
    auto* img = dynamic_cast<TImage*>(form.FindComponent("I"));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->Picture()->Width(), 2);
    EXPECT_EQ(img->Width(), 2);  // auto-sized once loaded
}

}  // namespace
