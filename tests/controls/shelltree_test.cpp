#include "controls/shelltree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList ChildTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i) texts.append(node->child(i)->text(0));
    return texts;
}

bool HasButton(const QTreeWidgetItem* node) {
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator || node->childCount() > 0;
}

// Works in a temporary folder reached from the root through the tree itself.
class ShellTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        base = QDir(temp.path()).canonicalPath() + u'/';
        ASSERT_FALSE(base.contains(QStringLiteral("/."))) << "hidden folders are never listed";
    }

    void makeDirs(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            ASSERT_TRUE(QDir().mkpath(base + QString::fromUtf8(name)));
        }
    }

    // The listed node of an exact path, without listing anything.
    static QTreeWidgetItem* Node(const TShellTree& tree, const QString& path) {
        QTreeWidgetItem* node = tree.topLevelItem(0);
        for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
            QTreeWidgetItem* found = nullptr;
            for (int i = 0; node != nullptr && i < node->childCount() && !found; ++i) {
                if (node->child(i)->text(0) == part) found = node->child(i);
            }
            node = found;
        }
        return node;
    }

    // A loaded tree opened at the temporary folder, nothing selected there yet.
    QTreeWidgetItem* OpenBase(TShellTree& tree) {
        tree.setPathName(base);
        QTreeWidgetItem* node = Node(tree, base);
        if (node != nullptr) node->setExpanded(true);
        return node;
    }

    QTemporaryDir temp;
    QString base;
};

TEST_F(ShellTree, StartsWithTheRootAndItsButton) {
    TShellTree tree;
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    const QTreeWidgetItem* root = tree.topLevelItem(0);
    EXPECT_EQ(root->text(0), "/");
    EXPECT_EQ(root->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(root->childCount(), 0);  // not read until opened
    EXPECT_TRUE(tree.isLoading());
    EXPECT_EQ(tree.PathName(), "");
    EXPECT_EQ(tree.FolderName(), "");
}

TEST_F(ShellTree, SetPathNameMatchesCaseOpensAncestorsNotTheNode) {
    makeDirs({"Photos/Summer/Day1", "photos2"});
    TShellTree tree;
    tree.Loaded();
    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.setPathName(base + "PHOTOS/summer");
    EXPECT_EQ(tree.PathName(), base + "Photos/Summer/");
    EXPECT_EQ(tree.FolderName(), base + "Photos/Summer");
    EXPECT_EQ(changes.count(), 1);

    QTreeWidgetItem* summer = Node(tree, base + "Photos/Summer");
    ASSERT_NE(summer, nullptr);
    EXPECT_TRUE(summer->isSelected());
    EXPECT_FALSE(summer->isExpanded());
    EXPECT_EQ(summer->childCount(), 0);
    EXPECT_TRUE(HasButton(summer));
    EXPECT_TRUE(Node(tree, base + "Photos")->isExpanded());
    EXPECT_TRUE(Node(tree, base)->isExpanded());
    EXPECT_TRUE(tree.topLevelItem(0)->isExpanded());

    tree.setFolderName(base + "Photos/Summer/");  // the same folder: no change
    EXPECT_EQ(changes.count(), 1);
}

TEST_F(ShellTree, RootPathSelectsTheRootAndOpensNothing) {
    TShellTree tree;
    tree.Loaded();
    tree.setPathName(QStringLiteral("/"));
    EXPECT_EQ(tree.PathName(), "/");
    EXPECT_EQ(tree.FolderName(), "/");
    EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
}

TEST_F(ShellTree, MissingComponentKeepsSelectionAndOpensAncestors) {
    makeDirs({"a/b/c"});
    TShellTree tree;
    tree.Loaded();
    tree.setPathName(base + "a");
    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.setPathName(base + "a/b/gone/deeper");
    EXPECT_EQ(tree.PathName(), base + "a/");
    EXPECT_EQ(changes.count(), 0);
    EXPECT_TRUE(Node(tree, base + "a")->isExpanded());
    EXPECT_TRUE(Node(tree, base + "a/b")->isExpanded());
}

TEST_F(ShellTree, PathsThatAreNotAbsoluteOrHaveEmptyComponentsDoNothing) {
    makeDirs({"a/b"});
    const QString rows[] = {"", "a", "tmp/a", "~/a", base + "a//b", base.mid(1) + "a"};
    for (const QString& path : rows) {
        SCOPED_TRACE(path.toStdString());
        TShellTree tree;
        tree.Loaded();
        QSignalSpy changes(&tree, &TShellTree::OnChange);
        tree.setPathName(path);
        EXPECT_EQ(tree.PathName(), "");
        EXPECT_EQ(changes.count(), 0);
        if (!path.startsWith(u'/')) {
            EXPECT_FALSE(tree.topLevelItem(0)->isExpanded());
        }
    }
}

TEST_F(ShellTree, HiddenFoldersAreNotListed) {
    makeDirs({".hidden/inner", "visible"});
    TShellTree tree;
    tree.Loaded();
    QTreeWidgetItem* node = OpenBase(tree);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(ChildTexts(node), QStringList{"visible"});
    tree.setPathName(base + ".hidden/inner");
    EXPECT_EQ(tree.PathName(), base);
}

TEST_F(ShellTree, ChildrenAreSortedLocaleAware) {
    makeDirs({"b", "A", "c"});
    TShellTree tree;
    tree.Loaded();
    QTreeWidgetItem* node = OpenBase(tree);
    ASSERT_NE(node, nullptr);
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(ChildTexts(node), (QStringList{"A", "b", "c"}));
}

TEST_F(ShellTree, ProbeGivesButtonsOnlyToFoldersWithVisibleSubFolders) {
    makeDirs({"full/sub", "onlyHidden/.git", "empty", "linked/sub"});
    ASSERT_TRUE(QFile::link(base + "linked", base + "alias"));
    TShellTree tree;
    tree.Loaded();
    QTreeWidgetItem* node = OpenBase(tree);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(ChildTexts(node), (QStringList{"alias", "empty", "full", "linked", "onlyHidden"}));
    EXPECT_TRUE(HasButton(Node(tree, base + "alias")));
    EXPECT_FALSE(HasButton(Node(tree, base + "empty")));
    EXPECT_TRUE(HasButton(Node(tree, base + "full")));
    EXPECT_FALSE(HasButton(Node(tree, base + "onlyHidden")));
    tree.setPathName(base + "alias/sub");
    EXPECT_EQ(tree.PathName(), base + "alias/sub/");
}

TEST_F(ShellTree, OpeningTwiceReadsTheFolderOnce) {
    makeDirs({"first"});
    TShellTree tree;
    tree.Loaded();
    QTreeWidgetItem* node = OpenBase(tree);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(ChildTexts(node), QStringList{"first"});
    node->setExpanded(false);
    makeDirs({"second"});
    tree.setCurrentItem(node);
    QTest::keyClick(&tree, Qt::Key_Plus);  // the user opens it again
    EXPECT_TRUE(node->isExpanded());
    EXPECT_EQ(ChildTexts(node), QStringList{"first"});

    tree.Update();  // a rebuild reads it anew
    node = OpenBase(tree);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(ChildTexts(node), (QStringList{"first", "second"}));
}

TEST_F(ShellTree, FolderEmptiedAfterTheProbeLosesItsButtonButOpens) {
    makeDirs({"E/sub"});
    TShellTree tree;
    tree.Loaded();
    ASSERT_NE(OpenBase(tree), nullptr);
    QTreeWidgetItem* e = Node(tree, base + "E");
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(HasButton(e));
    ASSERT_TRUE(QDir(base + "E/sub").removeRecursively());
    e->setExpanded(true);
    EXPECT_TRUE(e->isExpanded());
    EXPECT_EQ(e->childCount(), 0);
    EXPECT_FALSE(HasButton(e));
}

TEST_F(ShellTree, TreeNeverLoadedRefusesTheUserButNotSetPathName) {
    makeDirs({"x/y"});
    TShellTree tree;
    QTreeWidgetItem* root = tree.topLevelItem(0);
    root->setExpanded(true);
    EXPECT_FALSE(root->isExpanded());
    tree.setCurrentItem(root);
    QTest::keyClick(&tree, Qt::Key_Right);
    EXPECT_FALSE(root->isExpanded());
    EXPECT_EQ(root->childCount(), 0);

    tree.setPathName(base + "x/y");
    EXPECT_EQ(tree.PathName(), base + "x/y/");
    QTreeWidgetItem* x = Node(tree, base + "x");
    ASSERT_NE(x, nullptr);
    EXPECT_TRUE(x->isExpanded());
    x->setExpanded(false);
    x->setExpanded(true);  // listed already, still refused
    EXPECT_FALSE(x->isExpanded());
    EXPECT_TRUE(tree.isLoading());
}

TEST_F(ShellTree, UnreadableFolderRefusesExpansionAndIsTriedAgain) {
    makeDirs({"R/sub"});
    TShellTree tree;
    tree.Loaded();
    ASSERT_NE(OpenBase(tree), nullptr);
    QTreeWidgetItem* r = Node(tree, base + "R");
    ASSERT_NE(r, nullptr);
    ASSERT_TRUE(QDir(base + "R").removeRecursively());
    r->setExpanded(true);
    EXPECT_FALSE(r->isExpanded());
    EXPECT_TRUE(HasButton(r));  // keeps its button

    makeDirs({"R/again"});
    r->setExpanded(true);
    EXPECT_TRUE(r->isExpanded());
    EXPECT_EQ(ChildTexts(r), QStringList{"again"});
}

TEST_F(ShellTree, LockedFolderRefusesExpansion) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    makeDirs({"L/sub"});
    TShellTree tree;
    tree.Loaded();
    ASSERT_NE(OpenBase(tree), nullptr);
    QTreeWidgetItem* l = Node(tree, base + "L");
    ASSERT_NE(l, nullptr);
    ASSERT_EQ(chmod(QFile::encodeName(base + "L").constData(), 0), 0);
    l->setExpanded(true);
    chmod(QFile::encodeName(base + "L").constData(), 0700);
    EXPECT_FALSE(l->isExpanded());
    EXPECT_TRUE(HasButton(l));
}

TEST_F(ShellTree, UpdateClearsTheSelectionAndEveryListing) {
    makeDirs({"a"});
    TShellTree tree;
    tree.Loaded();
    tree.setPathName(base + "a");
    QSignalSpy changes(&tree, &TShellTree::OnChange);
    tree.Update();
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(tree.PathName(), "");
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    tree.Update();
    EXPECT_EQ(changes.count(), 1);  // nothing was selected
}

TEST_F(ShellTree, JapaneseNamesRoundTrip) {
    makeDirs({"\xe5\x86\x99\xe7\x9c\x9f/\xe5\xa4\x8f"});
    TShellTree tree;
    tree.Loaded();
    const QString path = base + QString::fromUtf8("\xe5\x86\x99\xe7\x9c\x9f/\xe5\xa4\x8f/");
    tree.setPathName(path);
    EXPECT_EQ(tree.PathName(), path);
}

TEST_F(ShellTree, AsteriskOpensOneLevelOnly) {
    makeDirs({"a/b/c"});
    TShellTree tree;
    tree.Loaded();
    tree.setPathName(base + "a");
    QTreeWidgetItem* a = Node(tree, base + "a");
    ASSERT_NE(a, nullptr);
    QTest::keyClick(&tree, Qt::Key_Asterisk);
    EXPECT_TRUE(a->isExpanded());
    QTreeWidgetItem* b = Node(tree, base + "a/b");
    ASSERT_NE(b, nullptr);
    EXPECT_FALSE(b->isExpanded());
    EXPECT_EQ(b->childCount(), 0);
}

}  // namespace
