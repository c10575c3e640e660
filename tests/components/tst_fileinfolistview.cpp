// The Key/Value list of a file's version information.

#include "fileinfo_fixture.h"
#include "o_Error.h"
#include "o_FileInfoListView.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QWidget>

using namespace vbtest;

namespace {

const QStringList Captions = {"CompanyName",     "File Description", "FileName",          "File Version",
                              "Internal Name",   "Legal Copyright",  "Legal TradeMarks",  "Original Filename",
                              "Product Name",    "Product Version"};

QStringList column(const QTreeWidget &view, int col)
{
    QStringList out;
    for (int i = 0; i < view.topLevelItemCount(); ++i)
        out << view.topLevelItem(i)->text(col);
    return out;
}

// A list view that counts its rebuilds.
class CountingListView : public TqdFileInfoListView {
public:
    using TqdFileInfoListView::TqdFileInfoListView;
    int rebuilds = 0;
    void RebuildList() override
    {
        ++rebuilds;
        TqdFileInfoListView::RebuildList();
    }
};

} // namespace

TEST(FileInfoListView, WithoutParentItHasNoColumnsAndNoRows)
{
    TqdFileInfoListView view;
    EXPECT_EQ(view.width(), 254);
    EXPECT_EQ(view.height(), 166);
    EXPECT_EQ(view.columnCount(), 0);
    EXPECT_EQ(view.topLevelItemCount(), 0);
    EXPECT_FALSE(view.rootIsDecorated());
    EXPECT_FALSE(view.ReadOnly());
}

TEST(FileInfoListView, ShowsTheTenRowsInOrderWithHalfWidthColumns)
{
    const VersionInfo info = standardInfo();
    const std::string path = writeFile("listed.dll", peWith(info.build()).bytes);
    for (int width : {254, 247}) {
        TqdFileInfoListView view;
        view.resize(width, 166);
        view.SetFileName(path);
        ASSERT_EQ(view.columnCount(), 2);
        EXPECT_EQ(view.headerItem()->text(0), "Key");
        EXPECT_EQ(view.headerItem()->text(1), "Value");
        EXPECT_EQ(view.columnWidth(0), width / 2);
        EXPECT_EQ(view.columnWidth(1), width / 2);
        EXPECT_EQ(column(view, 0), Captions);
        EXPECT_EQ(column(view, 1), (QStringList{"Company", "Description", QString::fromStdString(path), "1.2.3.44",
                                                "Internal", "Copyright", "Trademarks", "Original", "Product",
                                                "1.2.0.0"}));
    }
}

TEST(FileInfoListView, MissingFileRaisesAndLeavesTheRows)
{
    const std::string good = writeFile("good.dll", peWith(standardInfo().build()).bytes);
    TqdFileInfoListView view;
    view.SetFileName(good);
    const QStringList before = column(view, 1);

    for (const std::string &missing : {testDir() + "/missing.exe", testDir(), std::string(" missing.exe ")}) {
        try {
            view.SetFileName(missing);
            ADD_FAILURE() << "no error for " << missing;
        } catch (const EqdError &e) {
            EXPECT_EQ(std::string(e.what()), missing + " file does not exist!");
        }
        EXPECT_EQ(view.FileName(), missing);
        EXPECT_EQ(view.FileInfo()->FileName(), good);
        EXPECT_EQ(column(view, 1), before);
    }
}

TEST(FileInfoListView, BlankNameShowsTheRunningExecutable)
{
    TqdFileInfoListView view;
    view.SetFileName("  ");
    EXPECT_EQ(view.FileName(), "  ");
    EXPECT_EQ(view.topLevelItem(2)->text(1), QCoreApplication::applicationFilePath());
}

TEST(FileInfoListView, EveryAssignmentRereadsAndRebuilds)
{
    VersionInfo first = standardInfo("one-");
    const std::string path = writeFile("changing", elfWith(first.build()).bytes);
    CountingListView view;
    view.SetFileName(path);
    view.SetFileName(path);
    EXPECT_EQ(view.rebuilds, 2);
    EXPECT_EQ(view.topLevelItemCount(), 10);

    // The same name read again after the file changed shows the new values.
    writeFile("changing", elfWith(standardInfo("two-").build()).bytes);
    view.SetFileName(path);
    EXPECT_EQ(view.topLevelItem(0)->text(1), "two-Company");

    // A file without a version block: rebuilt, with the values of the last read.
    const std::string plain = writeFile("plain.txt", Bytes{'x'});
    view.SetFileName(plain);
    EXPECT_EQ(view.rebuilds, 4);
    EXPECT_EQ(view.topLevelItem(0)->text(1), "two-Company");
    EXPECT_EQ(view.topLevelItem(2)->text(1), QString::fromStdString(plain));
}

TEST(FileInfoListView, GettingAParentRebuildsWithoutReading)
{
    const std::string path = writeFile("parented", elfWith(standardInfo().build()).bytes);
    QWidget parent;
    CountingListView view;
    view.SetFileName(path);
    view.setColumnWidth(0, 10);
    view.topLevelItem(0)->setText(0, "edited");
    writeFile("parented", elfWith(standardInfo("new-").build()).bytes);

    view.setParent(&parent);
    EXPECT_EQ(view.rebuilds, 2);
    EXPECT_EQ(view.columnWidth(0), 127);
    EXPECT_EQ(view.topLevelItem(0)->text(0), "CompanyName");
    EXPECT_EQ(view.topLevelItem(0)->text(1), "Company"); // not re-read

    view.setParent(nullptr); // taken off its parent: nothing happens
    EXPECT_EQ(view.rebuilds, 2);
}

TEST(FileInfoListView, ConstructedWithAParentHasItsRowsAtOnce)
{
    QWidget parent;
    TqdFileInfoListView view(&parent);
    EXPECT_EQ(column(view, 0), Captions);
    EXPECT_EQ(column(view, 1), QStringList(10, QString()));
}

TEST(FileInfoListView, OnlyRowCaptionsAreEditableUnlessReadOnly)
{
    QWidget parent;
    TqdFileInfoListView view(&parent);
    QTreeWidgetItem *row = view.topLevelItem(0);
    EXPECT_TRUE(row->flags() & Qt::ItemIsEditable);
    const QModelIndex value = view.model()->index(0, 1);
    EXPECT_EQ(view.itemDelegate()->createEditor(&view, QStyleOptionViewItem(), value), nullptr);

    view.SetReadOnly(true);
    EXPECT_FALSE(view.topLevelItem(0)->flags() & Qt::ItemIsEditable);
    view.RebuildList();
    EXPECT_FALSE(view.topLevelItem(0)->flags() & Qt::ItemIsEditable);
}
