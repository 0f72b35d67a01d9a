#include "util_system.h"

#include "test_wait.h"
#include "url_catcher.h"

#include <gtest/gtest.h>

#include <QUrl>

TEST(UtilSystemOpenUrl, OpensAddressesAndIgnoresTextsThatAreNoUrl)
{
    UrlCatcher catcher;

    UtilSystem::openURL("");
    UtilSystem::openURL("not a url");
    UtilSystem::openURL("http://exa mple.com/");
    EXPECT_TRUE(catcher.opened.isEmpty());

    UtilSystem::openURL("https://127.0.0.1:19962/share/?id=1");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened.front(), QUrl("https://127.0.0.1:19962/share/?id=1"));
}

TEST(UtilSystemPanels, WithoutAPanelEveryChoiceIsCancelled)
{
    UtilSystem::setPanelProvider({});
    EXPECT_EQ(UtilSystem::selectPath("Choose one file or folder", true), "");

    QStringList answers;
    UtilSystem::selectPathAsync("Title", true, [&](const QString &paths) { answers.append(paths); });
    // The answer comes later, from the event loop, as a panel's would.
    EXPECT_TRUE(answers.isEmpty());
    ASSERT_TRUE(waitFor([&] { return !answers.isEmpty(); }));
    EXPECT_EQ(answers, QStringList({""}));
}

TEST(UtilSystemPanels, ChosenPathsAreJoinedWithABar)
{
    UtilSystem::PanelProvider provider;
    provider.showModal = [](const QString &, bool) { return QStringList({"/me/a", "/me/b c"}); };
    provider.showAsync = [](const QString &, bool, QObject *, std::function<void(const QStringList &)> done) {
        done({"/x", "/y"});
    };
    UtilSystem::setPanelProvider(provider);
    EXPECT_EQ(UtilSystem::selectPath("Pick", false), "/me/a|/me/b c");
    QString answer;
    UtilSystem::selectPathAsync("Pick", true, [&](const QString &paths) { answer = paths; });
    EXPECT_EQ(answer, "/x|/y");
    UtilSystem::setPanelProvider({});
}
