// The main window's part in contacts' deliveries: its receive-files sheet opens with an offer
// written into its state whatever page is shown, and closes with it; the page for sending files
// is built but no navigation button leads to it.

#include "app_gui_support.h"

#include "env.h"
#include "main_view.h"
#include "side_nav_item_view.h"
#include "view_contact.h"
#include "view_receive_file.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

namespace {

class MainWindowDelivery : public ShellTest
{
protected:
    ViewReceiveFile *sheet() { return window->findChild<ViewReceiveFile *>(QStringLiteral("receiveSheet")); }
    void offer()
    {
        CtlViewReceiveFile state;
        state.isShowView = true;
        state.Session = QStringLiteral("PEER|ME");
        state.FromUser = QStringLiteral("ann@example.com");
        state.Summary = QStringLiteral("2 items: budget.xlsx, photos");
        state.UUID = QStringLiteral("OFFER-1");
        Env::globalMainView->setCtlViewReceiveFile(state);
    }
};

} // namespace

TEST_F(MainWindowDelivery, AnOfferOpensTheSheetOnEveryPageAndARefusalClosesIt)
{
    showMainView();
    finishLogin();
    ASSERT_NE(sheet(), nullptr);
    EXPECT_FALSE(sheet()->isVisible());

    window->selectPage(MainView::pageSettings);
    offer();
    ASSERT_TRUE(sheet()->isVisible());
    EXPECT_EQ(sheet()->findChild<QLabel *>(QStringLiteral("fromLabel"))->text(),
              QStringLiteral("ann@example.com wants to send you files"));

    QTest::mouseClick(sheet()->findChild<QPushButton *>(QStringLiteral("refuseButton")), Qt::LeftButton);
    EXPECT_FALSE(sheet()->isVisible());
    EXPECT_FALSE(window->ctlViewReceiveFile().isShowView);
    EXPECT_EQ(window->ctlViewReceiveFile().taskState, QStringLiteral("2"));

    window->selectPage(MainView::pageLocalShares);
    offer();
    EXPECT_TRUE(sheet()->isVisible());
    CtlViewReceiveFile withdrawn = window->ctlViewReceiveFile();
    withdrawn.isShowView = false;
    Env::globalMainView->setCtlViewReceiveFile(withdrawn);
    EXPECT_FALSE(sheet()->isVisible());
}

TEST_F(MainWindowDelivery, TheSendFilesPageIsBuiltButNoButtonLeadsToIt)
{
    showMainView();
    finishLogin();
    auto *pages = window->findChild<QStackedWidget *>(QStringLiteral("pages"));
    ASSERT_NE(pages, nullptr);
    EXPECT_NE(qobject_cast<ViewContact *>(pages->widget(MainView::pageSendFiles)), nullptr);
    for (SideNavItemView *button : window->findChildren<SideNavItemView *>()) {
        QTest::mouseClick(button, Qt::LeftButton);
        EXPECT_NE(window->iViewIndex(), MainView::pageSendFiles) << button->objectName().toStdString();
    }
}

TEST_F(MainWindowDelivery, ScreenshotWithTheReceiveSheetOpen)
{
    showMainView();
    finishLogin();
    window->resize(1000, 680);
    offer();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sheet()->isVisible());
    // The sheet is a window of its own: it is painted over the main window where it stands.
    const QString path = saveScreenshot(*window, QStringLiteral("app_main_receive_sheet"));
    ASSERT_FALSE(path.isEmpty());
    QPixmap picture = window->grab();
    QPainter painter(&picture);
    painter.fillRect(picture.rect(), QColor(0, 0, 0, 40));
    painter.drawPixmap(window->mapFromGlobal(sheet()->mapToGlobal(QPoint(0, 0))), sheet()->grab());
    painter.end();
    EXPECT_TRUE(picture.save(path));
}
