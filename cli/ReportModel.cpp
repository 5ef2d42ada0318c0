#include "ReportModel.h"

#include <utility>

#include "ProjectCollection.h"

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
    if (before) {
        ReportComparisonModel& comparison = model.comparison.emplace();
        comparison.before = std::move(*before);
        comparison.beforeRows = BuildReportRows(comparison.before.counters, settings.rules);
        if (settings.bByProject)
            comparison.projects = CompareProjects(model.projects, comparison.before.projects);
    }
    return model;
}
