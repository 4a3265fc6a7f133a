#include "framework/ui/messagebox.h"

TModalResult ModalResultOf(TMsgDlgBtn b) {
    switch (b) {
        case TMsgDlgBtn::mbYes: return mrYes;
        case TMsgDlgBtn::mbNo: return mrNo;
        case TMsgDlgBtn::mbOK: return mrOk;
        case TMsgDlgBtn::mbCancel: return mrCancel;
        case TMsgDlgBtn::mbAbort: return mrAbort;
        case TMsgDlgBtn::mbRetry: return mrRetry;
        case TMsgDlgBtn::mbIgnore: return mrIgnore;
        case TMsgDlgBtn::mbAll: return mrAll;
        case TMsgDlgBtn::mbHelp: break;
    }
    return mrNone;
}

namespace ui {

TMessageBoxRequest RequestFromFlags(const std::string& text, const std::string& caption, unsigned flags) {
    TMessageBoxRequest r;
    r.text = text;
    r.caption = caption;
    switch (flags & 0xF0) {
        case MbIconError: r.type = TMsgDlgType::mtError; break;
        case MbIconQuestion: r.type = TMsgDlgType::mtConfirmation; break;
        case MbIconWarning: r.type = TMsgDlgType::mtWarning; break;
        case MbIconInformation: r.type = TMsgDlgType::mtInformation; break;
        default: r.type = TMsgDlgType::mtCustom; break;
    }
    std::vector<TMsgDlgBtn> order;
    switch (flags & 0xF) {
        case MbOkCancel: order = {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}; break;
        case 0x2: order = {TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbIgnore}; break;
        case MbYesNoCancel: order = {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}; break;
        case MbYesNo: order = {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}; break;
        case 0x5: order = {TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbCancel}; break;
        default: order = {TMsgDlgBtn::mbOK}; break;
    }
    r.buttons = TMsgDlgButtons{};
    for (TMsgDlgBtn b : order) r.buttons.Include(b);
    std::size_t def = (flags >> 8) & 0xF;
    r.defaultButton = order[def < order.size() ? def : 0];
    // Esc answers Cancel when there is one; a box with one button closes with it. Win32's
    // own Yes/No box ignores Esc; this one answers No, as a question's safe answer.
    if (r.buttons.Contains(TMsgDlgBtn::mbCancel)) r.escapeButton = TMsgDlgBtn::mbCancel;
    else if (r.buttons.Contains(TMsgDlgBtn::mbNo)) r.escapeButton = TMsgDlgBtn::mbNo;
    else if (r.buttons.Contains(TMsgDlgBtn::mbIgnore)) r.escapeButton = TMsgDlgBtn::mbIgnore;
    else r.escapeButton = order.front();
    return r;
}

int IdFromModalResult(TModalResult r) {
    switch (r) {
        case mrOk: return IdOk;
        case mrCancel: return IdCancel;
        case mrAbort: return IdAbort;
        case mrRetry: return IdRetry;
        case mrIgnore: return IdIgnore;
        case mrYes: return IdYes;
        case mrNo: return IdNo;
        default: return 0;
    }
}

std::vector<TMsgDlgBtn> ButtonsInOrder(const TMsgDlgButtons& b) {
    std::vector<TMsgDlgBtn> out;
    for (TMsgDlgBtn x : {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel,
                         TMsgDlgBtn::mbAbort, TMsgDlgBtn::mbRetry, TMsgDlgBtn::mbIgnore, TMsgDlgBtn::mbAll,
                         TMsgDlgBtn::mbHelp})
        if (b.Contains(x)) out.push_back(x);
    return out;
}

std::string ButtonCaption(TMsgDlgBtn b) {
    switch (b) {
        case TMsgDlgBtn::mbYes: return "&Yes";
        case TMsgDlgBtn::mbNo: return "&No";
        case TMsgDlgBtn::mbOK: return "OK";
        case TMsgDlgBtn::mbCancel: return "Cancel";
        case TMsgDlgBtn::mbAbort: return "&Abort";
        case TMsgDlgBtn::mbRetry: return "&Retry";
        case TMsgDlgBtn::mbIgnore: return "&Ignore";
        case TMsgDlgBtn::mbAll: return "&All";
        case TMsgDlgBtn::mbHelp: return "&Help";
    }
    return "";
}

}  // namespace ui
