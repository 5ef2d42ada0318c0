#include "ReportModel.h"

#include <utility>

#include "ProjectCollection.h"

namespace {

std::string counted(std::size_t nCount, const char* pszOne, const char* pszMany)
{
    return std::to_string(nCount) + ' ' + (nCount == 1 ? pszOne : pszMany);
}

} // namespace

std::string ScopeSourcesText(const ReportScope& scope)
{
    std::string csText = scope.bGitignore ? ".gitignore" : "";
    if (!scope.excludePatterns.empty()) {
        csText += csText.empty() ? "" : " and ";
        csText += counted(scope.excludePatterns.size(), "exclude pattern", "exclude patterns");
    }
    return csText;
}

std::string LeftOutText(const ReportScope& scope)
{
    return counted(scope.leftOut.nFilesLeftOut, "file", "files") + " and "
        + counted(scope.leftOut.nFoldersLeftOut, "folder", "folders") + " left out by " + ScopeSourcesText(scope);
}

ReportRows BuildReportRows(const LineCounters& counters, CountingRules rules)
{
    const Report report = BuildReport(counters);
    ReportRows rows(report.begin(), report.end());
    if (rules == CountingRules::Syntax)
        rows.push_back(BuildDisabledLinesRow(counters));
    return rows;
}

std::vector<CounterField> ReportCounterFields(CountingRules rules)
{
    std::vector<CounterField> fields(COUNTER_FIELDS.begin(), COUNTER_FIELDS.end());
    if (rules == CountingRules::Syntax)
        fields.push_back(DISABLED_LINES_FIELD);
    return fields;
}

ReportModel BuildReportModel(std::vector<ProjectRun> projects, const LineCounters& counters,
    const ReportSettings& settings, std::optional<SavedReport> before)
{
    ReportModel model;
    model.rules = settings.rules;
    model.counterFields = ReportCounterFields(settings.rules);
    model.csGenerated = settings.csGenerated;
    model.csPageDate = settings.csPageDate;
    model.bByProject = settings.bByProject;
    model.counters = counters;
    model.rows = BuildReportRows(counters, settings.rules);
    model.projects = std::move(projects);
    for (const ProjectRun& project : model.projects) {
        model.nFiles += project.files.size();
        if (settings.bByProject)
            model.projectRows.push_back(BuildReportRows(project.counters, settings.rules));
    }
    model.unreadable = TotalUnreadable(model.projects);
    model.scope = settings.scope;
    model.scope.leftOut = TotalLeftOut(model.projects);
    if (before) {
        ReportComparisonModel& comparison = model.comparison.emplace();
        comparison.before = std::move(*before);
        comparison.beforeRows = BuildReportRows(comparison.before.counters, settings.rules);
        if (settings.bByProject)
            comparison.projects = CompareProjects(model.projects, comparison.before.projects);
    }
    return model;
}
