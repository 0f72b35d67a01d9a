#include "file_dialog_panels.h"
#include "util_system.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>
#include <QTest>

namespace {

class Panels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerFileDialogPanels();
        FileDialogPanels::clearNextAnswer();
    }
    void TearDown() override
    {
        FileDialogPanels::clearNextAnswer();
        UtilSystem::setPanelProvider({});
    }

    static QFileDialog *openPanel()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *panel = qobject_cast<QFileDialog *>(widget); panel && panel->isVisible())
                return panel;
        }
        return nullptr;
    }
};

TEST_F(Panels, AQueuedAnswerStandsInForThePanel)
{
    FileDialogPanels::setNextAnswer({"/data/a", "/data/b"});
    EXPECT_EQ(UtilSystem::selectPath(QStringLiteral("Choose"), true), "/data/a|/data/b");
    ASSERT_TRUE(FileDialogPanels::lastRequest().has_value());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);

    FileDialogPanels::setNextAnswer({});
    QString answer = QStringLiteral("unset");
    UtilSystem::selectPathAsync(QStringLiteral("Files"), false, [&](const QString &paths) { answer = paths; });
    QTRY_COMPARE(answer, QString());
    EXPECT_FALSE(FileDialogPanels::lastRequest()->chooseDir);
    EXPECT_EQ(openPanel(), nullptr);
}

TEST_F(Panels, FolderPanelChoosesSeveralFoldersAndNoHiddenOnes)
{
    const std::unique_ptr<QFileDialog> panel(FileDialogPanels::createPanel(nullptr, QStringLiteral("Share"), true));
    EXPECT_EQ(panel->windowTitle(), "Share");
    EXPECT_EQ(panel->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(panel->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_TRUE(panel->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(panel->isSizeGripEnabled());
    EXPECT_FALSE(panel->filter().testFlag(QDir::Hidden));
    EXPECT_FALSE(panel->filter().testFlag(QDir::Files));
    const auto views = panel->findChildren<QAbstractItemView *>();
    int multi = 0;
    for (const QAbstractItemView *view : views) {
        if (view->objectName() == QLatin1String("listView") || view->objectName() == QLatin1String("treeView")) {
            EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
            ++multi;
        }
    }
    EXPECT_EQ(multi, 2);
}

TEST_F(Panels, FilePanelChoosesSeveralFiles)
{
    const std::unique_ptr<QFileDialog> panel(FileDialogPanels::createPanel(nullptr, QStringLiteral("Send"), false));
    EXPECT_EQ(panel->fileMode(), QFileDialog::ExistingFiles);
    EXPECT_TRUE(panel->isSizeGripEnabled());
    EXPECT_FALSE(panel->filter().testFlag(QDir::Hidden));
    EXPECT_TRUE(panel->filter().testFlag(QDir::Files));
}

TEST_F(Panels, RealFolderPanelGivesEveryChosenFolderInOrder)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QDir dir(root.path());
    ASSERT_TRUE(dir.mkdir("alpha") && dir.mkdir("beta") && dir.mkdir(".hidden"));

    QString answer = QStringLiteral("unset");
    UtilSystem::selectPathAsync(QStringLiteral("Share"), true, [&](const QString &paths) { answer = paths; });
    QFileDialog *panel = openPanel();
    ASSERT_NE(panel, nullptr) << "the panel opens without blocking";
    panel->setDirectory(root.path());

    auto *view = panel->findChild<QAbstractItemView *>(QStringLiteral("listView"));
    ASSERT_NE(view, nullptr);
    auto *model = qobject_cast<QFileSystemModel *>(panel->findChild<QFileSystemModel *>());
    ASSERT_NE(model, nullptr);
    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
    QStringList shown;
    for (int row = 0; row < 2; ++row)
        shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{"alpha", "beta"})) << "hidden folders stay out";

    view->selectAll();
    QMetaObject::invokeMethod(panel, "accept");
    QTRY_VERIFY(answer != QLatin1String("unset"));
    QStringList chosen = answer.split(QLatin1Char('|'));
    chosen.sort();
    EXPECT_EQ(chosen, (QStringList{dir.filePath("alpha"), dir.filePath("beta")}));
}

TEST_F(Panels, CancelledPanelAnswersEmpty)
{
    QString answer = QStringLiteral("unset");
    UtilSystem::selectPathAsync(QStringLiteral("Send"), false, [&](const QString &paths) { answer = paths; });
    QFileDialog *panel = openPanel();
    ASSERT_NE(panel, nullptr);
    panel->reject();
    QTRY_COMPARE(answer, QString());
}

} // namespace
