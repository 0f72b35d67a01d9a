#include "view_sharing_remote_download.h"

#include "control_requests.h"
#include "download_folder.h"
#include "elided_label.h"
#include "localization.h"
#include "saved_items.h"
#include "session_state.h"
#include "theme.h"
#include "util_system.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

QString nameOf(const QString &path)
{
    return lastComponent(path.startsWith(u'/') ? QStringLiteral("/") : QStringLiteral("\\"), path);
}

} // namespace

ViewSharingRemoteDownload::ViewSharingRemoteDownload(const QStringList &targets, QWidget *parent)
    : RemoteTransferSheet(localizedString(QStringLiteral("LS_Download")), parent), m_targets(targets), m_saveFolder(DownloadFolder::current())
{
    setObjectName(QStringLiteral("remoteDownloadSheet"));

    auto *list = new QListWidget(this);
    list->setObjectName(QStringLiteral("downloadItems"));
    list->setFont(Theme::font(13));
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    for (const QString &target : targets)
        list->addItem(nameOf(target));
    list->setFixedHeight(qMin(5, qMax(2, int(targets.size()))) * 22 + 6);
    contentLayout()->addWidget(list);

    auto *folderRow = new QHBoxLayout;
    auto *caption = new QLabel(localizedString(QStringLiteral("RS_SaveTo")), this);
    caption->setFont(Theme::font(13, QFont::DemiBold));
    m_folderLabel = new ElidedLabel(this);
    m_folderLabel->setObjectName(QStringLiteral("saveFolderLabel"));
    m_folderLabel->setFont(Theme::font(13));
    m_change = new QPushButton(localizedString(QStringLiteral("RS_Change")), this);
    m_change->setObjectName(QStringLiteral("changeFolderButton"));
    m_change->setAutoDefault(false);
    connect(m_change, &QPushButton::clicked, this, &ViewSharingRemoteDownload::chooseSaveFolder);
    folderRow->addWidget(caption);
    folderRow->addWidget(m_folderLabel, 1);
    folderRow->addWidget(m_change);
    contentLayout()->addLayout(folderRow);

    m_openFolder = buttonBox()->addButton(localizedString(QStringLiteral("RS_OpenFolder")), QDialogButtonBox::ActionRole);
    m_openFolder->setObjectName(QStringLiteral("openFolderButton"));
    m_openFolder->setAutoDefault(false);
    connect(m_openFolder, &QPushButton::clicked, this, &ViewSharingRemoteDownload::openSaveFolder);
    connect(this, &RemoteTransferSheet::transferEnded, this, [this] {
        m_namesAfter = SavedItems::namesIn(m_saveFolder);
        refresh();
    });
    refresh();
}

ViewSharingRemoteDownload::~ViewSharingRemoteDownload() = default;

void ViewSharingRemoteDownload::setSaveFolder(const QString &folder)
{
    if (folder.isEmpty() || tracker().isBusy())
        return;
    m_saveFolder = folder;
    DownloadFolder::store(folder);
    refresh();
}

void ViewSharingRemoteDownload::chooseSaveFolder()
{
    QPointer<ViewSharingRemoteDownload> self(this);
    UtilSystem::selectPathAsync(localizedString(QStringLiteral("RS_ChooseSaveFolder")), true, [self](const QString &paths) {
        if (self && !paths.isEmpty())
            self->setSaveFolder(paths.section(u'|', 0, 0));
    }, this);
}

bool ViewSharingRemoteDownload::canStart() const
{
    return !m_targets.isEmpty() && !m_saveFolder.isEmpty();
}

void ViewSharingRemoteDownload::openSaveFolder()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(UtilSystem::appendEndSeparator(m_saveFolder)));
}

void ViewSharingRemoteDownload::beforeStart()
{
    DownloadFolder::store(m_saveFolder);
    UtilSystem::createDirIfNotExist(m_saveFolder);
    m_namesBefore = SavedItems::namesIn(m_saveFolder);
    m_namesAfter.clear();
}

void ViewSharingRemoteDownload::sendStart(AnswerCallback callback)
{
    const Download3Info info{HelperRemoteSharing::session, m_targets.join(u'|'), m_saveFolder};
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::Trans3_FC_00_CallStart), info, true,
                                     std::move(callback));
}

void ViewSharingRemoteDownload::sendCancel()
{
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::Trans3_FC_00_Cancel),
                                     Trans3_FC_00_Cancel_Msg{HelperRemoteSharing::session}, false, {});
}

void ViewSharingRemoteDownload::sendStatusQuery(quint64 request)
{
    QPointer<ViewSharingRemoteDownload> self(this);
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::Trans3_FC_TransTaskInfo),
                                     Trans3_FC_TransTaskInfo_Msg{HelperRemoteSharing::session}, true,
                                     [self, request](const std::optional<LenientJson> &answer) {
                                         if (self)
                                             self->onStatusAnswer(request, answer);
                                     });
}

QString ViewSharingRemoteDownload::preparingText() const
{
    return localizedString(QStringLiteral("RS_ItemsChosen")).arg(m_targets.size());
}

QString ViewSharingRemoteDownload::finishedText() const
{
    // The folder is on the row above, with the button that opens it.
    return localizedString(QStringLiteral("RS_DownloadDone"));
}

QString ViewSharingRemoteDownload::savedText() const
{
    QStringList wanted;
    for (const QString &target : m_targets)
        wanted << nameOf(target);
    const QList<SavedItems::Item> saved = SavedItems::arrived(wanted, m_namesBefore, m_namesAfter);
    QStringList lines;
    if (status() != RemoteSharingDownloadStatus::dsFinished) {
        QStringList names;
        for (const SavedItems::Item &item : saved)
            names << item.savedAs;
        lines << (names.isEmpty() ? localizedString(QStringLiteral("RS_NothingSaved"))
                                  : localizedString(QStringLiteral("RS_AlreadySaved")).arg(names.join(QStringLiteral(", "))));
    }
    for (const SavedItems::Item &item : saved) {
        if (item.savedAs != item.wanted)
            lines << localizedString(QStringLiteral("RS_SavedAs")).arg(item.wanted, item.savedAs);
    }
    return lines.join(u'\n');
}

void ViewSharingRemoteDownload::updateControls()
{
    if (!m_folderLabel)
        return;
    m_openFolder->setVisible(status() == RemoteSharingDownloadStatus::dsFinished);
    m_folderLabel->setFullText(m_saveFolder);
    m_change->setEnabled(!tracker().isBusy());
}
