// The win32 backend with real windows (under Wine in CI): a radio group's buttons, chosen
// by mouse and keyboard as in a dialog, and the focus rule with the system's own focus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/startup.h"
#include "framework/stdctrls.h"
#include "framework/ui/backend.h"

// After the framework's headers, whose names some of its macros would replace.
#include <windows.h>

namespace {

const char* kForm = R"(object Choice: TForm
  Caption = 'Choice'
  BorderIcons = [biSystemMenu]
  ClientWidth = 240
  ClientHeight = 150
  object Kind: TRadioGroup
    Left = 8
    Top = 8
    Width = 150
    Height = 100
    Caption = 'Installation'
    ItemIndex = 0
    Items.Strings = ('&Full' 'Compact' 'Custom')
    TabOrder = 0
  end
  object OkBtn: TButton
    Left = 165
    Top = 16
    Width = 70
    Height = 24
    Caption = 'OK'
    TabOrder = 1
  end
  object NextBtn: TButton
    Left = 165
    Top = 48
    Width = 70
    Height = 24
    Caption = 'Next'
    TabOrder = 2
  end
end
)";

class Win32Backend : public testing::Test {
protected:
    void SetUp() override {
        InitApplication();
        Application->Reset();
        ui::SetBackend(ui::CreateDefaultBackend());
        form_ = new TForm(Application);
        ReadComponentFromText(form_, kForm, "choice");
        kind_ = dynamic_cast<TRadioGroup*>(form_->FindComponent("Kind"));
        kind_->OnClick = [this](TObject*) { clicks_.push_back(kind_->ItemIndex()); };
        form_->Show();
        Pump();
    }
    void TearDown() override {
        Application->Reset();
        ui::SetBackend(nullptr);
    }
    static void Pump() {
        for (int i = 0; i < 5; ++i) {
            Application->ProcessMessages();
            Sleep(10);
        }
    }
    // A key as the keyboard delivers it: to the window with the focus, through the queue.
    static void Press(WPARAM key) {
        HWND focus = GetFocus();
        ASSERT_NE(focus, nullptr);
        PostMessageA(focus, WM_KEYDOWN, key, 1);
        PostMessageA(focus, WM_KEYUP, key, 0xC0000001);
        Pump();
    }
    std::vector<HWND> Buttons() const {
        std::vector<HWND> out;
        HWND group = static_cast<HWND>(kind_->BackendData);
        for (HWND c = GetWindow(group, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            char cls[32] = {};
            GetClassNameA(c, cls, sizeof cls);
            LONG style = GetWindowLongA(c, GWL_STYLE);
            if (lstrcmpiA(cls, "BUTTON") == 0 && (style & 0xF) == BS_AUTORADIOBUTTON) out.push_back(c);
        }
        return out;
    }
    std::vector<bool> Checks() const {
        std::vector<bool> out;
        for (HWND b : Buttons()) out.push_back(SendMessageA(b, BM_GETCHECK, 0, 0) == BST_CHECKED);
        return out;
    }
    static std::string Text(HWND w) {
        char buf[64] = {};
        GetWindowTextA(w, buf, sizeof buf);
        return buf;
    }
    std::string Focused() const { return form_->ActiveControl() ? form_->ActiveControl()->Name() : "(none)"; }

    TForm* form_ = nullptr;
    TRadioGroup* kind_ = nullptr;
    std::vector<int> clicks_;
};

TEST_F(Win32Backend, RadioGroupShowsItsButtonsAndTakesMouseAndKeyboard) {
    std::vector<HWND> buttons = Buttons();
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(Text(buttons[0]), "&Full");
    EXPECT_EQ(Text(buttons[2]), "Custom");
    for (HWND b : buttons) EXPECT_TRUE(IsWindowVisible(b));
    RECT first, last, group;
    GetWindowRect(buttons[0], &first);
    GetWindowRect(buttons[2], &last);
    GetWindowRect(static_cast<HWND>(kind_->BackendData), &group);
    EXPECT_LT(first.top, last.top);  // one column, top down, inside the frame
    EXPECT_GE(first.top, group.top + 8);
    EXPECT_LE(last.bottom, group.bottom);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));

    // The group has the focus at its checked button; the arrow keys move the check.
    EXPECT_EQ(Focused(), "Kind");
    EXPECT_EQ(GetFocus(), buttons[0]);
    Press(VK_DOWN);
    EXPECT_EQ(kind_->ItemIndex(), 1);
    EXPECT_EQ(GetFocus(), buttons[1]);
    Press(VK_DOWN);
    Press(VK_UP);
    EXPECT_EQ(kind_->ItemIndex(), 1);
    EXPECT_EQ(Checks(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(clicks_, (std::vector<int>{1, 2, 1}));

    // Tab leaves the group for the next control, and the form knows it.
    Press(VK_TAB);
    EXPECT_EQ(Focused(), "OkBtn");

    // A mouse click on a button; and the program's own choice shows on the buttons.
    SendMessageA(buttons[2], BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(kind_->ItemIndex(), 2);
    EXPECT_EQ(Focused(), "Kind");
    kind_->SetItemIndex(0);
    EXPECT_EQ(Checks(), (std::vector<bool>{true, false, false}));

    // Disabled with the group, the buttons take no input.
    kind_->SetEnabled(false);
    for (HWND b : Buttons()) EXPECT_FALSE(IsWindowEnabled(b));
}

TEST_F(Win32Backend, AFocusedButtonThatIsDisabledHandsTheFocusOn) {
    auto* ok = dynamic_cast<TButton*>(form_->FindComponent("OkBtn"));
    auto* next = dynamic_cast<TButton*>(form_->FindComponent("NextBtn"));
    ok->OnClick = [ok](TObject*) { ok->SetEnabled(false); };
    ok->SetFocus();
    Pump();
    ASSERT_EQ(GetFocus(), static_cast<HWND>(ok->BackendData));
    Press(VK_SPACE);
    EXPECT_FALSE(ok->Enabled());
    EXPECT_EQ(Focused(), "NextBtn");
    EXPECT_EQ(GetFocus(), static_cast<HWND>(next->BackendData));
}

}  // namespace
