#pragma once

#include "receive_file_task.h"
#include "receive_files_sheet.h"

class MainViewInterface;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

// The receive-files sheet: a contact's offer with its sender and summary, the folder to save into,
// the count-down, accept and refuse; then the progress of the receive with cancel, and how it
// ended. It follows the main window's CtlViewReceiveFile: it opens while isShowView is set and
// closes itself by clearing it. The owner calls onStateChanged() after every change of that state.
class ViewReceiveFile final : public ReceiveFilesSheet
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewReceiveFile)

public:
    // ctlViewReceiveFile: the main window's state, which must outlive the sheet. An empty strTitle
    // gives the sheet's own title, an empty downloadSaveAt the stored receive folder.
    ViewReceiveFile(MainViewInterface &ctlViewReceiveFile, const QString &strTitle, const QString &downloadSaveAt,
                    bool isOverwrite, QWidget *parent = nullptr);
    ~ViewReceiveFile() override;

    ReceiveFileTask &task() { return *m_task; }
    bool isOverwrite() const { return m_isOverwrite; }

    // Registers this sheet as the main window's receive sheet (at start-up).
    static void registerAsReceiveSheet();

    // Opens or closes the sheet as isShowView says, and shows the state.
    void onStateChanged() override;

    // Opens the folder chooser; the chosen folder is used and stored when it exists.
    void chooseFolder();

public slots:
    // Escape and the close icon: refuse an undecided offer, cancel a running receive, then close.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildLayout(QVBoxLayout *layout);
    void sync();
    void refresh();

    ReceiveFileTask *m_task;
    bool m_isOverwrite;
    QLabel *m_from = nullptr;
    QLabel *m_summary = nullptr;
    QLineEdit *m_folder = nullptr;
    QToolButton *m_chooseFolder = nullptr;
    QLabel *m_countDown = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_progressText = nullptr;
    QLabel *m_currentFile = nullptr;
    QLabel *m_statusIcon = nullptr;
    QLabel *m_status = nullptr;
    QPushButton *m_refuse = nullptr;
    QPushButton *m_accept = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_close = nullptr;
};
