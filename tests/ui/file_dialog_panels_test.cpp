#include "file_dialog_panels.h"
#include "test_wait.h"
#include "util_system.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

// The open panels behind UtilSystem's path choice, and the seam that answers for them in tests.
namespace {

class Panels : public ::testing::Test
{
protected:
    void SetUp() override
    {
        registerFileDialogPanels();
        FileDialogPanels::clearNextAnswer();
    }
    void TearDown() override { UtilSystem::setPanelProvider({}); }

    static QFileDialog *shownPanel()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *panel = qobject_cast<QFileDialog *>(widget); panel && panel->isVisible())
                return panel;
        }
        return nullptr;
    }
};

TEST_F(Panels, FolderAndFilePanelsChooseSeveralItemsAndHideHiddenOnes)
{
    for (const bool chooseDir : {true, false}) {
        const std::unique_ptr<QFileDialog> panel(FileDialogPanels::createPanel(nullptr, QStringLiteral("Share"), chooseDir));
        EXPECT_EQ(panel->windowTitle(), "Share");
        EXPECT_TRUE(panel->isSizeGripEnabled());
        EXPECT_FALSE(panel->filter().testFlag(QDir::Hidden));
        EXPECT_EQ(panel->filter().testFlag(QDir::Files), !chooseDir);
        EXPECT_EQ(panel->fileMode(), chooseDir ? QFileDialog::Directory : QFileDialog::ExistingFiles);
    }
}

TEST_F(Panels, TheRealFolderPanelGivesEveryChosenFolderOrNothingWhenCancelled)
{
    QTemporaryDir root;
    QDir dir(root.path());
    ASSERT_TRUE(dir.mkdir("alpha") && dir.mkdir("beta") && dir.mkdir(".hidden"));

    for (const bool accept : {false, true}) {
        QString answer = QStringLiteral("unset");
        UtilSystem::selectPathAsync(QStringLiteral("Share"), true, [&](const QString &paths) { answer = paths; });
        QFileDialog *panel = shownPanel();
        ASSERT_NE(panel, nullptr) << "the panel opens without blocking";
        panel->setDirectory(root.path());
        auto *view = panel->findChild<QAbstractItemView *>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(waitFor([&] { return view->model()->rowCount(view->rootIndex()) == 2; }))
            << "hidden folders stay out";
        view->selectAll();
        QMetaObject::invokeMethod(panel, accept ? "accept" : "reject");
        ASSERT_TRUE(waitFor([&] { return answer != QLatin1String("unset"); }));
        QStringList chosen = answer.split(QLatin1Char('|'), Qt::SkipEmptyParts);
        chosen.sort();
        EXPECT_EQ(chosen, accept ? QStringList({dir.filePath("alpha"), dir.filePath("beta")}) : QStringList());
    }
}

} // namespace
