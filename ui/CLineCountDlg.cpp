// CLineCountDlg: construction, data exchange, message map, painting, Close and About.
#include "CLineCountDlg.h"

#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>

#include "AppResources.h"
#include "ByteText.h"
#include "DlgPaint.h"
#include "GlobalVarsForDll.h"
#include "Resource.h"
#include "StringTable.h"

CLineCountDlg::CLineCountDlg(QWidget* pParent)
    : CLvCoolDlg(IDD_MAIN, pParent)
    , m_lbProjects(BindControl<QListWidget>(IDC_PROJECTS))
    , m_hIcon(AppIcon())
    , m_edDirectory(BindControl<CByteEdit>(IDC_DIRECTORY))
    , m_btnBrowse(BindControl<QPushButton>(IDC_BROWSE))
    , m_btnCalc(BindControl<QPushButton>(IDC_CALC))
    , m_btnAdd(BindControl<QPushButton>(IDC_ADD))
    , m_btnUpdate(BindControl<QPushButton>(IDC_UPDATE))
    , m_btnDelete(BindControl<QPushButton>(IDC_DELETE))
    , m_btnSelectAll(BindControl<QPushButton>(IDC_SELECT_ALL))
    , m_btnDeselectAll(BindControl<QPushButton>(IDC_DESELECT_ALL))
    , m_btnHtmlExport(BindControl<QPushButton>(IDC_HTML_EXPORT))
    , m_btnAbout(BindControl<QPushButton>(IDC_ABOUT))
{
    m_lvResults.Attach(BindControl<QTableWidget>(IDC_RESULTS));
    m_progressProject.Attach(BindControl<QProgressBar>(IDC_PROGRESS_PROJECT));
    m_progressAll.Attach(BindControl<QProgressBar>(IDC_PROGRESS_ALL));
    MessageMap();
    DescribeControls();
    AcceptFolderDrops();
}

CLineCountDlg::~CLineCountDlg()
{
    DestroyWindow();
}

void CLineCountDlg::MessageMap()
{
    connect(m_btnBrowse, &QPushButton::clicked, this, &CLineCountDlg::OnBrowse);
    connect(m_btnCalc, &QPushButton::clicked, this, &CLineCountDlg::OnCalc);
    connect(m_btnAdd, &QPushButton::clicked, this, &CLineCountDlg::OnAddProject);
    connect(m_btnDelete, &QPushButton::clicked, this, &CLineCountDlg::OnDeleteProject);
    connect(m_edDirectory, &QLineEdit::textChanged, this, &CLineCountDlg::OnChangeDirectory);
    // The program's own selection changes block the list's signals, so only the user's arrive here.
    connect(m_lbProjects, &QListWidget::itemSelectionChanged, this, &CLineCountDlg::OnSelChangeProjects);
    connect(m_btnSelectAll, &QPushButton::clicked, this, &CLineCountDlg::OnSelectAll);
    connect(m_btnDeselectAll, &QPushButton::clicked, this, &CLineCountDlg::OnDeselectAll);
    connect(m_btnHtmlExport, &QPushButton::clicked, this, &CLineCountDlg::OnHtmlExport);
    connect(m_btnUpdate, &QPushButton::clicked, this, &CLineCountDlg::OnUpdateProject);
    connect(m_btnAbout, &QPushButton::clicked, this, &CLineCountDlg::OnAbout);
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
    m_edDirectory->setFocus(Qt::OtherFocusReason);
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
    const unsigned nIdTitle = icon == MessageIcon::Information ? IDS_TITLE_INFORMATION : IDS_TITLE_WARNING;
    MessageBox(FillPlaceholders(LoadString(nIdText), arguments), nIdTitle, icon);
}
