#include "MainDialogTemplates.h"

#include "Resource.h"

namespace {

using C = DlgControlClass;

constexpr bool BORDER = true;
constexpr bool TABSTOP = true;

DialogTemplate englishTemplate()
{
    DialogTemplate dlg;
    dlg.csCaption = "Velkor Pindrel";
    dlg.csFontFace = "MS Sans Serif";
    dlg.nPointSize = 8;
    dlg.cx = 337;
    dlg.cy = 278;
    dlg.items = {
        { IDC_HINT_FRAME, "IDC_HINT_FRAME", C::Static, 7, 4, 323, 24, "", BORDER, false },
        { IDC_HINT_TEXT, "IDC_HINT_TEXT", C::Static, 12, 7, 312, 19,
            "Add all your source directories in the projects list. Select them, then click on the Calc button.\n"
            "Pindrel scan the .c* and .h* files.",
            false, false },
        { IDC_STATIC, "IDC_STATIC_PROJECTS", C::GroupBox, 7, 33, 266, 114, " &Projects : ", false, false },
        { IDC_STATIC, "IDC_STATIC_DIRECTORIES", C::Static, 17, 47, 46, 8, "&Directories :", false, false },
        { IDC_DIRECTORY, "IDC_DIRECTORY", C::Edit, 17, 57, 157, 12, "", BORDER, TABSTOP },
        { IDC_BROWSE, "IDC_BROWSE", C::PushButton, 177, 57, 14, 12, "...", false, TABSTOP },
        { IDC_PROJECTS, "IDC_PROJECTS", C::ListBox, 17, 76, 175, 61, "", BORDER, TABSTOP },
        { IDC_ADD, "IDC_ADD", C::PushButton, 203, 57, 60, 12, "&Add", false, TABSTOP },
        { IDC_UPDATE, "IDC_UPDATE", C::PushButton, 203, 74, 60, 12, "&Update", false, TABSTOP },
        { IDC_DELETE, "IDC_DELETE", C::PushButton, 203, 92, 60, 12, "De&lete", false, TABSTOP },
        { IDC_SELECT_ALL, "IDC_SELECT_ALL", C::PushButton, 203, 108, 60, 12, "&Select All", false, TABSTOP },
        { IDC_DESELECT_ALL, "IDC_DESELECT_ALL", C::PushButton, 203, 126, 60, 12, "D&eselect All", false, TABSTOP },
        { IDC_CALC, "IDC_CALC", C::PushButton, 280, 38, 50, 14, "&Calc !", false, TABSTOP },
        { 1, "IDOK", C::DefPushButton, 280, 76, 50, 14, "Cl&ose", false, TABSTOP },
        { IDC_HTML_EXPORT, "IDC_HTML_EXPORT", C::PushButton, 280, 133, 50, 14, "Html export...", false, TABSTOP },
        { IDC_RESULTS, "IDC_RESULTS", C::ListView, 7, 155, 323, 95, "List1", BORDER, TABSTOP },
        { IDC_STATIC, "IDC_STATIC_ALL_PROJECTS", C::Static, 7, 254, 43, 8, "All projects :", false, false },
        { IDC_PROGRESS_ALL, "IDC_PROGRESS_ALL", C::Progress, 7, 264, 225, 11, "Progress1", BORDER, false },
        { IDC_STATIC, "IDC_STATIC_CURRENT_PROJECT", C::Static, 238, 254, 93, 8, "Current project :", false, false },
        { IDC_PROGRESS_PROJECT, "IDC_PROGRESS_PROJECT", C::Progress, 238, 264, 92, 11, "Progress1", BORDER, false },
        { IDC_ABOUT, "IDC_ABOUT", C::PushButton, 280, 57, 50, 14, "A&bout...", false, TABSTOP },
    };
    return dlg;
}

DlgItemTemplate& itemNamed(DialogTemplate& dlg, std::string_view csName)
{
    for (DlgItemTemplate& item : dlg.items) {
        if (csName == item.pszName)
            return item;
    }
    return dlg.items.front(); // every name below exists in the English template
}

DialogTemplate frenchTemplate()
{
    DialogTemplate dlg = englishTemplate();
    itemNamed(dlg, "IDC_HINT_TEXT").csText
        = "Ajoutez tous vos répertoires de sources à la liste des projets. Sélectionnez les et appuyez sur le "
          "bouton Calculer. Pindrel étudie tous les fichiers .c* and .h*.";
    itemNamed(dlg, "IDC_STATIC_PROJECTS").csText = " Projets : ";
    DlgItemTemplate& label = itemNamed(dlg, "IDC_STATIC_DIRECTORIES");
    label.csText = "&Répertoires :";
    label.cx = 48;
    const std::pair<const char*, const char*> buttons[] = {
        { "IDC_ADD", "&Ajouter" },
        { "IDC_UPDATE", "&Modifier" },
        { "IDC_DELETE", "&Supprimer" },
        { "IDC_SELECT_ALL", "&Tout sélectionner" },
        { "IDC_DESELECT_ALL", "Tout &déselectionner" },
    };
    for (const auto& [pszName, pszText] : buttons) {
        DlgItemTemplate& button = itemNamed(dlg, pszName);
        button.csText = pszText;
        button.x = 198;
        button.cx = 71;
    }
    itemNamed(dlg, "IDC_CALC").csText = "&Calculer !";
    itemNamed(dlg, "IDOK").csText = "&Fermer";
    itemNamed(dlg, "IDC_HTML_EXPORT").csText = "Export Html...";
    itemNamed(dlg, "IDC_ABOUT").csText = "A propos...";
    itemNamed(dlg, "IDC_RESULTS").y = 154;
    return dlg;
}

DialogTemplate germanTemplate()
{
    DialogTemplate dlg = englishTemplate();
    itemNamed(dlg, "IDC_HTML_EXPORT").csText = "Html Export...";
    const std::pair<const char*, int> rows[] = {
        { "IDC_STATIC_PROJECTS", 35 },
        { "IDC_STATIC_DIRECTORIES", 49 },
        { "IDC_DIRECTORY", 59 },
        { "IDC_BROWSE", 59 },
        { "IDC_PROJECTS", 78 },
        { "IDC_ADD", 59 },
        { "IDC_UPDATE", 76 },
        { "IDC_DELETE", 94 },
        { "IDC_SELECT_ALL", 110 },
        { "IDC_DESELECT_ALL", 127 },
        { "IDC_CALC", 39 },
        { "IDOK", 77 },
        { "IDC_HTML_EXPORT", 135 },
        { "IDC_ABOUT", 58 },
        { "IDC_RESULTS", 157 },
        { "IDC_STATIC_ALL_PROJECTS", 253 },
        { "IDC_STATIC_CURRENT_PROJECT", 253 },
    };
    for (const auto& [pszName, y] : rows)
        itemNamed(dlg, pszName).y = y;
    itemNamed(dlg, "IDC_RESULTS").cy = 91;
    return dlg;
}

} // namespace

DialogTemplate MainDialogTemplate(DlgLanguage language)
{
    switch (language) {
    case DlgLanguage::French: return frenchTemplate();
    case DlgLanguage::German: return germanTemplate();
    case DlgLanguage::English: break;
    }
    return englishTemplate();
}
