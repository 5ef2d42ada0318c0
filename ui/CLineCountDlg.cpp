// CLineCountDlg: construction, data exchange, message map, painting, Close and About.
#include "CLineCountDlg.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

#include "AppResources.h"
#include "ByteText.h"
#include "DlgPaint.h"
#include "GlobalVarsForDll.h"
#include "Resource.h"
#include "StringTable.h"

CLineCountDlg::CLineCountDlg(QWidget* pParent)
    : CLvCoolDlg(IDD_MAIN, pParent)
    , m_hIcon(AppIcon())
{
    MessageMap();
}

CLineCountDlg::~CLineCountDlg()
{
    DestroyWindow();
}

void CLineCountDlg::MessageMap()
{
    const auto button = [this](int nId) { return qobject_cast<QPushButton*>(GetDlgItem(nId)); };
    connect(button(IDC_BROWSE), &QPushButton::clicked, this, [this] { OnBrowse(); });
    connect(button(IDC_CALC), &QPushButton::clicked, this, [this] { OnCalc(); });
    connect(button(IDC_ADD), &QPushButton::clicked, this, [this] { OnAddProject(); });
    connect(button(IDC_DELETE), &QPushButton::clicked, this, [this] { OnDeleteProject(); });
    connect(qobject_cast<QLineEdit*>(GetDlgItem(IDC_DIRECTORY)), &QLineEdit::textChanged, this,
        [this] { OnChangeDirectory(); });
    // The program's own selection changes block the list's signals, so only the user's arrive here.
    connect(qobject_cast<QListWidget*>(GetDlgItem(IDC_PROJECTS)), &QListWidget::itemSelectionChanged, this,
        [this] { OnSelChangeProjects(); });
    connect(button(IDC_SELECT_ALL), &QPushButton::clicked, this, [this] { OnSelectAll(); });
    connect(button(IDC_DESELECT_ALL), &QPushButton::clicked, this, [this] { OnDeselectAll(); });
    connect(button(IDC_HTML_EXPORT), &QPushButton::clicked, this, [this] { OnHtmlExport(); });
    connect(button(IDC_UPDATE), &QPushButton::clicked, this, [this] { OnUpdateProject(); });
    connect(button(IDC_ABOUT), &QPushButton::clicked, this, [this] { OnAbout(); });
}

void CLineCountDlg::DoDataExchange(CDataExchange* pDX)
{
    CLvCoolDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RESULTS, m_lvResults);
    DDX_Control(pDX, IDC_PROGRESS_PROJECT, m_progressProject);
    DDX_Control(pDX, IDC_PROGRESS_ALL, m_progressAll);
    DDX_Control(pDX, IDC_PROJECTS, m_lbProjects);
    DDX_Text(pDX, IDC_DIRECTORY, m_csDirectory);
}

bool CLineCountDlg::OnInitDialog()
{
    CLvCoolDlg::OnInitDialog();
    InitResultsList();
    setWindowIcon(m_hIcon);
    LoadProjects();
    if (QWidget* pEdit = GetDlgItem(IDC_DIRECTORY))
        pEdit->setFocus(Qt::OtherFocusReason);
    return true;
}

QPoint CLineCountDlg::IconicIconPosition(QSize clientSize, QSize iconSize)
{
    // Signed division truncates toward zero: a client 30 wide puts a 32-wide icon at 0, not -1.
    return { (clientSize.width() - iconSize.width() + 1) / 2, (clientSize.height() - iconSize.height() + 1) / 2 };
}

void CLineCountDlg::OnPaint()
{
    QPainter dc(this);
    if (isMinimized()) {
        const int nIconSize = style()->pixelMetric(QStyle::PM_LargeIconSize);
        const QPoint position = IconicIconPosition(rect().size(), QSize(nIconSize, nIconSize));
        m_hIcon.paint(&dc, QRect(position, QSize(nIconSize, nIconSize)));
        return;
    }
    DlgPaint(&dc, this, 1, "Background", nullptr);
}

QIcon CLineCountDlg::OnQueryDragIcon() const
{
    return m_hIcon;
}

void CLineCountDlg::OnOK()
{
    UpdateData(true);
    SaveProjects();
    CLvCoolDlg::OnOK();
}

void CLineCountDlg::OnAbout()
{
    GlobalVarsForDll::DisplayAboutDlg();
}

void CLineCountDlg::ShowMessage(unsigned nIdText, MessageIcon icon, std::initializer_list<std::string> arguments)
{
    QString csText = QString::fromStdString(LoadString(nIdText));
    for (const std::string& csArgument : arguments)
        csText = csText.arg(FromBytes(csArgument));
    const unsigned nIdTitle = icon == MessageIcon::Information ? IDS_TITLE_INFORMATION : IDS_TITLE_WARNING;
    MessageBox(ToBytes(csText), nIdTitle, icon);
}
