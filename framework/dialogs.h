// Common dialogs: the open-file dialog, and message dialogs.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "framework/classes.h"
#include "framework/ui/messagebox.h"

enum class TOpenOption : std::uint8_t {
    ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate,
    ofAllowMultiSelect, ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt,
    ofShareAware, ofNoReadOnlyReturn, ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames,
    ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify, ofEnableSizing
};
using TOpenOptions = TSet<TOpenOption>;

// The common open-file dialog. Filter is "Description|pattern[|Description|pattern...]".
class TOpenDialog : public TComponent {
    ZARN_CLASS(TOpenDialog, TComponent)
public:
    explicit TOpenDialog(TComponent* owner);
    ~TOpenDialog() override;
    std::string Title() const { return title_; }
    void SetTitle(const std::string& s) { title_ = s; }
    std::string Filter() const { return filter_; }
    void SetFilter(const std::string& s) { filter_ = s; }
    int FilterIndex() const { return filterIndex_; }
    void SetFilterIndex(int i) { filterIndex_ = i; }
    std::string InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& s) { initialDir_ = s; }
    std::string FileName() const { return fileName_; }
    void SetFileName(const std::string& s) { fileName_ = s; }
    std::string DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& s) { defaultExt_ = s; }
    TOpenOptions Options() const { return options_; }
    void SetOptions(TOpenOptions o) { options_ = o; }
    // Filter as (description, pattern) pairs.
    std::vector<std::pair<std::string, std::string>> FilterPairs() const;

    // Runs the dialog through the ui backend. True when the user chose a file; FileName
    // is then its full path (and ofReadOnly reflects the read-only check box).
    virtual bool Execute();

    TNotifyEvent OnShow;
    TNotifyEvent OnClose;

private:
    std::string title_, filter_, initialDir_, fileName_, defaultExt_;
    int filterIndex_ = 1;
    TOpenOptions options_{TOpenOption::ofHideReadOnly};
};

// The title a message dialog of that type carries: "Warning", "Error", "Information",
// "Confirm"; a custom one carries the application's title.
std::string MsgDlgTitle(TMsgDlgType type);

// A modal message box with the type's title and icon and the given buttons. The default
// button is the first of Yes, OK, ... in the set; Esc answers Cancel when present, else
// No, else OK. Returns the modal result of the button chosen.
TModalResult MessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpCtx = 0);
// The same with an explicit default button.
TModalResult MessageDlgDef(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, TMsgDlgBtn defaultButton);
// A plain box (no icon, one OK button) titled with the application's title.
void ShowMessage(const std::string& msg);
