#pragma once

#include <QDialog>

// The About box: the application's icon, name, description and version.
class CAboutDlg : public QDialog
{
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};
