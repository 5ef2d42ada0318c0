#include "HtmlExport.h"

// The HTML writer is not part of this build yet; this file is the one place that
// will hand the report to it.

bool IsHtmlExportAvailable() { return false; }

bool WriteHtmlReport(const std::string& /*csPath*/, const Report& /*report*/, std::string& csError)
{
    csError = "HTML export is not available in this build";
    return false;
}
