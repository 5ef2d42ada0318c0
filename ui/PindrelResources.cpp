#include "PindrelResources.h"

#include <QIcon>

#include "AppResources.h"
#include "CollectSourceFiles.h"
#include "MainDialogTemplates.h"
#include "PindrelVersion.h"
#include "Resource.h"
#include "RingIcon.h"
#include "StringTable.h"

void RegisterPindrelResources()
{
    const std::pair<unsigned, const char*> strings[] = {
        { IDS_BUTTON_OK, "&Ok" },
        { IDS_BUTTON_CANCEL, "&Cancel" },
        { IDS_BUTTON_ABORT, "&Abort" },
        { IDS_BUTTON_RETRY, "&Retry" },
        { IDS_BUTTON_IGNORE, "&Ignore" },
        { IDS_BUTTON_YES, "&Yes" },
        { IDS_BUTTON_NO, "&No" },
        { IDS_TITLE_INFORMATION, "Information message" },
        { IDS_TITLE_INTERNAL_ERROR, "Internal error message" },
        { IDS_TITLE_WARNING, "Warning message" },
        { IDS_TITLE_DELETE, "Delete message" },
        { IDS_TITLE_CLOSE, "Close message" },
        { IDS_PROJECTS_NOT_STORED, "The project list could not be stored.\n%1" },
        { IDS_TOO_MANY_PROJECTS,
            "%1 projects are selected, but one calculation can take at most %2.\nDeselect some of them, then "
            "click on Calc again." },
        { IDS_ENTRY_HAS_LINE_BREAK,
            "A directory whose name holds a line break cannot be kept in the project list." },
        { IDS_EXPORT_FAILED, "The HTML export failed.\n%1" },
    };
    for (const auto& [nId, pszText] : strings)
        RegisterString(nId, pszText);
    RegisterString(IDS_NO_VALID_FILES, std::string(NO_VALID_FILES_MESSAGE));

    for (const DlgLanguage language : { DlgLanguage::English, DlgLanguage::French, DlgLanguage::German })
        RegisterDialogTemplate(IDD_MAIN, language, MainDialogTemplate(language));

    RegisterAppIcon(RingIcon());
    RegisterVersionInfo({ "Pindrel", "Simple statistics on your C/C++ code.", "Version " PINDREL_VERSION_SHORT,
        PINDREL_VERSION_BUILD_TEXT, PINDREL_VERSION_FULL });
}
