#pragma once

#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "main_view_ui.h"
#include "sharing_obj.h"
#include "test_wait.h"
#include "toast_overlay.h"
#include "url_catcher.h"

#include <gtest/gtest.h>

#include <QWidget>

// Plays the main window for the share pages: a window with the real toast overlay, confirm dialog
// and input dialog, registered as the main window while it lives. Every toast it was asked to
// show is kept, in order.
class TestMainWindow final : public QWidget, public MainViewUi
{
public:
    TestMainWindow()
    {
        resize(960, 600);
        MainViewUi::setCurrent(this);
    }
    Q_DISABLE_COPY_MOVE(TestMainWindow)

    void presentToast(const AlertToast &toast) override
    {
        toasts.append(toast);
        toastOverlay.present(toast);
    }
    DialogConfirmSetting &dialogConfirmSetting() override { return confirmSetting; }
    void showConfirmDialog() override { confirmView.open(); }
    DialogInput_Setting &dialogInputSetting() override { return inputSetting; }
    void showInputDialog() override { inputView.open(); }
    // The receive-files sheet is no business of the share pages.
    CtlViewReceiveFile ctlViewReceiveFile() const override { return {}; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &) override {}

    QList<AlertToast> toasts;
    DialogConfirmSetting confirmSetting;
    DialogInput_Setting inputSetting;
    DialogConfirmView confirmView{&confirmSetting, this};
    DialogInputView inputView{&inputSetting, true, this};
    ToastOverlay toastOverlay{this, ToastOverlay::kMainWindowDuration};
};

// A fresh database in this test's HOME, an account with host name "myhost" and room for 10
// shares, the English texts, the open panels (answered by FileDialogPanels::setNextAnswer) and a
// window playing the main window.
class SharesUiTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder below this test's HOME.
    static QString makeFolder(const QString &name);
    // Stores a share and gives back what a fresh load of it shows.
    static SharingObjPtr storeShare(const QString &tag, const QString &path, const QString &code = {},
                                    bool isdir = true, bool isDefault = false);

    // Every row that statement gives, its columns joined by "|" and the rows by blanks.
    static QString rows(const QString &statement);
    // The stored row of the share with this tag: tag|path|password|isenabled|isupload|isdownload|isdir.
    static QString shareRow(const QString &tag);
    static QString defaultTags() { return rows("select tag from localshare_ext where key='IsDefault' and value='1'"); }
    // Makes every insert into table (that meets when) fail from now on, as a full disk would.
    static void failInsertsInto(const QString &table, const QString &when = QStringLiteral("1"));

    static QString text(const char *key);
    static AlertToast succeeded() { return AlertToast::result(true, text("Sys_Update_Succ")); }
    static AlertToast failed() { return AlertToast::result(false, text("Sys_Update_Failed")); }
    static void click(QWidget *widget);

    std::unique_ptr<TestMainWindow> window;
    std::unique_ptr<UrlCatcher> urls;
};
