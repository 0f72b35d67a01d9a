#include "remote_file_table.h"

#include "localization.h"
#include "remote_listing.h"
#include "theme.h"
#include "util_system.h"

#include <QHeaderView>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int thumbnailRole = Qt::UserRole + 1;

enum Column { NameColumn, SizeColumn, TimeColumn };

// A thumbnail fitted into the row's square, centred, on a transparent ground.
QIcon squareIcon(const QPixmap &picture, qreal ratio)
{
    const int side = int(RemoteFileTable::iconSide * ratio);
    QPixmap square(side, side);
    square.fill(Qt::transparent);
    const QPixmap scaled = picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&square);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath clip;
    clip.addRoundedRect(QRectF((side - scaled.width()) / 2.0, (side - scaled.height()) / 2.0, scaled.width(),
                               scaled.height()),
                        3 * ratio, 3 * ratio);
    painter.setClipPath(clip);
    painter.drawPixmap((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    painter.end();
    square.setDevicePixelRatio(ratio);
    return QIcon(square);
}

} // namespace

RemoteFileTable::RemoteFileTable(QWidget *parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("remoteFileTable"));
    setColumnCount(3);
    setHeaderLabels({localizedString(QStringLiteral("RS_ColumnName")), localizedString(QStringLiteral("RS_ColumnSize")),
                     localizedString(QStringLiteral("RS_ColumnCreated"))});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAlternatingRowColors(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize(QSize(iconSide, iconSide));
    setFont(Theme::font(13));
    setFrameShape(QFrame::NoFrame);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(SizeColumn, QHeaderView::Fixed);
    header()->setSectionResizeMode(TimeColumn, QHeaderView::Fixed);
    header()->resizeSection(SizeColumn, 110);
    header()->resizeSection(TimeColumn, 170);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header()->setSectionsClickable(false);
    setStyleSheet(QStringLiteral("QTreeWidget::item { padding: 3px 0px; }"));

    m_folderIcon = Theme::icon(QStringLiteral("folder.fill"), Theme::color(QStringLiteral("activeBorder")));
    m_fileIcon = Theme::icon(QStringLiteral("doc.fill"), Theme::color(QStringLiteral("navDisabled")));

    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        emit rowActivated(indexOfTopLevelItem(item));
    });
}

RemoteFileTable::~RemoteFileTable() = default;

QString RemoteFileTable::nameText(const FileItem &item)
{
    return remoteEntryName(item);
}

QString RemoteFileTable::sizeText(const FileItem &item)
{
    return item.isDir || item.size < 0 ? QString() : UtilSystem::formatFileSize(std::uint64_t(item.size));
}

QString RemoteFileTable::timeText(const FileItem &item)
{
    return item.createdTime > 0 ? UtilSystem::formatTime(item.createdTime) : QString();
}

void RemoteFileTable::setItems(const QList<FileItem> &items)
{
    clear();
    QList<QTreeWidgetItem *> rows;
    rows.reserve(items.size());
    for (const FileItem &item : items) {
        auto *row = new QTreeWidgetItem({nameText(item), sizeText(item), timeText(item)});
        row->setIcon(NameColumn, item.isDir ? m_folderIcon : m_fileIcon);
        row->setToolTip(NameColumn, nameText(item));
        rows.append(row);
    }
    addTopLevelItems(rows);
}

void RemoteFileTable::setSize(int row, const FileItem &item)
{
    if (QTreeWidgetItem *shown = topLevelItem(row))
        shown->setText(SizeColumn, sizeText(item));
}

bool RemoteFileTable::setThumbnail(int row, const QByteArray &png)
{
    QTreeWidgetItem *item = topLevelItem(row);
    QPixmap picture;
    if (!item || png.isEmpty() || !picture.loadFromData(png))
        return false;
    item->setIcon(NameColumn, squareIcon(picture, devicePixelRatioF()));
    item->setData(NameColumn, thumbnailRole, true);
    return true;
}

bool RemoteFileTable::hasThumbnail(int row) const
{
    const QTreeWidgetItem *item = topLevelItem(row);
    return item && item->data(NameColumn, thumbnailRole).toBool();
}

QList<int> RemoteFileTable::selectedRows() const
{
    QList<int> rows;
    for (QTreeWidgetItem *item : selectedItems())
        rows.append(indexOfTopLevelItem(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void RemoteFileTable::selectRows(const QList<int> &rows)
{
    clearSelection();
    for (const int row : rows) {
        if (QTreeWidgetItem *item = topLevelItem(row)) {
            if (row == rows.first())
                setCurrentItem(item);
            item->setSelected(true);
        }
    }
}
