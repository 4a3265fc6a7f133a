// Controls whose caption can be taken from the target language by text identifier.
// GLID > 0: the caption is the target language's text with that identifier; 0: the
// caption is translated by its wording like any label or button; < 0: left as it is.
#pragma once
#include "framework/buttons.h"
#include "framework/stdctrls.h"

class TTranslateLabel : public TLabel {
    ZARN_CLASS(TTranslateLabel, TLabel)
public:
    explicit TTranslateLabel(TComponent* owner) : TLabel(owner) {}
    int GLID() const { return glid_; }
    void SetGLID(int g) { glid_ = g; }

private:
    int glid_ = 0;
};

class TTranslateBitBtn : public TBitBtn {
    ZARN_CLASS(TTranslateBitBtn, TBitBtn)
public:
    explicit TTranslateBitBtn(TComponent* owner) : TBitBtn(owner) {}
    int GLID() const { return glid_; }
    void SetGLID(int g) { glid_ = g; }

private:
    int glid_ = 0;
};
