#pragma once

#include <QListWidget>
#include <QString>

// A list of the files of one folder that match a mask, by name only, one entry
// selectable at a time. Setting another folder lists it at once; OnChange
// fires after every listing (with nothing selected) and whenever the selection
// moves to another entry, never for a click on the entry already selected.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    static constexpr int kItemHeight = 12;  // the least row height

    // Shows the current folder, mask "*.*".
    explicit TFileListBox(QWidget* parent = nullptr);

    QString Directory() const { return directory_; }
    // Lists folder unless it is empty or the folder already shown. Throws
    // FolderListError when it cannot be read; the list then stays as it was.
    void setDirectory(const QString& folder);

    QString Mask() const { return mask_; }
    void setMask(const QString& mask);  // lists the folder again; may throw FolderListError

    // The selected entry's full path, or "" when nothing is selected. Entries
    // show bytes that are no UTF-8 as U+FFFD; the path keeps them (PathText).
    QString FileName() const;

    int ItemHeight() const;  // kItemHeight, or the font's line height when higher

Q_SIGNALS:
    void OnChange();

protected:
    void changeEvent(QEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void ReadFileNames(const QString& folder);
    void SizeItems();
    void onSelectionChanged();

    QString directory_;
    QString mask_ = QStringLiteral("*.*");
    bool listing_ = false;
};
