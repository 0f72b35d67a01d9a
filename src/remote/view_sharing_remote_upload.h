#pragma once

#include "control_payloads.h"
#include "remote_transfer_sheet.h"

#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

class QListWidget;
class QPushButton;
struct UploadSizeJob;

// The upload sheet: local files and folders the user adds, sent into the folder the browser shows
// ("Trans2_FS_00_CallStart"), with the peer's progress ("RemoteUploadTaskInfo", which the bridge
// answers) and cancel ("Trans2_FS_00_Cancel").
class ViewSharingRemoteUpload final : public RemoteTransferSheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingRemoteUpload)

public:
    // remoteFolder: the peer's path of the folder to upload into; shownFolder: how the user reads it.
    ViewSharingRemoteUpload(const QString &remoteFolder, const QString &shownFolder, QWidget *parent = nullptr);
    ~ViewSharingRemoteUpload() override;

    QString remoteFolder() const { return m_remoteFolder; }
    QStringList localPaths() const { return m_paths; }
    // Adds local paths (already chosen ones are not added twice); sizes are counted off the GUI
    // thread and the sheet can start once they are in.
    void addPaths(const QStringList &paths);
    void removeSelected();
    bool isCounting() const { return m_job != nullptr; }
    // The count of sizes under way (empty when none runs), for watching that it is let go.
    std::weak_ptr<const UploadSizeJob> sizeCount() const { return m_job; }
    const std::vector<WorkingItem> &items() const { return m_items; }

    // The answer of "RemoteUploadTaskInfo" for the sheet view (if it is still open).
    static void onRemoteUploadTaskInfoBack(const std::optional<LenientJson> &answer,
                                           QPointer<ViewSharingRemoteUpload> view, quint64 request);

protected:
    bool canStart() const override;
    void sendStart(AnswerCallback callback) override;
    void sendCancel() override;
    void sendStatusQuery(quint64 request) override;
    QString preparingText() const override;
    QString finishedText() const override;
    QString savedText() const override;
    void updateControls() override;

private:
    void countSizes();
    void onSizesCounted(const std::shared_ptr<UploadSizeJob> &job);
    void showItems();

    QString m_remoteFolder;
    QString m_shownFolder;
    QStringList m_paths;
    std::vector<WorkingItem> m_items;
    std::shared_ptr<UploadSizeJob> m_job;
    QListWidget *m_list = nullptr;
    QPushButton *m_addFiles = nullptr;
    QPushButton *m_addFolder = nullptr;
    QPushButton *m_remove = nullptr;
};
