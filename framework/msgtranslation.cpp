#include "framework/msgtranslation.h"

namespace {
TMessageTranslator messageTranslator = nullptr;
}

void SetMessageTranslator(TMessageTranslator translator) { messageTranslator = translator; }

std::string TranslateText(const std::string& message) {
    return messageTranslator ? messageTranslator(message) : message;
}
