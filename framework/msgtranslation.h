// Translation of the library's messages for units below the translator. The translator
// registers its lookup here at start-up; until then (and in programs without one) a
// message stays as written.
#pragma once
#include <string>

using TMessageTranslator = std::string (*)(const std::string& message);
void SetMessageTranslator(TMessageTranslator translator);
// The message in the current language, or `message` itself without a translator.
std::string TranslateText(const std::string& message);
