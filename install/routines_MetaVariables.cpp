#include "install/routines_MetaVariables.h"

#include <cctype>

#include "framework/paths.h"
#include "install/cmp_TInstallContainer.h"
#include "install/routines_Destinations.h"
#include "localisation/cmp_TTranslator.h"

std::string ExpandMetaVariables(const std::string& text, TBaseHelperComponent* component) {
    std::string out;
    bool pending = false;
    for (char ch : text) {
        if (!pending) {
            if (ch == '%')
                pending = true;
            else
                out += ch;
            continue;
        }
        pending = false;
        switch (std::tolower(static_cast<unsigned char>(ch))) {
        case '%':
            out += '%';
            break;
        case 'a':
            if (!component)
                throw EAICannotExpandContainerDirMV(
                    TranslateText("Cannot expand the %a meta variable because the component is Nil"));
            out += RemoveTrailingBackslash(component->GetDestDir());
            break;
        case 'b':
            out += RemoveTrailingBackslash(GetProgramsDir());
            break;
        case 'c':
            if (!component)
                throw EAICannotExpandContainerDirMV(
                    TranslateText("Cannot expand the %c meta variable because the component is Nil"));
            if (!component->Container())
                throw EAICannotExpandContainerDirMV(
                    TranslateText("Cannot expand the %c meta variable because the Container property is Nil"));
            out += RemoveTrailingBackslash(component->Container()->GetDestDir());
            break;
        case 'd':
            out += RemoveTrailingBackslash(GetDesktopDir());
            break;
        case 'f':
            out += RemoveTrailingBackslash(GetCommonFilesDir());
            break;
        case 'i':
            if (!MainInstall)
                throw EAICannotExpandInstallDirMV(
                    TranslateText("Cannot expand the %i meta variable because there is no TInstall component"));
            out += RemoveTrailingBackslash(MainInstall->GetDestDir());
            break;
        case 'm':
            out += RemoveTrailingBackslash(GetStartMenuDir());
            break;
        case 'p':
            out += RemoveTrailingBackslash(GetProgramFilesDir());
            break;
        case 's':
            out += RemoveTrailingBackslash(SystemDir);
            break;
        case 'w':
            out += RemoveTrailingBackslash(WindowsDir);
            break;
        default:
            break;  // names no expansion: dropped with its percent sign
        }
    }
    return out;
}
