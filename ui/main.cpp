#include <QApplication>

#include "CLineCountApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pindrel"));
    QApplication::setApplicationVersion(QStringLiteral("1.4"));
    QApplication::setDesktopFileName(QStringLiteral("pindrel"));
    CLineCountApp theApp;
    theApp.InitInstance();
    return theApp.ExitInstance();
}
