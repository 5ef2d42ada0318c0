#include "AppResources.h"

#include <QIcon>

namespace {

QIcon& icon()
{
    static QIcon appIcon;
    return appIcon;
}

VersionInfo& version()
{
    static VersionInfo info;
    return info;
}

} // namespace

void RegisterAppIcon(const QIcon& appIcon)
{
    icon() = appIcon;
}

QIcon AppIcon()
{
    return icon();
}

void RegisterVersionInfo(VersionInfo info)
{
    version() = std::move(info);
}

const VersionInfo& AppVersionInfo()
{
    return version();
}
