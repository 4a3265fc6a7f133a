// Message boxes as the framework and its backends speak of them: the modal result a
// form or a box ends with, the kinds and buttons of a message dialog, the Win32 message
// box flags and answers, and the request a backend shows.
#pragma once
#include <string>
#include <vector>

#include "framework/objects.h"

// How a modal form or a message box was closed.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;
constexpr TModalResult mrAll = 8;

enum class TMsgDlgType : std::uint8_t { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum class TMsgDlgBtn : std::uint8_t { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons operator|(TMsgDlgBtn a, TMsgDlgBtn b) { return TMsgDlgButtons{a, b}; }
constexpr TMsgDlgButtons operator|(TMsgDlgButtons a, TMsgDlgBtn b) { return a | TMsgDlgButtons{b}; }
constexpr TMsgDlgButtons mbYesNoCancel{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel};
constexpr TMsgDlgButtons mbOKCancel{TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel};
constexpr TMsgDlgButtons mbYesNo{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};

// The modal result a button answers with (mrNone for Help).
TModalResult ModalResultOf(TMsgDlgBtn b);

// Win32 message box flags and answers, as MessageBox takes and returns them.
constexpr unsigned MbOk = 0x0, MbOkCancel = 0x1, MbYesNoCancel = 0x3, MbYesNo = 0x4;
constexpr unsigned MbIconError = 0x10, MbIconQuestion = 0x20, MbIconWarning = 0x30, MbIconInformation = 0x40;
constexpr unsigned MbDefButton2 = 0x100, MbDefButton3 = 0x200;
constexpr int IdOk = 1, IdCancel = 2, IdAbort = 3, IdRetry = 4, IdIgnore = 5, IdYes = 6, IdNo = 7;

namespace ui {

struct TMessageBoxRequest {
    std::string text;
    std::string caption;
    TMsgDlgType type = TMsgDlgType::mtCustom;  // mtCustom: no icon
    TMsgDlgButtons buttons{TMsgDlgBtn::mbOK};
    TMsgDlgBtn defaultButton = TMsgDlgBtn::mbOK;
    TMsgDlgBtn escapeButton = TMsgDlgBtn::mbOK;
};

// Turns Win32 message box flags into a request, and an answer back into the id.
TMessageBoxRequest RequestFromFlags(const std::string& text, const std::string& caption, unsigned flags);
int IdFromModalResult(TModalResult r);
// The buttons of a request in display order.
std::vector<TMsgDlgBtn> ButtonsInOrder(const TMsgDlgButtons& b);
std::string ButtonCaption(TMsgDlgBtn b);  // "&Yes", "&No", "OK", "Cancel", ...

}  // namespace ui
