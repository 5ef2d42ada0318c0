#include <QApplication>

#include "CLineCountApp.h"
#include "PindrelVersion.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pindrel"));
    QApplication::setApplicationVersion(QStringLiteral(PINDREL_VERSION_SHORT));
    QApplication::setDesktopFileName(QStringLiteral("io.github.pindrel.Pindrel"));
    CLineCountApp theApp;
    theApp.InitInstance();
    return theApp.ExitInstance();
}
