#pragma once

#include "remote_transfer_sheet.h"

#include <QSet>
#include <QStringList>

class ElidedLabel;
class QPushButton;

// The download sheet: the entries chosen in the browser, the folder they are saved into (the
// setting "SaveAtDir", see DownloadFolder), and the download itself through the bridge
// ("Trans3_FC_00_CallStart", polled with "Trans3_FC_TransTaskInfo", cancelled with
// "Trans3_FC_00_Cancel").
class ViewSharingRemoteDownload final : public RemoteTransferSheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewSharingRemoteDownload)

public:
    // targets: the peer's full paths of the entries to download.
    explicit ViewSharingRemoteDownload(const QStringList &targets, QWidget *parent = nullptr);
    ~ViewSharingRemoteDownload() override;

    QStringList targets() const { return m_targets; }
    QString saveFolder() const { return m_saveFolder; }
    // Takes another folder (stored at once); ignored while a download runs or for "".
    void setSaveFolder(const QString &folder);
    // Lets the user pick the folder in an open panel.
    void chooseSaveFolder();
    // Shows the folder in the file manager (offered once the download has finished).
    void openSaveFolder();

protected:
    bool canStart() const override;
    void beforeStart() override;
    void sendStart(AnswerCallback callback) override;
    void sendCancel() override;
    void sendStatusQuery(quint64 request) override;
    QString preparingText() const override;
    QString finishedText() const override;
    QString savedText() const override;
    void updateControls() override;

private:
    QStringList m_targets;
    QString m_saveFolder;
    // The folder's names before the start, and after the end: what arrived, under which name.
    QSet<QString> m_namesBefore;
    QSet<QString> m_namesAfter;
    ElidedLabel *m_folderLabel = nullptr;
    QPushButton *m_change = nullptr;
    QPushButton *m_openFolder = nullptr;
};
