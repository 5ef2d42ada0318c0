#include "DialogTemplate.h"

#include <map>
#include <utility>

#include <QLocale>

namespace {

std::map<std::pair<unsigned, DlgLanguage>, DialogTemplate>& templates()
{
    static std::map<std::pair<unsigned, DlgLanguage>, DialogTemplate> registry;
    return registry;
}

std::optional<DlgLanguage>& languageOverride()
{
    static std::optional<DlgLanguage> language;
    return language;
}

} // namespace

void RegisterDialogTemplate(unsigned nIdTemplate, DlgLanguage language, DialogTemplate dlgTemplate)
{
    templates()[{ nIdTemplate, language }] = std::move(dlgTemplate);
}

const DialogTemplate* FindDialogTemplate(unsigned nIdTemplate, DlgLanguage language)
{
    auto it = templates().find({ nIdTemplate, language });
    if (it == templates().end())
        it = templates().find({ nIdTemplate, DlgLanguage::English });
    return it == templates().end() ? nullptr : &it->second;
}

void OverrideDialogLanguage(std::optional<DlgLanguage> language)
{
    languageOverride() = language;
}

DlgLanguage UserDialogLanguage()
{
    if (languageOverride())
        return *languageOverride();
    switch (QLocale::system().language()) {
    case QLocale::French: return DlgLanguage::French;
    case QLocale::German: return DlgLanguage::German;
    default: return DlgLanguage::English;
    }
}
