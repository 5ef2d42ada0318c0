#include "CListCtrlEx.h"

#include <charconv>
#include <utility>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "ByteText.h"
#include "DialogTemplate.h"
#include "GlobalVarsForDll.h"
#include "PrivateProfile.h"

namespace {

constexpr int MAX_STORED_COLUMNS = 64;

QColor qColorOf(COLORREF cr)
{
    return QColor(static_cast<int>(cr & 0xFFu), static_cast<int>((cr >> 8) & 0xFFu), static_cast<int>((cr >> 16) & 0xFFu));
}

QString fromBytes(const char* pszText)
{
    return FromBytes(pszText != nullptr ? pszText : "");
}

// Colours each row from the list's attributes, read at paint time so rows and
// attributes may come in any order. It shares them: the table, a child of the
// dialog, may repaint after the list member is gone.
class RowColorDelegate : public QStyledItemDelegate
{
public:
    RowColorDelegate(std::shared_ptr<const std::vector<CAttribute>> pAttributes, QObject* pParent)
        : QStyledItemDelegate(pParent)
        , m_pAttributes(std::move(pAttributes))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem* pOption, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(pOption, index);
        const std::vector<CAttribute>& attributes = *m_pAttributes;
        if (attributes.empty())
            return;
        const CAttribute& attribute = attributes[static_cast<std::size_t>(index.row()) % attributes.size()];
        pOption->backgroundBrush = qColorOf(attribute.GetBackColor());
        pOption->palette.setColor(QPalette::Text, qColorOf(attribute.GetForeColor()));
    }

private:
    std::shared_ptr<const std::vector<CAttribute>> m_pAttributes;
};

// Ctrl+C on the list copies rows: the view's own copy would take one cell only.
class CopyKeyFilter : public QObject
{
public:
    CopyKeyFilter(std::shared_ptr<const CListCtrlEx*> ppList, QObject* pParent)
        : QObject(pParent)
        , m_ppList(std::move(ppList))
    {
    }

    // The table may outlive the list by a moment: then there is nothing to copy.
    void CopyRows() const
    {
        if (*m_ppList != nullptr)
            (*m_ppList)->Copy();
    }

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override
    {
        const bool bKey = pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::ShortcutOverride;
        if (!bKey || !static_cast<QKeyEvent*>(pEvent)->matches(QKeySequence::Copy))
            return QObject::eventFilter(pWatched, pEvent);
        // Claim the key before any shortcut, then copy when it is pressed.
        if (pEvent->type() == QEvent::KeyPress)
            CopyRows();
        pEvent->accept();
        return true;
    }

private:
    std::shared_ptr<const CListCtrlEx*> m_ppList;
};

QString copyCaption()
{
    switch (UserDialogLanguage()) {
    case DlgLanguage::French:
        return QStringLiteral("&Copier");
    case DlgLanguage::German:
        return QStringLiteral("&Kopieren");
    case DlgLanguage::English:
        break;
    }
    return QStringLiteral("&Copy");
}

// A cell's tab or line end would split it in the pasted table.
void appendCopyCell(std::string& csOut, const std::string& csCell)
{
    for (const char c : csCell)
        csOut += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
}

bool parseInt(std::string_view csText, int& nValue)
{
    const auto [pEnd, ec] = std::from_chars(csText.data(), csText.data() + csText.size(), nValue);
    return ec == std::errc() && pEnd == csText.data() + csText.size();
}

struct StoredColumn
{
    int nWidth = 0;
    int nFormat = 0;
    std::string csHeading;
};

// "width,format,heading"; the heading may hold commas of its own.
bool parseColumn(std::string_view csValue, StoredColumn& column)
{
    const std::size_t nFirst = csValue.find(',');
    const std::size_t nSecond = nFirst == std::string_view::npos ? nFirst : csValue.find(',', nFirst + 1);
    if (nSecond == std::string_view::npos)
        return false;
    if (!parseInt(csValue.substr(0, nFirst), column.nWidth)
        || !parseInt(csValue.substr(nFirst + 1, nSecond - nFirst - 1), column.nFormat))
        return false;
    column.csHeading = std::string(csValue.substr(nSecond + 1));
    return column.nWidth >= 0 && column.nWidth <= 10000 && (column.nFormat == 0 || column.nFormat == 1);
}

bool parseOrder(std::string_view csValue, int nColumns, std::vector<int>& anOrder)
{
    std::vector<bool> abSeen(static_cast<std::size_t>(nColumns), false);
    while (!csValue.empty()) {
        const std::size_t nComma = csValue.find(',');
        int nLogical = 0;
        if (!parseInt(csValue.substr(0, nComma), nLogical) || nLogical < 0 || nLogical >= nColumns
            || abSeen[static_cast<std::size_t>(nLogical)])
            return false;
        abSeen[static_cast<std::size_t>(nLogical)] = true;
        anOrder.push_back(nLogical);
        csValue = nComma == std::string_view::npos ? std::string_view() : csValue.substr(nComma + 1);
    }
    return static_cast<int>(anOrder.size()) == nColumns;
}

} // namespace

CListCtrlEx::CListCtrlEx() = default;

CListCtrlEx::~CListCtrlEx()
{
    *m_ppSelf = nullptr;
}

void CListCtrlEx::Attach(QTableWidget* pTable)
{
    m_pTable = pTable;
    if (m_pTable == nullptr)
        return;
    m_pTable->setColumnCount(0);
    m_pTable->setRowCount(0);
    m_pTable->verticalHeader()->hide();
    // Rows as tight as a report view's: the style's minimum would make them taller.
    m_pTable->verticalHeader()->setMinimumSectionSize(m_pTable->fontMetrics().height());
    m_pTable->verticalHeader()->setDefaultSectionSize(m_pTable->fontMetrics().height() + 2);
    m_pTable->setShowGrid(false);
    m_pTable->setWordWrap(false);
    m_pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control, as in a report view; it does not walk the cells.
    m_pTable->setTabKeyNavigation(false);
    m_pTable->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_pTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pTable->horizontalHeader()->setSectionsMovable(true);
    m_pTable->horizontalHeader()->setHighlightSections(false);
    m_pTable->horizontalHeader()->setStretchLastSection(false);
    m_pTable->setItemDelegate(new RowColorDelegate(m_pAttributes, m_pTable));
    auto* const pFilter = new CopyKeyFilter(m_ppSelf, m_pTable);
    m_pTable->installEventFilter(pFilter);
    auto* const pCopy = new QAction(copyCaption(), m_pTable);
    pCopy->setShortcut(QKeySequence::Copy);
    pCopy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(pCopy, &QAction::triggered, pFilter, [pFilter] { pFilter->CopyRows(); });
    m_pTable->addAction(pCopy);
    m_pTable->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void CListCtrlEx::SetPersistStorage(const std::string& csIniPath, const std::string& csKey)
{
    m_csIniPath = csIniPath;
    m_csKey = csKey;
}

bool CListCtrlEx::RestorePersistStorage()
{
    if (m_pTable == nullptr || m_csIniPath.empty() || m_csKey.empty())
        return false;
    const std::string csCount = GetPrivateProfileString(m_csIniPath, m_csKey, "Columns", "");
    int nColumns = 0;
    if (!parseInt(csCount, nColumns) || nColumns <= 0 || nColumns > MAX_STORED_COLUMNS)
        return false;
    std::vector<StoredColumn> columns(static_cast<std::size_t>(nColumns));
    for (int i = 0; i < nColumns; ++i) {
        const std::string csValue
            = GetPrivateProfileString(m_csIniPath, m_csKey, "Column" + std::to_string(i), "");
        if (!parseColumn(csValue, columns[static_cast<std::size_t>(i)]))
            return false;
    }
    std::vector<int> anOrder;
    if (!parseOrder(GetPrivateProfileString(m_csIniPath, m_csKey, "Order", ""), nColumns, anOrder))
        return false;

    m_pTable->setColumnCount(0);
    for (int i = 0; i < nColumns; ++i) {
        const StoredColumn& column = columns[static_cast<std::size_t>(i)];
        InsertColumn(i, column.csHeading.c_str(), column.nFormat, column.nWidth, -1);
    }
    QHeaderView* const pHeader = m_pTable->horizontalHeader();
    for (int nVisual = 0; nVisual < nColumns; ++nVisual)
        pHeader->moveSection(pHeader->visualIndex(anOrder[static_cast<std::size_t>(nVisual)]), nVisual);
    return true;
}

bool CListCtrlEx::StorePersistStorage()
{
    if (m_pTable == nullptr || m_csIniPath.empty() || m_csKey.empty())
        return false;
    const int nColumns = m_pTable->columnCount();
    std::vector<ProfileEntry> entries;
    entries.push_back({ "Columns", std::to_string(nColumns) });
    std::string csOrder;
    for (int i = 0; i < nColumns; ++i) {
        const QTableWidgetItem* pHeading = m_pTable->horizontalHeaderItem(i);
        const bool bRight = pHeading != nullptr && (pHeading->textAlignment() & Qt::AlignRight) != 0;
        entries.push_back({ "Column" + std::to_string(i),
            std::to_string(m_pTable->columnWidth(i)) + (bRight ? ",1," : ",0,")
                + (pHeading != nullptr ? ToBytes(pHeading->text()) : std::string()) });
        if (i > 0)
            csOrder += ',';
        csOrder += std::to_string(m_pTable->horizontalHeader()->logicalIndex(i));
    }
    entries.push_back({ "Order", csOrder });
    return static_cast<bool>(ReplacePrivateProfileSection(m_csIniPath, m_csKey, entries));
}

int CListCtrlEx::InsertColumn(int nCol, const char* pszHeading, int nFormat, int nWidth, int /*nSubItem*/)
{
    if (m_pTable == nullptr || nCol < 0)
        return -1;
    const int nIndex = nCol > m_pTable->columnCount() ? m_pTable->columnCount() : nCol;
    m_pTable->insertColumn(nIndex);
    auto* const pHeading = new QTableWidgetItem(fromBytes(pszHeading));
    pHeading->setTextAlignment(Qt::AlignVCenter | (nFormat == 1 ? Qt::AlignRight : Qt::AlignLeft));
    m_pTable->setHorizontalHeaderItem(nIndex, pHeading);
    m_pTable->setColumnWidth(nIndex, nWidth);
    return nIndex;
}

int CListCtrlEx::InsertItem(int nItem, const char* pszText)
{
    if (m_pTable == nullptr || nItem < 0)
        return -1;
    const int nRow = nItem > m_pTable->rowCount() ? m_pTable->rowCount() : nItem;
    m_pTable->insertRow(nRow);
    SetItemText(nRow, 0, pszText);
    return nRow;
}

bool CListCtrlEx::SetItemText(int nItem, int nSubItem, const char* pszText)
{
    if (m_pTable == nullptr || nItem < 0 || nItem >= m_pTable->rowCount() || nSubItem < 0
        || nSubItem >= m_pTable->columnCount())
        return false;
    auto* const pItem = new QTableWidgetItem(fromBytes(pszText));
    pItem->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (const QTableWidgetItem* pHeading = m_pTable->horizontalHeaderItem(nSubItem))
        pItem->setTextAlignment(Qt::Alignment(pHeading->textAlignment()));
    m_pTable->setItem(nItem, nSubItem, pItem);
    return true;
}

bool CListCtrlEx::DeleteAllItems()
{
    if (m_pTable == nullptr)
        return false;
    m_pTable->setRowCount(0);
    return true;
}

int CListCtrlEx::GetItemCount() const
{
    return m_pTable == nullptr ? 0 : m_pTable->rowCount();
}

int CListCtrlEx::GetColumnCount() const
{
    return m_pTable == nullptr ? 0 : m_pTable->columnCount();
}

int CListCtrlEx::GetHeadingWidth(const char* pszHeading) const
{
    if (m_pTable == nullptr)
        return 0;
    const QHeaderView* pHeader = m_pTable->horizontalHeader();
    const int nMargin = pHeader->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, pHeader);
    return pHeader->fontMetrics().horizontalAdvance(fromBytes(pszHeading)) + 4 * nMargin;
}

std::string CListCtrlEx::GetItemText(int nItem, int nSubItem) const
{
    if (m_pTable == nullptr)
        return {};
    const QTableWidgetItem* pItem = m_pTable->item(nItem, nSubItem);
    return pItem == nullptr ? std::string() : ToBytes(pItem->text());
}

bool CListCtrlEx::SetFullRowSel(bool bFullRow)
{
    if (m_pTable == nullptr)
        return false;
    const bool bWas = m_pTable->selectionBehavior() == QAbstractItemView::SelectRows;
    m_pTable->setSelectionBehavior(bFullRow ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    return bWas;
}

void CListCtrlEx::AddAttribute(const CAttribute& attribute)
{
    m_pAttributes->push_back(attribute);
    if (m_pTable != nullptr)
        m_pTable->viewport()->update();
}

std::string CListCtrlEx::CopyText() const
{
    const HtmlTable table = ToHtmlTable();
    std::vector<bool> abSelected(table.rows.size(), false);
    bool bAnySelected = false;
    if (m_pTable != nullptr && m_pTable->selectionModel() != nullptr) {
        for (const QModelIndex& index : m_pTable->selectionModel()->selectedIndexes()) {
            if (index.row() >= 0 && static_cast<std::size_t>(index.row()) < abSelected.size())
                abSelected[static_cast<std::size_t>(index.row())] = bAnySelected = true;
        }
    }
    std::string csOut;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (i > 0)
            csOut += '\t';
        appendCopyCell(csOut, table.columns[i].csHeading);
    }
    csOut += '\n';
    for (std::size_t nRow = 0; nRow < table.rows.size(); ++nRow) {
        if (bAnySelected && !abSelected[nRow])
            continue;
        for (std::size_t i = 0; i < table.rows[nRow].size(); ++i) {
            if (i > 0)
                csOut += '\t';
            appendCopyCell(csOut, table.rows[nRow][i]);
        }
        csOut += '\n';
    }
    return csOut;
}

void CListCtrlEx::Copy() const
{
    if (QClipboard* pClipboard = QGuiApplication::clipboard())
        pClipboard->setText(FromBytes(CopyText()));
}

void CListCtrlEx::SetHtmlPage(HtmlPage page) { m_htmlPage = std::move(page); }

HtmlTable CListCtrlEx::ToHtmlTable() const
{
    HtmlTable table;
    table.csTitle = GlobalVarsForDll::csSoftName;
    table.page = m_htmlPage;
    for (const CAttribute& attribute : *m_pAttributes)
        table.rowColors.push_back({ attribute.GetForeColor(), attribute.GetBackColor() });
    if (m_pTable == nullptr)
        return table;
    const QHeaderView* pHeader = m_pTable->horizontalHeader();
    std::vector<int> anLogical;
    for (int nVisual = 0; nVisual < m_pTable->columnCount(); ++nVisual) {
        const int nLogical = pHeader->logicalIndex(nVisual);
        anLogical.push_back(nLogical);
        const QTableWidgetItem* pHeading = m_pTable->horizontalHeaderItem(nLogical);
        table.columns.push_back({ pHeading != nullptr ? ToBytes(pHeading->text()) : std::string(),
            pHeading != nullptr && (pHeading->textAlignment() & Qt::AlignRight) != 0,
            m_pTable->columnWidth(nLogical) });
    }
    for (int nRow = 0; nRow < m_pTable->rowCount(); ++nRow) {
        std::vector<std::string> cells;
        for (const int nLogical : anLogical)
            cells.push_back(GetItemText(nRow, nLogical));
        table.rows.push_back(std::move(cells));
    }
    return table;
}

bool CListCtrlEx::Save(const std::string& csPath, int /*nMode*/, FileFailure* pFailure) const
{
    FileStatus status = WriteHtmlFile(csPath, ToHtmlTable());
    if (status.failure && pFailure != nullptr)
        *pFailure = std::move(*status.failure);
    return static_cast<bool>(status);
}
