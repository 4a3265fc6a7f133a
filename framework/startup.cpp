#include "framework/startup.h"

#include "framework/bitmap.h"
#include "framework/buttons.h"
#include "framework/comctrls.h"
#include "framework/controls.h"
#include "framework/dialogs.h"
#include "framework/extctrls.h"
#include "framework/formreader.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/stdctrls.h"
#include "platform/system.h"

namespace {

// A control read from a form description lies on the windowed control that encloses it.
void ParentChild(TComponent* parent, TComponent* child) {
    auto* c = dynamic_cast<TControl*>(child);
    auto* p = dynamic_cast<TWinControl*>(parent);
    if (c && p) c->SetParent(p);
}

}  // namespace

void RegisterFrameworkClasses() {
    RegisterClasses({&TControl::StaticClass(), &TWinControl::StaticClass(), &TGraphicControl::StaticClass(),
                     &TForm::StaticClass(), &TLabel::StaticClass(), &TButton::StaticClass(), &TCheckBox::StaticClass(),
                     &TBitBtn::StaticClass(), &TEdit::StaticClass(), &TMemo::StaticClass(),
                     &TGroupBox::StaticClass(), &TScrollBar::StaticClass(), &TRadioGroup::StaticClass(),
                     &TPanel::StaticClass(), &TBevel::StaticClass(), &TImage::StaticClass(),
                     &TTimer::StaticClass(), &TProgressBar::StaticClass(), &TTabSheet::StaticClass(),
                     &TPageControl::StaticClass(), &TOpenDialog::StaticClass(), &TFont::StaticClass(),
                     &TBitmap::StaticClass(), &TPicture::StaticClass()});
}

void InitApplication() {
    RegisterFrameworkClasses();
    SetChildAddedHook(&ParentChild);
    CreateApplication();
}

