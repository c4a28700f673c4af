#include "controls/shelltree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QLocale>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "platform/pathtext.h"
#include "tests/support/removetree.h"

namespace {

QStringList ChildTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) texts.append(node->child(i)->text(0));
    return texts;
}

bool HasButton(const QTreeWidgetItem* node) {
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || node->childCount() > 0;
}

// Works in a temporary folder, reached from the root through the tree itself.
class ShellTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        base = QDir(temp.path()).canonicalPath() + u'/';
        ASSERT_FALSE(base.contains(QStringLiteral("/."))) << "hidden folders are never listed";
        tree.Loaded();
    }

    void makeDirs(std::initializer_list<const char*> names) {
        for (const char* name : names) ASSERT_TRUE(QDir().mkpath(base + QString::fromUtf8(name)));
    }

    // The node of an exact path among the nodes listed so far.
    QTreeWidgetItem* node(const QString& path) const {
        QTreeWidgetItem* found = tree.topLevelItem(0);
        for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
            QTreeWidgetItem* parent = found;
            found = nullptr;
            for (int i = 0; parent != nullptr && i < parent->childCount() && !found; ++i) {
                if (parent->child(i)->text(0) == part) found = parent->child(i);
            }
        }
        return found;
    }

    // The temporary folder's node, opened as by the user.
    QTreeWidgetItem* openBase() {
        tree.setPathName(base);
        QTreeWidgetItem* baseNode = node(base);
        if (baseNode != nullptr) baseNode->setExpanded(true);
        return baseNode;
    }

    QTemporaryDir temp;
    QString base;
    TShellTree tree;
};

TEST_F(ShellTree, StartsWithTheRootUnreadWithItsButton) {
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "/");
    EXPECT_EQ(tree.topLevelItem(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_EQ(tree.PathName(), "");
    EXPECT_EQ(tree.FolderName(), "");

    tree.setPathName(QStringLiteral("/"));
    EXPECT_EQ(tree.PathName(), "/");
    EXPECT_EQ(tree.FolderName(), "/");
    EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());
}

TEST_F(ShellTree, SetPathNameMatchesCaseOpensAncestorsNotTheNode) {
    makeDirs({"Photos/\xe5\x86\x99\xe7\x9c\x9f/Day1", "photos2"});
    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.setPathName(base + QString::fromUtf8("PHOTOS/\xe5\x86\x99\xe7\x9c\x9f"));
    const QString expected = base + QString::fromUtf8("Photos/\xe5\x86\x99\xe7\x9c\x9f/");
    EXPECT_EQ(tree.PathName(), expected);
    EXPECT_EQ(tree.FolderName(), expected.chopped(1));
    EXPECT_EQ(changes.count(), 1);

    QTreeWidgetItem* selected = node(expected);
    ASSERT_NE(selected, nullptr);
    EXPECT_FALSE(selected->isExpanded());
    EXPECT_EQ(selected->childCount(), 0);
    EXPECT_TRUE(HasButton(selected));
    EXPECT_TRUE(node(base + "Photos")->isExpanded());
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());

    tree.setFolderName(expected.chopped(1));  // the same folder: no change
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(ShellTree, MissingComponentKeepsSelectionAndOpensAncestors) {
    makeDirs({"a/b/c"});
    tree.setPathName(base + "a");
    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.setPathName(base + "a/b/gone/deeper");
    EXPECT_EQ(tree.PathName(), base + "a/");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(node(base + "a/b")->isExpanded());
}

TEST_F(ShellTree, RelativeEmptyOrDoubleSlashPathsSelectNothing) {
    makeDirs({"a/b"});
    for (const QString& path : {QString(), QString("a"), base.mid(1) + "a", base + "a//b"}) {
        SCOPED_TRACE(path.toStdString());
        QSignalSpy changes(&tree, &TShellTree::OnChange);
        tree.setPathName(path);
        EXPECT_EQ(tree.PathName(), "");
        EXPECT_EQ(changes.count(), 0);
        EXPECT_EQ(tree.topLevelItem(0)->isExpanded(), path.startsWith(u'/'));
    }
}

// A folder named in Latin-1 shows a replacement character, and its path keeps
// the byte the file system holds.
TEST_F(ShellTree, FolderNamesThatAreNotUtf8KeepTheirBytes) {
    const std::string latin1 = PathBytes(base) + "caf\xe9";
    const RemoveTreeAtEnd remove(latin1);
    ASSERT_EQ(mkdir(latin1.c_str(), 0755), 0);
    ASSERT_EQ(mkdir((latin1 + "/sub").c_str(), 0755), 0);
    tree.setPathName(PathText(latin1 + "/sub/"));
    EXPECT_EQ(PathBytes(tree.PathName()), latin1 + "/sub/");
    QTreeWidgetItem* baseNode = node(base);
    ASSERT_NE(baseNode, nullptr);
    EXPECT_EQ(ChildTexts(baseNode), QStringList{QStringLiteral("caf\uFFFD")});
}

TEST_F(ShellTree, ListingLeavesOutHiddenSortsAndProbesEachChild) {
    makeDirs({"b/sub", "A/.git", "c", ".hidden/inner", "linked/sub"});
    ASSERT_TRUE(QFile::link(base + "linked", base + "alias"));
    QTreeWidgetItem* baseNode = openBase();
    ASSERT_NE(baseNode, nullptr);
    EXPECT_TRUE(baseNode->isExpanded());
    EXPECT_EQ(ChildTexts(baseNode), (QStringList{"A", "alias", "b", "c", "linked"}));
    EXPECT_FALSE(HasButton(node(base + "A")));  // only a hidden sub-folder
    EXPECT_TRUE(HasButton(node(base + "alias")));
    EXPECT_TRUE(HasButton(node(base + "b")));
    EXPECT_FALSE(HasButton(node(base + "c")));
    tree.setPathName(base + ".hidden/inner");
    EXPECT_EQ(tree.PathName(), base);
}

// The C locale of minimal systems included: letter case aside, not capitals first.
TEST_F(ShellTree, SubfoldersSortLetterCaseAsideInEveryLocale) {
    makeDirs({"y", "Z", "b", "A", "c", "\xc3\xa9t\xc3\xa9", "ete"});
    for (const char* name : {"C", "en_US", "de_DE", "ja_JP", "fr_FR"}) {
        SCOPED_TRACE(name);
        QLocale::setDefault(QLocale(QString::fromUtf8(name)));
        tree.Update();
        QTreeWidgetItem* baseNode = openBase();
        ASSERT_NE(baseNode, nullptr);
        EXPECT_EQ(
            ChildTexts(baseNode),
            (QStringList{"A", "b", "c", "ete", QString::fromUtf8("\xc3\xa9t\xc3\xa9"), "y", "Z"}));
    }
    QLocale::setDefault(QLocale::system());
}

TEST_F(ShellTree, OpeningTwiceReadsTheFolderOnce) {
    makeDirs({"first"});
    QTreeWidgetItem* baseNode = openBase();
    ASSERT_NE(baseNode, nullptr);
    baseNode->setExpanded(false);
    makeDirs({"second"});
    QTest::keyClick(&tree, Qt::Key_Plus);  // the user opens the selected node again
    EXPECT_TRUE(baseNode->isExpanded());
    EXPECT_EQ(ChildTexts(baseNode), QStringList{"first"});

    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.Update();  // a rebuild forgets the listing and the selection
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(tree.PathName(), "");
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    tree.Update();
    EXPECT_EQ(changes.count(), 1);  // nothing was selected
    baseNode = openBase();
    ASSERT_NE(baseNode, nullptr);
    EXPECT_EQ(ChildTexts(baseNode), (QStringList{"first", "second"}));
}

TEST_F(ShellTree, FolderEmptiedAfterTheProbeLosesItsButtonButOpens) {
    makeDirs({"E/sub"});
    ASSERT_NE(openBase(), nullptr);
    QTreeWidgetItem* e = node(base + "E");
    EXPECT_TRUE(HasButton(e));
    ASSERT_TRUE(QDir(base + "E/sub").removeRecursively());
    e->setExpanded(true);
    EXPECT_TRUE(e->isExpanded());
    EXPECT_FALSE(HasButton(e));
}

TEST_F(ShellTree, UnreadableFolderRefusesExpansionAndIsTriedAgain) {
    makeDirs({"R/sub"});
    ASSERT_NE(openBase(), nullptr);
    QTreeWidgetItem* r = node(base + "R");
    ASSERT_TRUE(QDir(base + "R").removeRecursively());
    r->setExpanded(true);
    EXPECT_FALSE(r->isExpanded());
    EXPECT_TRUE(HasButton(r));

    makeDirs({"R/again"});
    r->setExpanded(true);
    EXPECT_TRUE(r->isExpanded());
    EXPECT_EQ(ChildTexts(r), QStringList{"again"});
}

TEST_F(ShellTree, TreeNeverLoadedRefusesTheUserButNotSetPathName) {
    makeDirs({"x/y"});
    TShellTree fresh;
    QTreeWidgetItem* root = fresh.topLevelItem(0);
    fresh.setCurrentItem(root);
    QTest::keyClick(&fresh, Qt::Key_Right);
    EXPECT_FALSE(root->isExpanded());
    EXPECT_EQ(root->childCount(), 0);

    fresh.setPathName(base + "x/y");
    EXPECT_EQ(fresh.PathName(), base + "x/y/");
    QTreeWidgetItem* x = fresh.currentItem()->parent();
    EXPECT_TRUE(x->isExpanded());
    x->setExpanded(false);
    x->setExpanded(true);  // listed already, still refused
    EXPECT_FALSE(x->isExpanded());
}

TEST_F(ShellTree, AsteriskOpensOneLevelOnly) {
    makeDirs({"a/b/c"});
    tree.setPathName(base + "a");
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    EXPECT_TRUE(node(base + "a")->isExpanded());
    ASSERT_NE(node(base + "a/b"), nullptr);
    EXPECT_FALSE(node(base + "a/b")->isExpanded());
    EXPECT_EQ(node(base + "a/b")->childCount(), 0);
}

// A deep folder chosen before a small tree is shown is in view once it shows,
// its own level included, not hidden below or to the right of the viewport.
TEST_F(ShellTree, SelectedFolderIsInViewWhenTheTreeShows) {
    makeDirs({"a/b/c/d/e/f/g/Thumbs", "a/b/c/d/e/f/g/other1", "a/b/c/d/e/f/g/other2"});
    tree.resize(145, 120);
    tree.setPathName(base + "a/b/c/d/e/f/g/Thumbs");
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QTest::qWait(10);
    const QRect item = tree.visualItemRect(tree.currentItem());
    const QRect view = tree.viewport()->rect();
    EXPECT_TRUE(view.contains(item.topLeft())) << item.x() << "," << item.y();
    EXPECT_GE(item.top(), 0);
    EXPECT_LE(item.bottom(), view.bottom());
}

// Sideways the tree moves only as far as the selected name needs: its end at
// the right edge, or no move at all when it fits; ancestors keep their place.
TEST_F(ShellTree, ScrollsSidewaysOnlyAsFarAsTheSelectedNameNeeds) {
    makeDirs({"alpha/beta/gamma/delta/Thumbnails/x", "alpha/beta/gamma/delta/other"});
    tree.resize(145, 120);
    const auto nameEnd = [this] {
        QTreeWidgetItem* item = tree.currentItem();
        return tree.visualItemRect(item).left() +
               tree.fontMetrics().horizontalAdvance(item->text(0));
    };
    const auto check = [&](const char* what) {
        SCOPED_TRACE(what);
        const int width = tree.viewport()->width();
        const int start = tree.visualItemRect(tree.currentItem()).left();
        const int scrolled = tree.horizontalScrollBar()->value();
        EXPECT_GE(start, 0);
        EXPECT_LE(nameEnd(), width);
        if (scrolled > 0) {
            EXPECT_GE(nameEnd(), width - 8) << "scrolled " << scrolled;
        }
        const QRect row = tree.visualItemRect(tree.currentItem());
        EXPECT_TRUE(tree.viewport()->rect().contains(QPoint(start, row.center().y())));
    };

    tree.setPathName(base + "alpha/beta/gamma/delta/Thumbnails");
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    QTest::qWait(10);
    check("deep, when shown");
    EXPECT_GT(tree.horizontalScrollBar()->value(), 0);

    QTest::keyClick(&tree, Qt::Key_Up);  // other, a shorter name at the same depth
    EXPECT_EQ(tree.currentItem()->text(0), "other");
    check("moved by key");
    tree.setPathName(base + "alpha");
    check("shallow");
    EXPECT_EQ(tree.horizontalScrollBar()->value(), 0);
}

// Every node tells its full path, which a narrow tree cuts.
TEST_F(ShellTree, EveryNodeHasItsPathAsTooltip) {
    makeDirs({"Photos/2024", "music"});
    QTreeWidgetItem* baseNode = openBase();
    ASSERT_NE(baseNode, nullptr);
    node(base + "Photos")->setExpanded(true);
    EXPECT_EQ(tree.topLevelItem(0)->toolTip(0), "/");
    EXPECT_EQ(baseNode->toolTip(0), base.chopped(1));
    for (const char* path : {"Photos", "Photos/2024", "music"}) {
        QTreeWidgetItem* item = node(base + path);
        ASSERT_NE(item, nullptr) << path;
        EXPECT_EQ(item->toolTip(0), base + path);
    }
}

// Expand boxes and lines are drawn in the palette's dark colour: the usual
// grey on black text and white ground, a lighter one on a dark palette.
TEST(ShellTreeMarks, TakeTheirColourFromTextAndGround) {
    const struct {
        QColor base, text, marks;
    } cases[] = {
        {Qt::white, Qt::black, QColor(0xa0, 0xa0, 0xa0)},
        {QColor(0x20, 0x20, 0x20), QColor(0xf0, 0xf0, 0xf0), QColor(0x6d, 0x6d, 0x6d)},
    };
    TShellTree tree;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.name().toStdString());
        QPalette palette = tree.palette();
        palette.setColor(QPalette::Base, c.base);
        palette.setColor(QPalette::Text, c.text);
        palette.setColor(QPalette::Dark, Qt::black);
        tree.setPalette(palette);
        EXPECT_EQ(tree.palette().color(QPalette::Dark), c.marks);
    }
}

}  // namespace
