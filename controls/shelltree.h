#pragma once

#include <QTreeWidget>

// A folder tree: the file-system root "/" as its top node and, below it, the
// folders listed the first time their parent opens. Nodes hold only their name
// (and show it, with U+FFFD for bytes that are no UTF-8); a node's path is
// rebuilt from the names whenever the file system is asked. Paths are QStrings
// that carry the file system's bytes (PathText); a folder path always ends
// with "/" ("/", "/home/ann/").
class TShellTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit TShellTree(QWidget* parent = nullptr);  // builds the top level

    // The owner has set the control up: labels become read-only and the user may
    // open nodes. Until then only setPathName opens them.
    void Loaded();
    bool isLoading() const { return FLoading; }  // true until Loaded()

    // Rebuilds the top level only: clears the selection (raising OnChange if
    // there was one) and forgets every folder listed so far.
    void Update();

    QString PathName() const;  // the selected folder ending with "/"; empty when none
    // Selects the folder of an absolute path, matching each component without
    // regard to case and opening the nodes on the way (not the selected one).
    // Stops silently, selection unchanged, at the first component not found; a
    // path not beginning with "/" does nothing.
    void setPathName(const QString& path);
    QString FolderName() const;               // PathName without its final "/"; "/" stays
    void setFolderName(const QString& name);  // the same as setPathName

Q_SIGNALS:
    void OnChange();  // every selection change, the clearing by Update included

protected:
    // Whether a node may open; lists its sub-folders on the first opening.
    virtual bool CanExpand(QTreeWidgetItem* node);

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void InkMarks();       // expand boxes and lines that show on any palette
    void RevealCurrent();  // brings the selected node into view
    bool MakeSubNode(QTreeWidgetItem* node);
    void ExpPlusIcon(QTreeWidgetItem* node);
    static QString GetPath(const QTreeWidgetItem* node);
    QTreeWidgetItem* SerchRootNode(const QString& name) const;
    QTreeWidgetItem* SerchChildNode(QTreeWidgetItem* parent, const QString& name);
    bool OpenNode(QTreeWidgetItem* node);
    void onItemExpanded(QTreeWidgetItem* node);

    bool FLoading = true;
    bool opening_ = false;  // an expansion made and checked by OpenNode
};
