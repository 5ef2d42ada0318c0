#include "CListCtrlEx.h"

#include <filesystem>
#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QTableWidget>
#include <QTest>

#include "CAttribute.h"
#include "GlobalVarsForDll.h"
#include "TempDir.h"

namespace {

struct ColumnDef
{
    const char* pszHeading;
    int nFormat;
    int nWidth;
};

// The results list's defaults, trailing blanks included, and a heading holding commas.
const std::vector<ColumnDef> REPORT_LIKE_COLUMNS = {
    { "Results", 0, 184 },
    { "# Lines ", 1, 67 },
    { "# Characters ", 1, 77 },
    { "% ", 1, 29 },
    { "Comments, notes", 0, 125 },
};

void insertColumns(CListCtrlEx& list, const std::vector<ColumnDef>& columns)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnDef& column = columns[i];
        ASSERT_EQ(list.InsertColumn(static_cast<int>(i), column.pszHeading, column.nFormat, column.nWidth, -1),
            static_cast<int>(i));
    }
}

std::string heading(const QTableWidget& table, int nLogical)
{
    const QTableWidgetItem* pItem = table.horizontalHeaderItem(nLogical);
    return pItem == nullptr ? std::string("<none>") : pItem->text().toStdString();
}

bool isRightAligned(const QTableWidget& table, int nLogical)
{
    const QTableWidgetItem* pItem = table.horizontalHeaderItem(nLogical);
    return pItem != nullptr && (pItem->textAlignment() & Qt::AlignRight) != 0;
}

std::vector<int> visualOrder(const QTableWidget& table)
{
    std::vector<int> anOrder;
    for (int nVisual = 0; nVisual < table.columnCount(); ++nVisual)
        anOrder.push_back(table.horizontalHeader()->logicalIndex(nVisual));
    return anOrder;
}

CAttribute attribute(COLORREF crFore, COLORREF crBack)
{
    CAttribute result;
    result.SetForeColor(crFore);
    result.SetBackColor(crBack);
    return result;
}

} // namespace

class CListCtrlExTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_table.resize(640, 240);
        m_list.Attach(&m_table);
    }

    [[nodiscard]] std::string IniPath() const { return m_dir / "config/Test.ini"; }

    TempDir m_dir;
    QTableWidget m_table;
    CListCtrlEx m_list;
};

TEST_F(CListCtrlExTest, ColumnsAndRowsGoWhereTheIndexSays)
{
    EXPECT_EQ(m_list.InsertColumn(0, "Right", 1, 50, -1), 0);
    EXPECT_EQ(m_list.InsertColumn(0, "Left", 0, 80, -1), 0);
    EXPECT_EQ(m_list.InsertColumn(99, "Appended", 0, 30, -1), 2);
    EXPECT_EQ(m_list.InsertColumn(-1, "Refused", 0, 30, -1), -1);
    ASSERT_EQ(m_list.GetColumnCount(), 3);
    EXPECT_EQ(heading(m_table, 0), "Left");
    EXPECT_EQ(heading(m_table, 1), "Right");
    EXPECT_EQ(heading(m_table, 2), "Appended");
    EXPECT_EQ(m_table.columnWidth(0), 80);
    EXPECT_EQ(m_table.columnWidth(1), 50);
    EXPECT_FALSE(isRightAligned(m_table, 0));
    EXPECT_TRUE(isRightAligned(m_table, 1));

    EXPECT_EQ(m_list.InsertItem(0, "second"), 0);
    EXPECT_EQ(m_list.InsertItem(0, "first"), 0);
    EXPECT_EQ(m_list.InsertItem(50, "third"), 2);
    EXPECT_EQ(m_list.InsertItem(-1, "refused"), -1);
    EXPECT_TRUE(m_list.SetItemText(1, 1, "42"));
    ASSERT_EQ(m_list.GetItemCount(), 3);
    EXPECT_EQ(m_list.GetItemText(0, 0), "first");
    EXPECT_EQ(m_list.GetItemText(1, 0), "second");
    EXPECT_EQ(m_list.GetItemText(2, 0), "third");
    EXPECT_EQ(m_list.GetItemText(1, 1), "42");
    EXPECT_EQ(m_list.GetItemText(0, 1), "");

    // A cell follows its column's alignment and cannot be edited in place.
    const QTableWidgetItem* pCell = m_table.item(1, 1);
    ASSERT_NE(pCell, nullptr);
    EXPECT_NE(pCell->textAlignment() & Qt::AlignRight, 0);
    EXPECT_EQ(m_table.item(1, 0)->textAlignment() & Qt::AlignRight, 0);
    EXPECT_FALSE(pCell->flags() & Qt::ItemIsEditable);

    EXPECT_TRUE(m_list.DeleteAllItems());
    EXPECT_EQ(m_list.GetItemCount(), 0);
    EXPECT_EQ(m_list.GetColumnCount(), 3) << "the columns stay for the next report";
}

TEST_F(CListCtrlExTest, SetItemTextOutsideTheListChangesNothing)
{
    insertColumns(m_list, { { "A", 0, 40 }, { "B", 1, 40 } });
    m_list.InsertItem(0, "row");
    EXPECT_FALSE(m_list.SetItemText(1, 0, "no such row"));
    EXPECT_FALSE(m_list.SetItemText(0, 2, "no such column"));
    EXPECT_FALSE(m_list.SetItemText(0, -1, "negative"));
    EXPECT_FALSE(m_list.SetItemText(-1, 0, "negative"));
    EXPECT_EQ(m_list.GetItemCount(), 1);
    EXPECT_EQ(m_list.GetColumnCount(), 2);
    EXPECT_EQ(m_list.GetItemText(0, 0), "row");
}

TEST_F(CListCtrlExTest, RowsArePaintedWithTheAttributesInTurn)
{
    insertColumns(m_list, { { "Label", 0, 60 }, { "Empty", 0, 200 } });
    for (int i = 0; i < 5; ++i)
        m_list.InsertItem(i, "x");
    m_list.AddAttribute(attribute(0x000000, 0xBFFFFF));
    m_list.AddAttribute(attribute(0x000000, 0xF5FFFF));
    m_table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_table));

    const QImage image = m_table.grab().toImage();
    const QColor expected[] = { QColor(255, 255, 191), QColor(255, 255, 245) };
    for (int nRow = 0; nRow < 5; ++nRow) {
        // The middle of an empty cell shows the background alone.
        const QRect cell = m_table.visualRect(m_table.model()->index(nRow, 1));
        const QPoint at = m_table.viewport()->mapTo(&m_table, cell.center());
        EXPECT_EQ(image.pixelColor(at), expected[nRow % 2]) << "row " << nRow;
    }
}

// A dialog holding the list as a member and its table as a child widget: the member goes first, the
// table with the dialog's children. A child made before the table repaints it in between.
class ListDialog : public QWidget
{
public:
    explicit ListDialog(QImage& painted)
        : m_pPainter(new Painter(this, painted))
        , m_pTable(new QTableWidget(this))
    {
        m_pTable->resize(200, 80);
        m_pPainter->m_pTable = m_pTable;
        m_list.Attach(m_pTable);
        insertColumns(m_list, { { "Label", 0, 100 } });
        m_list.InsertItem(0, "x");
        m_list.AddAttribute(attribute(0x000000, 0xBFFFFF));
        m_list.AddAttribute(attribute(0x000000, 0xF5FFFF));
    }

private:
    struct Painter : QObject
    {
        Painter(QObject* pParent, QImage& painted)
            : QObject(pParent)
            , m_painted(painted)
        {
        }
        ~Painter() override { m_painted = m_pTable->viewport()->grab().toImage(); }
        QImage& m_painted;
        QTableWidget* m_pTable = nullptr;
    };
    Painter* const m_pPainter;
    QTableWidget* const m_pTable;
    CListCtrlEx m_list;
};

TEST(CListCtrlExLifetime, TableRepaintedAfterTheListIsGoneKeepsItsColours)
{
    QImage painted;
    auto pDialog = std::make_unique<ListDialog>(painted);
    pDialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(pDialog.get()));
    pDialog.reset();
    ASSERT_FALSE(painted.isNull());
    EXPECT_EQ(painted.pixelColor(50, 5), QColor(255, 255, 191));
}

TEST_F(CListCtrlExTest, FullRowSelectionSelectsTheWholeRowOnAClick)
{
    insertColumns(m_list, { { "A", 0, 80 }, { "B", 1, 80 }, { "C", 0, 80 } });
    for (int i = 0; i < 3; ++i) {
        m_list.InsertItem(i, "row");
        m_list.SetItemText(i, 1, "1");
        m_list.SetItemText(i, 2, "2");
    }
    m_table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_table));
    const auto clickCell = [this](int nRow, int nCol) {
        m_table.clearSelection();
        QTest::mouseClick(m_table.viewport(), Qt::LeftButton, Qt::NoModifier,
            m_table.visualRect(m_table.model()->index(nRow, nCol)).center());
        return m_table.selectionModel()->selectedIndexes().size();
    };

    EXPECT_FALSE(m_list.SetFullRowSel(true));
    EXPECT_EQ(clickCell(1, 2), 3);
    EXPECT_TRUE(m_table.selectionModel()->isRowSelected(1, QModelIndex()));
    EXPECT_FALSE(m_table.selectionModel()->isRowSelected(0, QModelIndex()));

    EXPECT_TRUE(m_list.SetFullRowSel(false));
    EXPECT_EQ(clickCell(2, 1), 1);
}

TEST_F(CListCtrlExTest, LayoutRoundTripsThroughTheIniFile)
{
    m_list.SetPersistStorage(IniPath(), "lvResults");
    insertColumns(m_list, REPORT_LIKE_COLUMNS);
    m_list.InsertItem(0, "rows are not part of the layout");
    QHeaderView* const pHeader = m_table.horizontalHeader();
    pHeader->resizeSection(2, 140);
    pHeader->moveSection(4, 1); // "Comments, notes" shown second
    const std::vector<int> anOrder = visualOrder(m_table);
    ASSERT_EQ(anOrder, (std::vector<int> { 0, 4, 1, 2, 3 }));
    ASSERT_TRUE(m_list.StorePersistStorage());
    ASSERT_TRUE(std::filesystem::exists(IniPath())) << "the store creates the missing folder";

    QTableWidget table;
    CListCtrlEx restored;
    restored.Attach(&table);
    restored.SetPersistStorage(IniPath(), "lvResults");
    ASSERT_TRUE(restored.RestorePersistStorage());
    ASSERT_EQ(table.columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE("column " + std::to_string(i));
        EXPECT_EQ(heading(table, i), REPORT_LIKE_COLUMNS[static_cast<std::size_t>(i)].pszHeading);
        EXPECT_EQ(isRightAligned(table, i), REPORT_LIKE_COLUMNS[static_cast<std::size_t>(i)].nFormat == 1);
        EXPECT_EQ(table.columnWidth(i), i == 2 ? 140 : REPORT_LIKE_COLUMNS[static_cast<std::size_t>(i)].nWidth);
    }
    EXPECT_EQ(visualOrder(table), anOrder);
    EXPECT_EQ(table.rowCount(), 0);
}

TEST_F(CListCtrlExTest, StoreReplacesItsSectionAndKeepsTheRestOfTheFile)
{
    const std::string csBefore = "; kept as it stands\n"
                                 "[Projects]\n0=/src/a\n1=/src/b\n\n"
                                 "[lvResults]\nColumns=9\nColumn8=1,0,stale\n\n"
                                 "[Other]\nkey = value with  two blanks\n";
    m_dir.WriteFile("config/Test.ini", csBefore);
    m_list.SetPersistStorage(IniPath(), "lvResults");
    insertColumns(m_list, REPORT_LIKE_COLUMNS);
    ASSERT_TRUE(m_list.StorePersistStorage());
    m_table.setColumnCount(3);
    ASSERT_TRUE(m_list.StorePersistStorage());

    const std::string csAfter = ReadWholeFile(IniPath());
    EXPECT_EQ(csAfter.rfind("; kept as it stands\n[Projects]\n0=/src/a\n1=/src/b\n\n", 0), 0u) << csAfter;
    EXPECT_NE(csAfter.find("[Other]\nkey = value with  two blanks\n"), std::string::npos) << csAfter;
    EXPECT_EQ(csAfter.find("[lvResults]"), csAfter.rfind("[lvResults]")) << csAfter;
    EXPECT_EQ(csAfter.find("stale"), std::string::npos) << csAfter;
    EXPECT_EQ(csAfter.find("Column3"), std::string::npos) << csAfter;

    QTableWidget table;
    CListCtrlEx restored;
    restored.Attach(&table);
    restored.SetPersistStorage(IniPath(), "lvResults");
    ASSERT_TRUE(restored.RestorePersistStorage());
    EXPECT_EQ(table.columnCount(), 3);
}

struct StoredLayoutCase
{
    const char* pszName;
    std::optional<std::string> csIni; // nothing: no file at all
};

class CListCtrlExRestoreTest : public ::testing::TestWithParam<StoredLayoutCase>
{
};

TEST_P(CListCtrlExRestoreTest, RejectsTheSectionAndInsertsNothing)
{
    TempDir dir;
    if (GetParam().csIni)
        dir.WriteFile("Test.ini", *GetParam().csIni);
    QTableWidget table;
    CListCtrlEx list;
    list.Attach(&table);
    list.SetPersistStorage(dir / "Test.ini", "lvResults");
    EXPECT_FALSE(list.RestorePersistStorage());
    EXPECT_EQ(table.columnCount(), 0);
}

// A well-formed two-column section; each bad case spoils one part of it.
const std::string VALID_HEAD = "[lvResults]\nColumns=2\n";
const std::string VALID_COLUMNS = "Column0=100,0,Results\nColumn1=50,1,# Lines \n";

INSTANTIATE_TEST_SUITE_P(BadLayouts, CListCtrlExRestoreTest,
    ::testing::Values(StoredLayoutCase { "NoFile", std::nullopt },
        StoredLayoutCase { "NoSection", "[Projects]\n0=/src\n" }, StoredLayoutCase { "EmptySection", "[lvResults]\n" },
        StoredLayoutCase { "CountNotANumber", "[lvResults]\nColumns=two\n" + VALID_COLUMNS + "Order=0,1\n" },
        StoredLayoutCase { "CountWithTrailingText", "[lvResults]\nColumns=2x\n" + VALID_COLUMNS + "Order=0,1\n" },
        StoredLayoutCase { "CountZero", "[lvResults]\nColumns=0\nOrder=\n" },
        StoredLayoutCase { "CountNegative", "[lvResults]\nColumns=-2\n" + VALID_COLUMNS + "Order=0,1\n" },
        StoredLayoutCase { "CountHuge", "[lvResults]\nColumns=100000\n" + VALID_COLUMNS + "Order=0,1\n" },
        StoredLayoutCase { "ColumnMissing", "[lvResults]\nColumns=3\n" + VALID_COLUMNS + "Order=0,1,2\n" },
        StoredLayoutCase { "WidthNotANumber", VALID_HEAD + "Column0=wide,0,Results\nColumn1=50,1,B\nOrder=0,1\n" },
        StoredLayoutCase { "WidthNegative", VALID_HEAD + "Column0=-5,0,Results\nColumn1=50,1,B\nOrder=0,1\n" },
        StoredLayoutCase { "FormatUnknown", VALID_HEAD + "Column0=100,2,Results\nColumn1=50,1,B\nOrder=0,1\n" },
        StoredLayoutCase { "HeadingMissing", VALID_HEAD + "Column0=100,0\nColumn1=50,1,B\nOrder=0,1\n" },
        StoredLayoutCase { "OrderMissing", VALID_HEAD + VALID_COLUMNS },
        StoredLayoutCase { "OrderOutOfRange", VALID_HEAD + VALID_COLUMNS + "Order=0,2\n" },
        StoredLayoutCase { "OrderNegative", VALID_HEAD + VALID_COLUMNS + "Order=-1,0\n" },
        StoredLayoutCase { "OrderDuplicate", VALID_HEAD + VALID_COLUMNS + "Order=1,1\n" },
        StoredLayoutCase { "OrderTooShort", VALID_HEAD + VALID_COLUMNS + "Order=0\n" },
        StoredLayoutCase { "OrderTooLong", VALID_HEAD + VALID_COLUMNS + "Order=0,1,0\n" },
        StoredLayoutCase { "OrderNotNumbers", VALID_HEAD + VALID_COLUMNS + "Order=a,b\n" }),
    [](const ::testing::TestParamInfo<StoredLayoutCase>& caseInfo) { return std::string(caseInfo.param.pszName); });

TEST(CListCtrlExRestore, AcceptsTheWellFormedSectionTheBadOnesAreMadeFrom)
{
    TempDir dir;
    dir.WriteFile("Test.ini", VALID_HEAD + VALID_COLUMNS + "Order=1,0\n");
    QTableWidget table;
    CListCtrlEx list;
    list.Attach(&table);
    list.SetPersistStorage(dir / "Test.ini", "lvResults");
    ASSERT_TRUE(list.RestorePersistStorage());
    ASSERT_EQ(table.columnCount(), 2);
    EXPECT_EQ(heading(table, 1), "# Lines"); // an unquoted value loses its trailing blank
    EXPECT_EQ(table.columnWidth(0), 100);
    EXPECT_EQ(visualOrder(table), (std::vector<int> { 1, 0 }));
}

TEST_F(CListCtrlExTest, HtmlTableFollowsTheDisplayOrder)
{
    GlobalVarsForDll::csSoftName = "Pindrel";
    insertColumns(m_list, { { "A", 0, 40 }, { "B", 1, 50 }, { "C", 0, 60 } });
    m_list.InsertItem(0, "a0");
    m_list.SetItemText(0, 1, "b0");
    m_list.SetItemText(0, 2, "c0");
    m_list.InsertItem(1, "a1");
    m_list.AddAttribute(attribute(0x000000, 0xBFFFFF));
    m_list.AddAttribute(attribute(0x0000FF, 0xF5FFFF));
    m_table.horizontalHeader()->moveSection(2, 0); // C, A, B

    const HtmlTable html = m_list.ToHtmlTable();
    EXPECT_EQ(html.csTitle, "Pindrel");
    ASSERT_EQ(html.columns.size(), 3u);
    EXPECT_EQ(html.columns[0].csHeading, "C");
    EXPECT_EQ(html.columns[1].csHeading, "A");
    EXPECT_EQ(html.columns[2].csHeading, "B");
    EXPECT_EQ(html.columns[0].nWidth, 60);
    EXPECT_TRUE(html.columns[2].bRightAligned);
    EXPECT_FALSE(html.columns[0].bRightAligned);
    ASSERT_EQ(html.rows.size(), 2u);
    EXPECT_EQ(html.rows[0], (std::vector<std::string> { "c0", "a0", "b0" }));
    EXPECT_EQ(html.rows[1], (std::vector<std::string> { "", "a1", "" }));
    ASSERT_EQ(html.rowColors.size(), 2u);
    EXPECT_EQ(html.rowColors[0].crBack, 0xBFFFFFu);
    EXPECT_EQ(html.rowColors[1].crFore, 0x0000FFu);
}

TEST_F(CListCtrlExTest, CopyPutsTheSelectedOrAllRowsOnTheClipboard)
{
    insertColumns(m_list, { { "Results", 0, 80 }, { "# Lines ", 1, 50 } });
    const char* const rows[][2] = { { "Code & comments", "80" }, { "Code only", "50" }, { "# lines", "100" } };
    for (int i = 0; i < 3; ++i) {
        m_list.InsertItem(i, rows[i][0]);
        m_list.SetItemText(i, 1, rows[i][1]);
    }
    m_list.SetFullRowSel(1);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));

    QTest::keyClick(&m_table, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
        "Results\t# Lines \nCode & comments\t80\nCode only\t50\n# lines\t100\n");

    m_table.selectRow(0);
    m_table.selectionModel()->select(
        m_table.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(m_table.contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(m_table.actions().size(), 1);
    m_table.actions().front()->trigger();
    EXPECT_EQ(
        QGuiApplication::clipboard()->text().toStdString(), "Results\t# Lines \nCode & comments\t80\n# lines\t100\n");
}

TEST_F(CListCtrlExTest, SaveWritesThePageOrSaysWhyNot)
{
    insertColumns(m_list, REPORT_LIKE_COLUMNS);
    m_list.InsertItem(0, "Code & comments");
    FileFailure failure;
    const std::string csPath = m_dir / "out.html";
    ASSERT_TRUE(m_list.Save(csPath, 1, &failure));
    EXPECT_EQ(ReadWholeFile(csPath), RenderHtml(m_list.ToHtmlTable()));
    EXPECT_NE(ReadWholeFile(csPath).find("Code &amp; comments"), std::string::npos);

    EXPECT_FALSE(m_list.Save(m_dir / "missing/out.html", 1, &failure));
    EXPECT_EQ(failure.csPath, m_dir / "missing/out.html");
    EXPECT_FALSE(m_list.Save(m_dir / "missing/out.html", 1)); // no error wanted: no crash either
}
