#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "AppResources.h"
#include "GlobalVarsForDll.h"
#include "StringTable.h"

CAboutDlg::CAboutDlg(QWidget* pParent)
    : QDialog(pParent)
{
    const VersionInfo& version = AppVersionInfo();
    const QString csName = QString::fromStdString(
        version.csProductName.empty() ? GlobalVarsForDll::csSoftName : version.csProductName);
    setWindowTitle(csName);
    setObjectName("AboutDlg");

    auto* const pIcon = new QLabel(this);
    pIcon->setObjectName("AboutIcon");
    pIcon->setPixmap(AppIcon().pixmap(32, 32));
    auto* const pName = new QLabel(QStringLiteral("<b>%1</b>").arg(csName.toHtmlEscaped()), this);
    pName->setObjectName("AboutName");
    auto* const pDescription = new QLabel(QString::fromStdString(version.csFileDescription), this);
    pDescription->setObjectName("AboutDescription");
    auto* const pVersion = new QLabel(QStringLiteral("%1 (build %2)")
                                          .arg(QString::fromStdString(version.csFileVersion),
                                              QString::fromStdString(version.csPrivateBuild)),
        this);
    pVersion->setObjectName("AboutVersion");

    auto* const pButtons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    const std::string csOk = LoadString(IDS_BUTTON_OK);
    if (!csOk.empty())
        pButtons->button(QDialogButtonBox::Ok)->setText(QString::fromStdString(csOk));
    connect(pButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* const pLayout = new QGridLayout(this);
    pLayout->setHorizontalSpacing(16);
    pLayout->addWidget(pIcon, 0, 0, 3, 1, Qt::AlignTop);
    pLayout->addWidget(pName, 0, 1);
    pLayout->addWidget(pDescription, 1, 1);
    pLayout->addWidget(pVersion, 2, 1);
    pLayout->addWidget(pButtons, 3, 0, 1, 2);
    setFixedSize(sizeHint());
}
