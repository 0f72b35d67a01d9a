#pragma once

#include "file_item.h"

#include <QList>
#include <QTreeWidget>

// The rows of one page of a remote folder: name with its icon, size and creation time. Folders
// and files get the program's symbols until a thumbnail arrives for their row.
class RemoteFileTable final : public QTreeWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RemoteFileTable)

public:
    static constexpr int iconSide = 32;

    explicit RemoteFileTable(QWidget *parent = nullptr);
    ~RemoteFileTable() override;

    void setItems(const QList<FileItem> &items);
    // The thumbnail of row; false when the bytes are not a picture (the symbol stays).
    bool setThumbnail(int row, const QByteArray &png);
    bool hasThumbnail(int row) const;

    // Rows selected, in order.
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);

    // Shows item's size in its row, which keeps its name, time and thumbnail.
    void setSize(int row, const FileItem &item);

    // The texts of a row as shown: a name, a size ("" for a folder, and while the size is not known,
    // which a negative size marks) and a time ("" while not known).
    static QString nameText(const FileItem &item);
    static QString sizeText(const FileItem &item);
    static QString timeText(const FileItem &item);

Q_SIGNALS:
    // A row was double-clicked or Return was pressed on it.
    void rowActivated(int row);

private:
    QIcon m_folderIcon;
    QIcon m_fileIcon;
};
