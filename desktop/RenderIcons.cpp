// Renders the launcher icons from the code that draws the window icon, so the two never differ.
#include <cstdio>
#include <string>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include "RingIcon.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: pindrel-render-icons OUTPUT_DIRECTORY\n");
        return 2;
    }
    // Runs during the build, where no display exists.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString csRoot = QString::fromLocal8Bit(argv[1]);
    for (const int nSize : { 16, 32, 48, 64, 128, 256 }) {
        const QString csDir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(csRoot).arg(nSize);
        const QString csFile = csDir + QStringLiteral("/pindrel.png");
        if (!QDir().mkpath(csDir) || !RingIconPixmap(nSize).save(csFile, "PNG")) {
            std::fprintf(stderr, "pindrel-render-icons: cannot write %s\n", csFile.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
