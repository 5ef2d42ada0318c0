#pragma once

#include <optional>
#include <string>
#include <vector>

// Window classes a dialog template can name.
enum class DlgControlClass
{
    Static,       // text label; an empty one with a border is a frame
    GroupBox,
    PushButton,
    DefPushButton,
    Edit,
    ListBox,      // multiple selection, unsorted
    ListView,     // report view
    Progress,
};

// One control of a template. Positions and sizes are in dialog units.
struct DlgItemTemplate
{
    int nId;
    const char* pszName; // object name, e.g. "IDC_CALC"
    DlgControlClass controlClass;
    int x, y, cx, cy;
    std::string csText;
    bool bBorder = false;
    bool bTabStop = false;
};

// A dialog: caption, font, size in dialog units and controls in tab order.
struct DialogTemplate
{
    std::string csCaption;
    std::string csFontFace;
    int nPointSize = 8;
    int cx = 0;
    int cy = 0;
    std::vector<DlgItemTemplate> items;
};

// Languages a template can come in; lookups fall back to English.
enum class DlgLanguage
{
    English,
    French,
    German,
};

// Registers one language variant of a template.
void RegisterDialogTemplate(unsigned nIdTemplate, DlgLanguage language, DialogTemplate dlgTemplate);
// The variant for the language, else the English one; nullptr for an unknown id.
[[nodiscard]] const DialogTemplate* FindDialogTemplate(unsigned nIdTemplate, DlgLanguage language);
// The user's language as the template lookup understands it (from the locale
// settings of the environment), unless overridden.
[[nodiscard]] DlgLanguage UserDialogLanguage();
// Forces the language of the dialogs created from now on; nullopt follows the user again.
void OverrideDialogLanguage(std::optional<DlgLanguage> language);
