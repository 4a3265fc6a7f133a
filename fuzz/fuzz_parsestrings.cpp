// Fuzz target for the language-text parser: any text either parses into well-formed
// elements or raises Exception and leaves the language without elements.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "localisation/cmp_TTranslator.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TTranslator* translator = new TTranslator(nullptr);
    TLanguage* lang = translator->lgGerman();
    std::string text(reinterpret_cast<const char*>(data), size);
    bool failed = false;
    try {
        TStringList lines;
        lines.SetText(text);
        lang->SetStrings(&lines);
    } catch (const Exception&) {
        failed = true;
    }
    Check(lang->AutoParse());
    if (failed) {
        Check(lang->StringItems().empty() && lang->MemoItems().empty());
        return 0;
    }
    TLangFormatStrings* s = lang->Strings();
    for (TLanguageString* e : lang->StringItems()) {
        Check(e->Language == lang);
        Check(e->LineIndex >= 0 && e->LineIndex < s->Count());
        Check(!e->Text.empty() && e->Text.size() <= TLanguageString::MaxTextLength);
        Check(e->Text.find(';') == std::string::npos);
        Check(lang->FindStringByGLID(e->GLID) != nullptr);
    }
    for (TLanguageMemo* m : lang->MemoItems()) {
        Check(m->LineIndex >= 0 && m->LineIndex < s->Count());
        Check(Trim(s->Get(m->LineIndex))[0] == '#');
        for (int i = 0; i < m->Lines.Count(); ++i) Check(!m->Lines[i].empty() && m->Lines[i][0] != '*');
    }
    // Lines arriving one by one end in the same elements as one assignment.
    std::size_t strings = lang->StringItems().size(), memos = lang->MemoItems().size();
    try {
        s->SetText(text);
    } catch (const Exception&) {
        std::abort();
    }
    Check(lang->StringItems().size() == strings && lang->MemoItems().size() == memos);
    return 0;
}
