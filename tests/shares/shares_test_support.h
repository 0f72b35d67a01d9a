#pragma once

#include "alert_toast.h"
#include "main_view_ui.h"
#include "sharing_obj.h"
#include "test_wait.h"
#include "url_catcher.h"

#include <gtest/gtest.h>

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>

class DialogConfirmSetting;
class DialogConfirmView;
class DialogInputView;
class DialogInput_Setting;
class QCheckBox;
class ToastOverlay;

// Plays the main window for the share pages: a window with the real toast overlay, confirm dialog
// and input dialog, registered as the main window while it lives. Every toast it was asked to
// show is kept, in order.
class TestMainWindow final : public QWidget, public MainViewUi
{
public:
    TestMainWindow();
    ~TestMainWindow() override;
    Q_DISABLE_COPY_MOVE(TestMainWindow)

    void presentToast(const AlertToast &toast) override;
    DialogConfirmSetting &dialogConfirmSetting() override { return *m_confirmSetting; }
    void showConfirmDialog() override;
    DialogInput_Setting &dialogInputSetting() override { return *m_inputSetting; }
    void showInputDialog() override;
    // The receive-files sheet is no business of the share pages.
    CtlViewReceiveFile ctlViewReceiveFile() const override { return {}; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &) override {}

    DialogConfirmView &confirmView() { return *m_confirmView; }
    DialogInputView &inputView() { return *m_inputView; }
    ToastOverlay &toastOverlay() { return *m_toastOverlay; }

    QList<AlertToast> toasts;

private:
    DialogConfirmSetting *m_confirmSetting;
    DialogInput_Setting *m_inputSetting;
    DialogConfirmView *m_confirmView;
    DialogInputView *m_inputView;
    ToastOverlay *m_toastOverlay;
};

// A fresh database in this test's HOME, an account with host name "myhost", the English texts,
// the open panels (answered by FileDialogPanels::setNextAnswer) and a window playing the main
// window.
class SharesUiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder, or a small file (its folders made too), below this test's HOME.
    static QString makeFolder(const QString &name);
    static QString makeFile(const QString &name);

    // Stores a share and gives back what a fresh load of it shows.
    static SharingObjPtr storeShare(const QString &tag, const QString &path, const QString &code = {},
                                    bool isdir = true, bool isDefault = false);
    // The stored row of the share with this tag: tag, path, password, isenabled, isupload,
    // isdownload, isdir; empty when there is none.
    static QStringList shareRow(const QString &tag);
    static int shareCount();
    // The stored value of one setting of a share; "" when there is none.
    static QString setting(const QString &tag, const QString &key);
    // Tags of the shares whose "IsDefault" setting is "1".
    static QStringList defaultTags();
    // Makes every insert into table fail from now on, as a full disk would.
    static void failInsertsInto(const QString &table);
    // Counts the inserts into localshare from now on (see insertCount).
    static void countInserts();
    static int insertCount();

    // The addresses the desktop was asked to open.
    QList<QUrl> openedUrls() const { return urls->opened; }

    static QString toastText(const char *key);

    static void click(QWidget *widget);

    std::unique_ptr<TestMainWindow> window;
    std::unique_ptr<UrlCatcher> urls;
};
