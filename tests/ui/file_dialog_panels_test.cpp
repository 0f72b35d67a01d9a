#include "file_dialog_panels.h"
#include "test_wait.h"
#include "util_system.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
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

    static QList<QFileDialog *> shownPanels()
    {
        QList<QFileDialog *> panels;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *panel = qobject_cast<QFileDialog *>(widget); panel && panel->isVisible())
                panels << panel;
        }
        return panels;
    }
    static QFileDialog *shownPanel() { return shownPanels().value(0); }
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

TEST_F(Panels, TheWindowTakesInputWhileThePanelIsOpenAndASecondAskOpensNoSecondPanel)
{
    QWidget window;
    window.resize(300, 200);
    auto *button = new QPushButton(QStringLiteral("Add"), &window);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QObject page, otherPage;
    QStringList answers;
    const auto ask = [&](QObject *asker, const QString &name) {
        UtilSystem::selectPathAsync(QStringLiteral("Share"), true, [&answers, name](const QString &paths) {
            answers << name + ':' + paths;
        }, asker);
    };
    ask(&page, QStringLiteral("first"));
    QFileDialog *panel = shownPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
    // A click as the window system delivers it, which a modal panel would hold back.
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
    EXPECT_EQ(clicks, 1) << "the window behind the panel takes the click";

    ask(&page, QStringLiteral("second"));
    EXPECT_EQ(shownPanels(), QList<QFileDialog *>({panel})) << "the same asker gets its open panel back";
    ask(&otherPage, QStringLiteral("other"));
    EXPECT_EQ(shownPanels().size(), 2) << "another asker has a panel of its own";

    QMetaObject::invokeMethod(panel, "reject");
    for (QFileDialog *left : shownPanels())
        QMetaObject::invokeMethod(left, "reject");
    ASSERT_TRUE(waitFor([&] { return answers.size() == 2; }));
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_EQ(answers, QStringList({"first:", "other:"})) << "only the panels shown answer";
    // Once its panel has ended the asker may open a new one.
    ask(&page, QStringLiteral("again"));
    ASSERT_EQ(shownPanels().size(), 1);
    QMetaObject::invokeMethod(shownPanel(), "reject");
    ASSERT_TRUE(waitFor([&] { return answers.size() == 3; }));
}

} // namespace
