// Reading form descriptions in the text syntax:
//
//   object MainForm: TMainForm
//     Caption = 'Setup'#13#10'second line'
//     Font.Name = 'Arial'
//     OnShow = FormShow
//     object Label1: TLabel
//       Lines.Strings = ( 'a' 'b' )
//     end
//   end
//
// The root object of the description is an existing component (a form constructed in
// code); every nested object is created by class name, owned by the root, named, bound to
// the root's published field of that name and handed to the child-added hook together
// with the enclosing object, in description order.
#pragma once
#include <string>

#include "framework/classes.h"

// A malformed description: the message names the source, the line and what was expected.
class EParserError : public EReadError {
public:
    EParserError(const std::string& message, std::string sourceName, int line)
        : EReadError(message), SourceName(std::move(sourceName)), Line(line) {}
    std::string SourceName;
    int Line;
};

// Called for every child object right after it was created and named (before its own
// properties are read), with the object that encloses it in the description. The
// controls use it to set `Parent`.
using TChildAddedHook = void (*)(TComponent* parent, TComponent* child);
void SetChildAddedHook(TChildAddedHook hook);
TChildAddedHook GetChildAddedHook();

// Identifiers that Integer properties accept besides numbers (colours such as
// `clBtnFace`, charsets such as `DEFAULT_CHARSET`). The standard colour and charset
// names are known from the start.
void RegisterIntegerIdent(const std::string& ident, long long value);
bool IdentToInt(const std::string& ident, long long& value);

// Reads `text` into `root`. While reading, the root and every component created are in
// the loading state; property setters run in description order; component references
// and event handlers (published methods of the root's class) are bound after the whole
// text was read; then every component's Loaded runs once, the root's first.
// On any error an EParserError is thrown and every component this read created is freed
// (the root itself stays).
void ReadComponentFromText(TComponent* root, const std::string& text, const std::string& sourceName);

// Reads the embedded resource `resourceName` (tried with ".dfm" appended first) into
// `root`; false when there is no such resource.
bool InitInheritedComponent(TComponent* root, const std::string& resourceName);
