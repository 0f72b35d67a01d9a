#include "view_sharing_remote_upload.h"

#include "control_requests.h"
#include "elided_label.h"
#include "localization.h"
#include "p2p_requests_to_peers.h"
#include "session_state.h"
#include "theme.h"
#include "util_system.h"
#include "working_items.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>

#include <atomic>

// One count of the chosen items' sizes on the thread pool. The sheet may go away first: it sets
// stop, and the result, handed to the GUI thread, then finds no one to give it to. Only the count
// and its hand-over hold the job, so it goes with the last of them.
struct UploadSizeJob
{
    std::atomic_bool stop{false};
    std::vector<WorkingItem> items;
};

ViewSharingRemoteUpload::ViewSharingRemoteUpload(const QString &remoteFolder, const QString &shownFolder,
                                                 QWidget *parent)
    : RemoteTransferSheet(localizedString(QStringLiteral("LS_Upload")), parent), m_remoteFolder(remoteFolder), m_shownFolder(shownFolder)
{
    setObjectName(QStringLiteral("remoteUploadSheet"));

    auto *targetRow = new QHBoxLayout;
    auto *caption = new QLabel(localizedString(QStringLiteral("RS_UploadTo")), this);
    caption->setFont(Theme::font(13, QFont::DemiBold));
    auto *target = new ElidedLabel(this);
    target->setObjectName(QStringLiteral("uploadTargetLabel"));
    target->setFont(Theme::font(13));
    target->setFullText(shownFolder);
    targetRow->addWidget(caption);
    targetRow->addWidget(target, 1);
    contentLayout()->addLayout(targetRow);

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("uploadItems"));
    m_list->setFont(Theme::font(13));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setFixedHeight(140);
    contentLayout()->addWidget(m_list);

    auto *pick = new QHBoxLayout;
    m_addFiles = new QPushButton(Theme::icon(QStringLiteral("doc.fill"), Theme::color(QStringLiteral("ColorMain0"))),
                                 localizedString(QStringLiteral("RS_AddFiles")), this);
    m_addFiles->setObjectName(QStringLiteral("addFilesButton"));
    m_addFolder = new QPushButton(Theme::icon(QStringLiteral("folder.fill"), Theme::color(QStringLiteral("ColorMain0"))),
                                  localizedString(QStringLiteral("RS_AddFolder")), this);
    m_addFolder->setObjectName(QStringLiteral("addFolderButton"));
    m_remove = new QPushButton(Theme::icon(QStringLiteral("minus.circle.fill"), Theme::color(QStringLiteral("btnRed"))),
                               localizedString(QStringLiteral("LS_Remove")), this);
    m_remove->setObjectName(QStringLiteral("removeItemsButton"));
    for (QPushButton *button : {m_addFiles, m_addFolder, m_remove}) {
        button->setAutoDefault(false);
        pick->addWidget(button);
    }
    pick->addStretch(1);
    contentLayout()->addLayout(pick);

    QPointer<ViewSharingRemoteUpload> self(this);
    const auto choose = [self](bool folders) {
        UtilSystem::selectPathAsync(folders ? localizedString(QStringLiteral("RS_ChooseUploadFolders")) : localizedString(QStringLiteral("RS_ChooseUploadFiles")), folders,
                                    [self](const QString &paths) {
                                        if (self && !paths.isEmpty())
                                            self->addPaths(paths.split(u'|', Qt::SkipEmptyParts));
                                    }, self.data());
    };
    connect(m_addFiles, &QPushButton::clicked, this, [choose] { choose(false); });
    connect(m_addFolder, &QPushButton::clicked, this, [choose] { choose(true); });
    connect(m_remove, &QPushButton::clicked, this, &ViewSharingRemoteUpload::removeSelected);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &ViewSharingRemoteUpload::updateControls);
    refresh();
}

ViewSharingRemoteUpload::~ViewSharingRemoteUpload()
{
    if (m_job)
        m_job->stop = true;
}

void ViewSharingRemoteUpload::addPaths(const QStringList &paths)
{
    if (tracker().status() != RemoteSharingDownloadStatus::dsPreparing)
        return;
    for (const QString &path : paths) {
        if (!path.isEmpty() && !m_paths.contains(path))
            m_paths.append(path);
    }
    countSizes();
}

void ViewSharingRemoteUpload::removeSelected()
{
    if (tracker().status() != RemoteSharingDownloadStatus::dsPreparing)
        return;
    QList<int> rows;
    for (QListWidgetItem *item : m_list->selectedItems())
        rows.append(m_list->row(item));
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    for (const int row : rows) {
        if (row >= 0 && row < m_paths.size())
            m_paths.removeAt(row);
    }
    countSizes();
}

void ViewSharingRemoteUpload::countSizes()
{
    if (m_job)
        m_job->stop = true;
    auto job = std::make_shared<UploadSizeJob>();
    m_job = job;
    showItems();
    QThreadPool::globalInstance()->start([job, self = QPointer<ViewSharingRemoteUpload>(this), paths = m_paths,
                                          root = m_remoteFolder] {
        job->items = workingItemsFor(paths, root, &job->stop);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [job, self] {
                if (self)
                    self->onSizesCounted(job);
            },
            Qt::QueuedConnection);
    });
}

void ViewSharingRemoteUpload::onSizesCounted(const std::shared_ptr<UploadSizeJob> &job)
{
    // A count the sheet has started again since is not the current one.
    if (m_job != job)
        return;
    m_items = job->items;
    m_job.reset();
    showItems();
}

void ViewSharingRemoteUpload::showItems()
{
    m_list->clear();
    for (const QString &path : std::as_const(m_paths)) {
        const QString name = lastComponent(QStringLiteral("/"), UtilSystem::trimEndSeparator(path));
        QString line = name;
        for (const WorkingItem &item : m_items) {
            if (item.Path == path && !m_job)
                line += QStringLiteral("   ") + UtilSystem::formatFileSize(std::uint64_t(std::max<qint64>(0, item.Size)));
        }
        auto *row = new QListWidgetItem(
            Theme::icon(QFileInfo(path).isDir() ? QStringLiteral("folder.fill") : QStringLiteral("doc.fill"),
                        Theme::color(QStringLiteral("activeBorder"))),
            line, m_list);
        row->setToolTip(path);
    }
    refresh();
}

bool ViewSharingRemoteUpload::canStart() const
{
    return !m_job && !m_items.empty();
}

void ViewSharingRemoteUpload::sendStart(AnswerCallback callback)
{
    QStringList targets;
    for (const WorkingItem &item : m_items)
        targets.append(item.Path);
    const Trans2_FS_00_CallStartInfo info{HelperRemoteSharing::session, targets.join(u'|'), m_remoteFolder};
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::Trans2_FS_00_CallStart), info, true,
                                     std::move(callback));
}

void ViewSharingRemoteUpload::sendCancel()
{
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::Trans2_FS_00_Cancel),
                                     Trans2_FC_Cancel_Msg{HelperRemoteSharing::session}, false, {});
}

void ViewSharingRemoteUpload::sendStatusQuery(quint64 request)
{
    QPointer<ViewSharingRemoteUpload> self(this);
    PeerRequestSenders::remoteUploadTaskInfo([self, request](const std::optional<LenientJson> &answer) {
        onRemoteUploadTaskInfoBack(answer, self, request);
    });
}

void ViewSharingRemoteUpload::onRemoteUploadTaskInfoBack(const std::optional<LenientJson> &answer,
                                                         QPointer<ViewSharingRemoteUpload> view, quint64 request)
{
    // The sender may call back at once, from inside the request; the sheet reads it on a later turn.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [answer, view, request] {
            if (view)
                view->onStatusAnswer(request, answer);
        },
        Qt::QueuedConnection);
}

QString ViewSharingRemoteUpload::preparingText() const
{
    if (m_job)
        return localizedString(QStringLiteral("RS_Counting"));
    if (m_items.empty())
        return localizedString(QStringLiteral("RS_AddToUpload"));
    return localizedString(QStringLiteral("RS_ItemsChosen")).arg(m_items.size()) + QStringLiteral(" · ")
           + UtilSystem::formatFileSize(std::uint64_t(std::max<qint64>(0, totalSize(m_items))));
}

QString ViewSharingRemoteUpload::finishedText() const
{
    return localizedString(QStringLiteral("RS_UploadDone")).arg(m_shownFolder);
}

QString ViewSharingRemoteUpload::savedText() const
{
    // The peer's folder is not this machine's to look into: the counts the transfer reports say
    // what arrived.
    const TransferTaskStatus &info = tracker().last();
    QStringList lines;
    if (status() != RemoteSharingDownloadStatus::dsFinished && info.TotalTaskCount > 0)
        lines << localizedString(QStringLiteral("RS_FilesSavedCount")).arg(info.TotalTaskDoneCount).arg(info.TotalTaskCount);
    if (info.RenamedCount > 0)
        lines << localizedString(QStringLiteral("RS_RenamedCount")).arg(info.RenamedCount);
    return lines.join(u'\n');
}

void ViewSharingRemoteUpload::updateControls()
{
    if (!m_list)
        return;
    const bool choosing = tracker().status() == RemoteSharingDownloadStatus::dsPreparing;
    m_addFiles->setEnabled(choosing);
    m_addFolder->setEnabled(choosing);
    m_remove->setEnabled(choosing && !m_list->selectedItems().isEmpty());
}
