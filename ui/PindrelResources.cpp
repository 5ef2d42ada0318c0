#include "PindrelResources.h"

#include <QIcon>

#include "AppResources.h"
#include "CollectSourceFiles.h"
#include "MainDialogTemplates.h"
#include "PindrelVersion.h"
#include "Resource.h"
#include "RingIcon.h"
#include "StringTable.h"

namespace {

struct StringRow
{
    unsigned nId;
    const char* pszEnglish;
    const char* pszFrench;
    const char* pszGerman;
};

// The messages in the languages of the dialog template, chosen by the same rule.
const StringRow STRINGS[] = {
    { IDS_BUTTON_OK, "&Ok", "&OK", "&OK" },
    { IDS_TITLE_INFORMATION, "Information message", "Message d'information", "Informationsmeldung" },
    { IDS_TITLE_WARNING, "Warning message", "Message d'avertissement", "Warnmeldung" },
    { IDS_NO_VALID_FILES, NO_VALID_FILES_MESSAGE.data(),
        "Aucun fichier valide (*.c*, *.h*) dans les répertoires sélectionnés !",
        "Keine gültigen Dateien (*.c*, *.h*) in den ausgewählten Verzeichnissen!" },
    { IDS_PROJECTS_NOT_STORED, "The project list could not be stored.\n%1",
        "La liste des projets n'a pas pu être enregistrée.\n%1",
        "Die Projektliste konnte nicht gespeichert werden.\n%1" },
    { IDS_TOO_MANY_PROJECTS,
        "%1 projects are selected, but one calculation can take at most %2.\nDeselect some of them, then "
        "click on Calc again.",
        "%1 projets sont sélectionnés, mais un calcul en accepte au plus %2.\nDésélectionnez-en "
        "quelques-uns, puis cliquez à nouveau sur Calc.",
        "%1 Projekte sind ausgewählt, eine Berechnung nimmt aber höchstens %2.\nHeben Sie die Auswahl "
        "einiger auf und klicken Sie erneut auf Calc." },
    { IDS_ENTRY_HAS_LINE_BREAK, "A directory whose name holds a line break cannot be kept in the project list.",
        "Un répertoire dont le nom contient un saut de ligne ne peut pas figurer dans la liste des projets.",
        "Ein Verzeichnis, dessen Name einen Zeilenumbruch enthält, kann nicht in der Projektliste stehen." },
    { IDS_EXPORT_FAILED, "The HTML export failed.\n%1", "L'export HTML a échoué.\n%1",
        "Der HTML-Export ist fehlgeschlagen.\n%1" },
    { IDS_ENTRIES_LEFT_OUT, "The project list in \"%1\" holds entries that cannot be stored (keys: %2). They were left out.",
        "La liste des projets de « %1 » contient des entrées qui ne peuvent pas être enregistrées (clés : %2). "
        "Elles ont été écartées.",
        "Die Projektliste in „%1“ enthält Einträge, die nicht gespeichert werden können (Schlüssel: %2). Sie "
        "wurden weggelassen." },
    { IDS_FILE_CANNOT_READ, "Could not read \"%1\": %2. It was left unchanged.",
        "Impossible de lire « %1 » : %2. Le fichier n'a pas été modifié.",
        "„%1“ konnte nicht gelesen werden: %2. Die Datei blieb unverändert." },
    { IDS_FILE_NOT_REGULAR, "\"%1\" is not a regular file. It was left unchanged.",
        "« %1 » n'est pas un fichier ordinaire. Il n'a pas été modifié.",
        "„%1“ ist keine gewöhnliche Datei. Sie blieb unverändert." },
    { IDS_FILE_CANNOT_WRITE, "Cannot write \"%1\": %2.", "Impossible d'écrire « %1 » : %2.",
        "„%1“ kann nicht geschrieben werden: %2." },
    { IDS_FILE_CANNOT_CREATE_FOLDER, "Could not create the folder \"%1\": %2.",
        "Impossible de créer le dossier « %1 » : %2.",
        "Der Ordner „%1“ konnte nicht angelegt werden: %2." },
    { IDS_FILE_CANNOT_CREATE_TEMP, "Could not create a temporary file next to \"%1\": %2.",
        "Impossible de créer un fichier temporaire à côté de « %1 » : %2.",
        "Neben „%1“ konnte keine temporäre Datei angelegt werden: %2." },
    { IDS_FILE_WRITE_FAILED, "Writing \"%1\" failed: %2.",
        "L'écriture de « %1 » a échoué : %2.",
        "Das Schreiben von „%1“ ist fehlgeschlagen: %2." },
    { IDS_FILE_SYNC_FAILED, "Flushing \"%1\" to disk failed: %2.",
        "L'enregistrement de « %1 » sur le disque a échoué : %2.",
        "Das Sichern von „%1“ auf den Datenträger ist fehlgeschlagen: %2." },
    { IDS_FILE_REPLACE_FAILED, "Could not replace \"%1\": %2.",
        "Impossible de remplacer « %1 » : %2.", "„%1“ konnte nicht ersetzt werden: %2." },
    { IDS_FILE_INVALID_ENTRY, "Nothing was saved to \"%1\": an entry holds characters the file cannot store.",
        "Rien n'a été enregistré dans « %1 » : une entrée contient des caractères "
        "que le fichier ne peut pas conserver.",
        "In „%1“ wurde nichts gespeichert: Ein Eintrag enthält Zeichen, die die Datei nicht "
        "aufnehmen kann." },
};

} // namespace

void RegisterPindrelResources()
{
    for (const StringRow& row : STRINGS) {
        RegisterString(row.nId, DlgLanguage::English, row.pszEnglish);
        RegisterString(row.nId, DlgLanguage::French, row.pszFrench);
        RegisterString(row.nId, DlgLanguage::German, row.pszGerman);
    }
    RegisterControlTexts();

    for (const DlgLanguage language : { DlgLanguage::English, DlgLanguage::French, DlgLanguage::German })
        RegisterDialogTemplate(IDD_MAIN, language, MainDialogTemplate(language));

    RegisterAppIcon(RingIcon());
    RegisterVersionInfo({ "Pindrel", "Simple statistics on your C/C++ code.", "Version " PINDREL_VERSION_SHORT,
        PINDREL_VERSION_BUILD_TEXT, PINDREL_VERSION_FULL });
}
