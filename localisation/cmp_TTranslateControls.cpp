#include "localisation/cmp_TTranslateControls.h"

#include "framework/msgtranslation.h"
#include "localisation/cmp_TTranslator.h"

ZARN_DEFINE_CLASS(TTranslateLabel, TLabel, [](TClassBuilder<TTranslateLabel>& b) {
    b.Int("GLID", &TTranslateLabel::GLID, &TTranslateLabel::SetGLID).Creatable();
})

ZARN_DEFINE_CLASS(TTranslateBitBtn, TBitBtn, [](TClassBuilder<TTranslateBitBtn>& b) {
    b.Int("GLID", &TTranslateBitBtn::GLID, &TTranslateBitBtn::SetGLID).Creatable();
})

void RegisterLocalisationClasses() {
    RegisterClasses({&TTranslator::StaticClass(), &TTranslateLabel::StaticClass(), &TTranslateBitBtn::StaticClass()});
    // Units below the translator pass their messages through it.
    SetMessageTranslator(&TranslateText);
}
