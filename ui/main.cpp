#include <algorithm>
#include <string>
#include <vector>

#include <QApplication>

#include "CLineCountApp.h"
#include "PindrelVersion.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pindrel"));
    QApplication::setApplicationVersion(QStringLiteral(PINDREL_VERSION_SHORT));
    QApplication::setDesktopFileName(QStringLiteral("io.github.pindrel.Pindrel"));
    // QApplication has taken its own options out of argv; the rest are ours, as bytes.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    CLineCountApp theApp;
    theApp.InitInstance(arguments);
    return theApp.ExitInstance();
}
