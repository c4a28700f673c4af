#include "controls/filelistbox.h"

#include <QDir>
#include <QEvent>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <algorithm>

#include "controls/filelisting.h"
#include "platform/pathtext.h"

namespace {

// Absolute, without "." and ".." and without a final "/" (except for "/"), so
// that "/a/b/" from the tree and "/a/b" name the same folder.
QString CleanFolder(const QString& folder) {
    return QDir::cleanPath(QDir(folder).absolutePath());
}

}  // namespace

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemSelectionChanged, this, &TFileListBox::onSelectionChanged);
    try {
        ReadFileNames(CleanFolder(QDir::currentPath()));
    } catch (const FolderListError&) {
        directory_ = CleanFolder(QDir::currentPath());  // shown empty
    }
}

void TFileListBox::setDirectory(const QString& folder) {
    if (folder.isEmpty()) return;
    const QString clean = CleanFolder(folder);
    if (clean == directory_) return;
    ReadFileNames(clean);
}

void TFileListBox::setMask(const QString& mask) {
    mask_ = mask;
    ReadFileNames(directory_);
}

QString TFileListBox::FileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    if (selected.isEmpty()) return QString();
    const QString separator = directory_.endsWith(u'/') ? QString() : QStringLiteral("/");
    return directory_ + separator + selected.front()->data(Qt::UserRole).toString();
}

void TFileListBox::ReadFileNames(const QString& folder) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);  // a big or slow folder takes a while
    const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
    const QStringList names = ListMatchingFiles(folder, mask_);
    {
        const QScopedValueRollback<bool> listing(listing_, true);
        clear();
        for (const QString& name : names) {
            // Shown with U+FFFD for bytes that are no text; the name stays beside it.
            auto* item = new QListWidgetItem(ShownText(name), this);
            item->setData(Qt::UserRole, name);
        }
        SizeItems();
        setCurrentRow(-1);
        directory_ = folder;
    }
    Q_EMIT OnChange();
}

int TFileListBox::ItemHeight() const {
    return std::max(kItemHeight, fontMetrics().height());
}

// A row lower than the font's line clips underscores and descenders.
void TFileListBox::SizeItems() {
    const int height = ItemHeight();
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem* entry = item(row);
        entry->setSizeHint(QSize(fontMetrics().horizontalAdvance(entry->text()) + 4, height));
    }
}

void TFileListBox::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) SizeItems();
}

void TFileListBox::onSelectionChanged() {
    if (!listing_) Q_EMIT OnChange();
}

// One entry stays selected once chosen: a control-click or control-space on it,
// or a click on the blank below the entries, does not take the selection away.
QItemSelectionModel::SelectionFlags TFileListBox::selectionCommand(const QModelIndex& index,
                                                                   const QEvent* event) const {
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
    if (command.testAnyFlags(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle) &&
        selectionModel()->isSelected(index))
        return QItemSelectionModel::NoUpdate;
    return command;
}
