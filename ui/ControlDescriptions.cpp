// CLineCountDlg: what assistive technology says about each control, and the order Tab visits them.
#include "CLineCountDlg.h"

#include <QPushButton>

#include "PindrelResources.h"
#include "Resource.h"
#include "StringTable.h"

namespace {

struct TextRow
{
    unsigned nId;
    const char* pszEnglish;
    const char* pszFrench;
    const char* pszGerman;
};

const TextRow TEXTS[] = {
    { IDS_ACC_NAME_DIRECTORY, "Directory", "Répertoire", "Verzeichnis" },
    { IDS_ACC_NAME_BROWSE, "Browse for a directory", "Rechercher un répertoire", "Verzeichnis suchen" },
    { IDS_ACC_NAME_PROJECTS, "Projects", "Projets", "Projekte" },
    { IDS_ACC_NAME_RESULTS, "Results", "Résultats", "Ergebnisse" },
    { IDS_ACC_NAME_PROGRESS_ALL, "All projects", "Tous les projets", "Alle Projekte" },
    { IDS_ACC_NAME_PROGRESS_PROJECT, "Current project", "Projet en cours", "Aktuelles Projekt" },
    { IDS_ACC_DESC_DIRECTORY, "The directory to add to the project list, or to put in place of the selected project.",
        "Le répertoire à ajouter à la liste des projets, ou à mettre à la place du projet sélectionné.",
        "Das Verzeichnis, das der Projektliste hinzugefügt oder statt des ausgewählten Projekts eingetragen wird." },
    { IDS_ACC_DESC_BROWSE, "Chooses the directory in a folder dialog.",
        "Choisit le répertoire dans une boîte de dialogue.", "Wählt das Verzeichnis in einem Ordnerdialog." },
    { IDS_ACC_DESC_PROJECTS, "Your projects, one directory each. Calc counts the selected ones.",
        "Vos projets, un répertoire chacun. Calculer compte ceux qui sont sélectionnés.",
        "Ihre Projekte, je ein Verzeichnis. Calc zählt die ausgewählten." },
    { IDS_ACC_DESC_RESULTS, "The report of the last count, one row per figure.",
        "Le rapport du dernier calcul, une ligne par valeur.", "Der Bericht der letzten Zählung, eine Zeile je Wert." },
    { IDS_ACC_DESC_PROGRESS_ALL, "How far the count of all selected projects got.",
        "L'avancement du calcul de tous les projets sélectionnés.",
        "Wie weit die Zählung aller ausgewählten Projekte ist." },
    { IDS_ACC_DESC_PROGRESS_PROJECT, "How far the count of the current project got.",
        "L'avancement du calcul du projet en cours.", "Wie weit die Zählung des aktuellen Projekts ist." },
    { IDS_ACC_DESC_ADD, "Adds the directory to the project list.", "Ajoute le répertoire à la liste des projets.",
        "Fügt das Verzeichnis der Projektliste hinzu." },
    { IDS_ACC_DESC_UPDATE, "Replaces the selected project by the directory.",
        "Remplace le projet sélectionné par le répertoire.", "Ersetzt das ausgewählte Projekt durch das Verzeichnis." },
    { IDS_ACC_DESC_DELETE, "Removes the selected project from the list.", "Retire le projet sélectionné de la liste.",
        "Entfernt das ausgewählte Projekt aus der Liste." },
    { IDS_ACC_DESC_SELECT_ALL, "Selects every project.", "Sélectionne tous les projets.",
        "Wählt alle Projekte aus." },
    { IDS_ACC_DESC_DESELECT_ALL, "Deselects every project.", "Désélectionne tous les projets.",
        "Hebt die Auswahl aller Projekte auf." },
    { IDS_ACC_DESC_CALC, "Counts the lines of the selected projects.", "Compte les lignes des projets sélectionnés.",
        "Zählt die Zeilen der ausgewählten Projekte." },
    { IDS_ACC_DESC_CLOSE, "Stores the project list and closes Pindrel.",
        "Enregistre la liste des projets et ferme Pindrel.", "Speichert die Projektliste und schließt Pindrel." },
    { IDS_ACC_DESC_HTML_EXPORT, "Saves the report as an HTML page.", "Enregistre le rapport dans une page HTML.",
        "Speichert den Bericht als HTML-Seite." },
    { IDS_ACC_DESC_ABOUT, "Shows the version of Pindrel.", "Affiche la version de Pindrel.",
        "Zeigt die Version von Pindrel." },
};

struct ControlTexts
{
    int nIdControl;
    unsigned nIdName; // 0: the caption names the control
    unsigned nIdDescription;
};

const ControlTexts CONTROLS[] = {
    { IDC_DIRECTORY, IDS_ACC_NAME_DIRECTORY, IDS_ACC_DESC_DIRECTORY },
    { IDC_BROWSE, IDS_ACC_NAME_BROWSE, IDS_ACC_DESC_BROWSE },
    { IDC_PROJECTS, IDS_ACC_NAME_PROJECTS, IDS_ACC_DESC_PROJECTS },
    { IDC_ADD, 0, IDS_ACC_DESC_ADD },
    { IDC_UPDATE, 0, IDS_ACC_DESC_UPDATE },
    { IDC_DELETE, 0, IDS_ACC_DESC_DELETE },
    { IDC_SELECT_ALL, 0, IDS_ACC_DESC_SELECT_ALL },
    { IDC_DESELECT_ALL, 0, IDS_ACC_DESC_DESELECT_ALL },
    { IDC_CALC, 0, IDS_ACC_DESC_CALC },
    { IDOK, 0, IDS_ACC_DESC_CLOSE },
    { IDC_HTML_EXPORT, 0, IDS_ACC_DESC_HTML_EXPORT },
    { IDC_ABOUT, 0, IDS_ACC_DESC_ABOUT },
    { IDC_RESULTS, IDS_ACC_NAME_RESULTS, IDS_ACC_DESC_RESULTS },
    { IDC_PROGRESS_ALL, IDS_ACC_NAME_PROGRESS_ALL, IDS_ACC_DESC_PROGRESS_ALL },
    { IDC_PROGRESS_PROJECT, IDS_ACC_NAME_PROGRESS_PROJECT, IDS_ACC_DESC_PROGRESS_PROJECT },
};

QString tableText(unsigned nId)
{
    return QString::fromStdString(LoadString(nId));
}

} // namespace

void RegisterControlTexts()
{
    for (const TextRow& row : TEXTS) {
        RegisterString(row.nId, DlgLanguage::English, row.pszEnglish);
        RegisterString(row.nId, DlgLanguage::French, row.pszFrench);
        RegisterString(row.nId, DlgLanguage::German, row.pszGerman);
    }
}

void CLineCountDlg::DescribeControls()
{
    for (const ControlTexts& control : CONTROLS) {
        QWidget* const pControl = GetDlgItem(control.nIdControl);
        if (pControl == nullptr)
            continue;
        if (control.nIdName != 0)
            pControl->setAccessibleName(tableText(control.nIdName));
        pControl->setAccessibleDescription(tableText(control.nIdDescription));
    }
    // The template lists About last; on screen it stands under Calc, so Tab goes there next.
    setTabOrder(m_btnCalc, m_btnAbout);
}
