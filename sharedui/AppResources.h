#pragma once

#include <string>

class QIcon;

// What the application's version data says about it.
struct VersionInfo
{
    std::string csProductName;
    std::string csFileDescription;
    std::string csFileVersion;   // e.g. "Version 1.4"
    std::string csPrivateBuild;  // build number
    std::string csNumericVersion; // e.g. "1.4.0.24"
};

// The application registers its icon and version data; the library's About box
// and dialogs show them.
void RegisterAppIcon(const QIcon& icon);
[[nodiscard]] QIcon AppIcon();
void RegisterVersionInfo(VersionInfo info);
[[nodiscard]] const VersionInfo& AppVersionInfo();
