#include "shares_test_support.h"
#include "sharing_obj_list.h"
#include "sharing_tag_edit_view.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QSet>
#include <QTest>
#include <QToolButton>

// Pictures of the share pages for a person to look at, saved in <build>/screenshots (or
// FENMAR_SCREENSHOT_DIR). Each check only makes sure that a picture was written and is not blank.
namespace {

QString saveScreenshot(QWidget &widget, const QString &name)
{
    QString folder = qEnvironmentVariable("FENMAR_SCREENSHOT_DIR");
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath() + QStringLiteral("/../screenshots");
    const QString path = QDir(folder).absoluteFilePath(name + QStringLiteral(".png"));
    return QDir().mkpath(folder) && widget.grab().save(path) ? path : QString();
}

void expectPicture(const QString &path)
{
    ASSERT_FALSE(path.isEmpty());
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << path.toStdString();
}

class SharesScreenshots : public SharesUiTest
{
protected:
    void showThreeShares()
    {
        list.setItems({storeShare("Home", makeFolder("Documents/Public"), {}, true, true),
                       storeShare("K3Z9", makeFolder("Pictures/Holiday 2024"), QStringLiteral("Secret42")),
                       storeShare("Q7PL", makeFile("Reports/annual-report.pdf"), {}, false)});
        page = new ViewSharingLocal(list, QString(), window.get());
        page->resize(window->size());
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        QTest::qWait(50);
    }

    SharingObjList list;
    ViewSharingLocal *page = nullptr;
};

TEST_F(SharesScreenshots, LocalSharesPageWithThreeShares)
{
    showThreeShares();
    expectPicture(saveScreenshot(*window, QStringLiteral("local_shares_page")));
}

TEST_F(SharesScreenshots, LocalSharesPageWithoutShares)
{
    page = new ViewSharingLocal(list, QString(), window.get());
    page->resize(window->size());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    expectPicture(saveScreenshot(*window, QStringLiteral("local_shares_empty")));
}

TEST_F(SharesScreenshots, TagEditor)
{
    showThreeShares();
    ViewSharingDetail *pane = page->panes().at(1);
    click(pane->findChild<QToolButton *>(QStringLiteral("editTagButton")));
    SharingTagEditView *editor = pane->tagEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(editor));
    QTest::qWait(50);
    expectPicture(saveScreenshot(*editor, QStringLiteral("tag_editor")));
}

} // namespace
