#include "framework/dialogs.h"

#include "framework/forms.h"
#include "framework/ui/backend.h"

ZARN_DEFINE_CLASS(TOpenDialog, TComponent, [](TClassBuilder<TOpenDialog>& b) {
    b.Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
        .Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
        .Int("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex)
        .Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
        .Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
        .Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
        .Set("Options",
             {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp", "ofNoValidate",
              "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist", "ofCreatePrompt",
              "ofShareAware", "ofNoReadOnlyReturn", "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames",
              "ofOldStyleDialog", "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"},
             &TOpenDialog::Options, &TOpenDialog::SetOptions)
        .Event("OnShow", &TOpenDialog::OnShow)
        .Event("OnClose", &TOpenDialog::OnClose)
        .Creatable();
})

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}
TOpenDialog::~TOpenDialog() = default;

std::vector<std::pair<std::string, std::string>> TOpenDialog::FilterPairs() const {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : filter_) {
        if (c == '|') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!filter_.empty()) parts.push_back(cur);
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) out.emplace_back(parts[i], parts[i + 1]);
    // A description without a pattern stands for itself.
    if (parts.size() % 2 == 1) out.emplace_back(parts.back(), parts.back());
    return out;
}

bool TOpenDialog::Execute() {
    if (OnShow) OnShow(this);
    bool ok = ui::Backend().ExecuteOpenDialog(this);
    if (OnClose) OnClose(this);
    return ok;
}

std::string MsgDlgTitle(TMsgDlgType type) {
    switch (type) {
        case TMsgDlgType::mtWarning: return "Warning";
        case TMsgDlgType::mtError: return "Error";
        case TMsgDlgType::mtInformation: return "Information";
        case TMsgDlgType::mtConfirmation: return "Confirm";
        case TMsgDlgType::mtCustom: break;
    }
    return Application ? Application->Title() : std::string();
}

namespace {

TMsgDlgButtons Normalise(TMsgDlgButtons b) {
    b.Exclude(TMsgDlgBtn::mbHelp);
    if (b.Empty()) b.Include(TMsgDlgBtn::mbOK);
    return b;
}

TMsgDlgBtn FirstDefault(TMsgDlgButtons b) {
    for (TMsgDlgBtn x : {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbYes, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbAbort,
                         TMsgDlgBtn::mbAll, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbCancel})
        if (b.Contains(x)) return x;
    return TMsgDlgBtn::mbOK;
}

TMsgDlgBtn EscapeOf(TMsgDlgButtons b) {
    if (b.Contains(TMsgDlgBtn::mbCancel)) return TMsgDlgBtn::mbCancel;
    if (b.Contains(TMsgDlgBtn::mbNo)) return TMsgDlgBtn::mbNo;
    if (b.Contains(TMsgDlgBtn::mbOK)) return TMsgDlgBtn::mbOK;
    return FirstDefault(b);
}

}  // namespace

TModalResult MessageDlgDef(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn defaultButton) {
    ui::TMessageBoxRequest r;
    r.text = msg;
    r.caption = MsgDlgTitle(type);
    r.type = type;
    r.buttons = Normalise(buttons);
    r.defaultButton = r.buttons.Contains(defaultButton) ? defaultButton : FirstDefault(r.buttons);
    r.escapeButton = EscapeOf(r.buttons);
    return ui::Backend().MessageBox(r);
}

TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int) {
    return MessageDlgDef(msg, type, buttons, FirstDefault(Normalise(buttons)));
}

void ShowMessage(const std::string& msg) { MessageDlg(msg, TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK}); }
