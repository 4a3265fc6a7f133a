#include "localisation/cmp_TTranslateControls.h"

ZARN_DEFINE_CLASS(TTranslateLabel, TLabel, [](TClassBuilder<TTranslateLabel>& b) {
    b.Int("GLID", &TTranslateLabel::GLID, &TTranslateLabel::SetGLID).Creatable();
})

ZARN_DEFINE_CLASS(TTranslateBitBtn, TBitBtn, [](TClassBuilder<TTranslateBitBtn>& b) {
    b.Int("GLID", &TTranslateBitBtn::GLID, &TTranslateBitBtn::SetGLID).Creatable();
})
