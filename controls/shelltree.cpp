#include "controls/shelltree.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <algorithm>

#include "controls/nameorder.h"
#include "platform/folderlist.h"
#include "platform/pathtext.h"

namespace {

// The has-children flag: whether the node shows an expand button while it has
// no child nodes.
bool HasChildrenFlag(const QTreeWidgetItem* node) {
    return node->childIndicatorPolicy() == QTreeWidgetItem::ShowIndicator;
}

void SetChildrenFlag(QTreeWidgetItem* node, bool set) {
    node->setChildIndicatorPolicy(set ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

// A node shows its name; the name itself, any bytes the file system holds
// (PathText), stays beside the text for the paths. Its tooltip is the folder's
// full path, which a narrow tree cuts.
QTreeWidgetItem* NewNode(const QString& name, const QString& path) {
    auto* node = new QTreeWidgetItem(QStringList{ShownText(name)});
    node->setData(0, Qt::UserRole, name);
    node->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    node->setToolTip(0, ShownText(path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path));
    SetChildrenFlag(node, false);
    return node;
}

QString NodeName(const QTreeWidgetItem* node) {
    return node->data(0, Qt::UserRole).toString();
}

bool SameName(const QTreeWidgetItem* node, const QString& upperName) {
    return NodeName(node).toUpper() == upperName;
}

// The wait cursor while the file system is read; afterwards the default one.
class WaitCursor {
public:
    explicit WaitCursor(QWidget* widget) : widget_(widget) { widget_->setCursor(Qt::WaitCursor); }
    ~WaitCursor() { widget_->unsetCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    QWidget* widget_;
};

}  // namespace

TShellTree::TShellTree(QWidget* parent) : QTreeWidget(parent) {
    setColumnCount(1);
    setHeaderHidden(true);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    // The chosen folder stays marked when the tree loses the focus.
    QPalette keep = palette();
    keep.setColor(QPalette::Inactive, QPalette::Highlight,
                  keep.color(QPalette::Active, QPalette::Highlight));
    keep.setColor(QPalette::Inactive, QPalette::HighlightedText,
                  keep.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(keep);
    InkMarks();
    connect(this, &QTreeWidget::itemSelectionChanged, this, &TShellTree::OnChange);
    connect(this, &QTreeWidget::itemExpanded, this, &TShellTree::onItemExpanded);
    Update();
}

// The style draws the expand boxes and lines in the palette's dark colour,
// which a dark palette leaves close to the background. They take a mix of the
// text and base colours instead: the usual grey on a light palette.
void TShellTree::InkMarks() {
    constexpr double kTextShare = 0.3725;  // #a0a0a0 between white and black
    const QColor base = palette().color(QPalette::Base);
    const QColor text = palette().color(QPalette::Text);
    const auto mix = [&](int b, int t) { return qRound(b + (t - b) * kTextShare); };
    const QColor marks(mix(base.red(), text.red()), mix(base.green(), text.green()),
                       mix(base.blue(), text.blue()));
    if (palette().color(QPalette::Dark) == marks) return;
    QPalette inked = palette();
    inked.setColor(QPalette::Dark, marks);
    setPalette(inked);
}

void TShellTree::changeEvent(QEvent* event) {
    QTreeWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) InkMarks();
}

void TShellTree::Loaded() {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    FLoading = false;
}

void TShellTree::Update() {
    const WaitCursor wait(viewport());
    clearSelection();
    clear();
    for (const DriveEntry& drive : ListDrives()) {
        QTreeWidgetItem* node = NewNode(drive.name, drive.name);
        addTopLevelItem(node);
        if (drive.fixed) {
            ExpPlusIcon(node);
        } else {
            SetChildrenFlag(node, true);  // not touched until opened
        }
    }
}

void TShellTree::ExpPlusIcon(QTreeWidgetItem* node) {
    if (HasSubFolder(GetPath(node))) SetChildrenFlag(node, true);
}

bool TShellTree::CanExpand(QTreeWidgetItem* node) {
    if (FLoading) return false;
    if (node->childCount() > 0) return true;  // listed once for the tree's life
    const WaitCursor wait(viewport());
    if (!MakeSubNode(node)) return false;  // keeps its button; the next opening tries again
    if (node->childCount() == 0) SetChildrenFlag(node, false);
    return true;
}

bool TShellTree::MakeSubNode(QTreeWidgetItem* node) {
    const QString path = GetPath(node);
    std::optional<QStringList> names = ListSubFolders(path);
    if (!names) return false;
    SortNames(*names);
    QList<QTreeWidgetItem*> children;
    children.reserve(names->size());
    for (const QString& name : *names) children.append(NewNode(name, path + name));
    node->addChildren(children);
    for (QTreeWidgetItem* child : children) ExpPlusIcon(child);
    return true;
}

QString TShellTree::GetPath(const QTreeWidgetItem* node) {
    QString path;
    for (; node != nullptr; node = node->parent()) {
        const QString text = NodeName(node);
        path.prepend(text.endsWith(u'/') ? text : text + u'/');  // the root is "/" itself
    }
    return path;
}

QString TShellTree::PathName() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : GetPath(selected.front());
}

QString TShellTree::FolderName() const {
    QString path = PathName();
    if (path.size() > 1) path.chop(1);
    return path;
}

void TShellTree::setFolderName(const QString& name) {
    setPathName(name);
}

QTreeWidgetItem* TShellTree::SerchRootNode(const QString& name) const {
    const QString upper = name.toUpper();
    for (int i = 0; i < topLevelItemCount(); ++i) {
        if (SameName(topLevelItem(i), upper)) return topLevelItem(i);
    }
    return nullptr;
}

QTreeWidgetItem* TShellTree::SerchChildNode(QTreeWidgetItem* parent, const QString& name) {
    CanExpand(parent);
    if (!HasChildrenFlag(parent)) return nullptr;
    const QString upper = name.toUpper();
    for (int i = 0; i < parent->childCount(); ++i) {
        if (SameName(parent->child(i), upper)) return parent->child(i);
    }
    return nullptr;
}

// Opens a node the way a user's click would, but bypassing the loading state.
bool TShellTree::OpenNode(QTreeWidgetItem* node) {
    if (!HasChildrenFlag(node) && node->childCount() == 0) return false;
    if (node->isExpanded()) return true;
    if (!CanExpand(node)) return false;
    const QScopedValueRollback<bool> opening(opening_, true);
    node->setExpanded(true);
    return true;
}

void TShellTree::setPathName(const QString& path) {
    if (!path.startsWith(u'/')) return;
    const QString full = path.endsWith(u'/') ? path : path + u'/';
    QTreeWidgetItem* current = SerchRootNode(QStringLiteral("/"));
    if (current == nullptr) return;
    for (qsizetype pos = 1; pos < full.size();) {
        const qsizetype slash = full.indexOf(u'/', pos);
        const QString component = full.mid(pos, slash - pos);
        {
            const QScopedValueRollback<bool> loading(FLoading, false);
            OpenNode(current);
        }
        current = SerchChildNode(current, component);
        if (current == nullptr) return;
        pos = slash + 1;
    }
    setCurrentItem(current);
    RevealCurrent();
}

void TShellTree::RevealCurrent() {
    QTreeWidgetItem* item = currentItem();
    // scrollToItem would pass this class's own scrollTo by.
    if (item != nullptr) scrollTo(indexFromItem(item), QAbstractItemView::PositionAtCenter);
}

// Sideways the tree moves only as far as the node's name needs, so that the
// ancestors stay readable and click targets stay put; a name wider than the
// view shows from its start.
void TShellTree::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QTreeWidget::scrollTo(index, hint);
    if (!index.isValid()) return;
    QScrollBar* bar = horizontalScrollBar();
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int start = visualRect(index).left() + bar->value();
    const int end = start + fontMetrics().horizontalAdvance(index.data().toString()) + 2 * margin;
    bar->setValue(std::max(0, std::min(start, end - viewport()->width())));
}

// Before the tree is first shown it has no layout to scroll in.
void TShellTree::showEvent(QShowEvent* event) {
    QTreeWidget::showEvent(event);
    QTimer::singleShot(0, this, &TShellTree::RevealCurrent);
}

// The view has already opened the node; take it back when it may not open.
void TShellTree::onItemExpanded(QTreeWidgetItem* node) {
    if (opening_) return;
    const bool allowed = (HasChildrenFlag(node) || node->childCount() > 0) && CanExpand(node);
    if (!allowed) node->setExpanded(false);
}

// "*" would open every listed level below the node, each opening listing the
// next: on "/" that walks the whole file system. It opens one level here.
void TShellTree::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Asterisk) {
        if (QTreeWidgetItem* node = currentItem()) node->setExpanded(true);
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}
