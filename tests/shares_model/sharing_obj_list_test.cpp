#include "share_store_fixture.h"
#include "sharing_obj_list.h"

#include <QSignalSpy>

// The main window's share list: its two operations change the list and the store together.

class SharingObjListTest : public ShareStoreTest
{
protected:
    void SetUp() override
    {
        ShareStoreTest::SetUp();
        store("AAA1", "/a");
        store("BBB2", "/b");
        store("CCC3", "/c");
        list.setItems(LocalShare_List({}, false, false));
    }

    static QStringList storedDefaults()
    {
        QStringList result;
        for (const QStringList &row : rows("select tag from localshare_ext where key='IsDefault' and value='1'"))
            result << row.value(0);
        return result;
    }

    SharingObjList list;
};

TEST_F(SharingObjListTest, SetDefaultMarksOneShareInMemoryAndInTheStore)
{
    list.items().at(2)->setIsDefault(true);
    ASSERT_TRUE(LocalShare_SetDefault("CCC3"));

    QSignalSpy lost(list.items().at(2).get(), &SharingObj::isDefaultChanged);
    EXPECT_TRUE(list.setDefault("BBB2"));
    EXPECT_FALSE(list.items().at(0)->isDefault());
    EXPECT_TRUE(list.items().at(1)->isDefault());
    EXPECT_FALSE(list.items().at(2)->isDefault());
    EXPECT_EQ(lost.count(), 1);
    EXPECT_EQ(storedDefaults(), QStringList{"BBB2"});
}

TEST_F(SharingObjListTest, SetDefaultWithATagOfOtherCaseFindsNoItemAndLeavesTheStore)
{
    ASSERT_TRUE(LocalShare_SetDefault("AAA1"));
    list.items().at(0)->setIsDefault(true);

    EXPECT_FALSE(list.setDefault("bbb2"));
    for (const SharingObjPtr &item : list.items())
        EXPECT_FALSE(item->isDefault()) << item->tag().toStdString();
    EXPECT_EQ(storedDefaults(), QStringList{"AAA1"});
}

TEST_F(SharingObjListTest, RemoveDeletesFromStoreAndList)
{
    QSignalSpy changed(&list, &SharingObjList::itemsChanged);
    const SharingObjPtr kept = list.items().at(0);

    EXPECT_TRUE(list.remove("BBB2"));
    EXPECT_EQ(tags(list.items()), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(list.items().at(0), kept);

    // A tag no item has exactly, letter case included, touches neither.
    EXPECT_FALSE(list.remove("aaa1"));
    EXPECT_FALSE(list.remove("NONE"));
    EXPECT_EQ(tags(list.items()), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(tags(LocalShare_List({}, false, false)), QStringList({"AAA1", "CCC3"}));
    EXPECT_EQ(changed.count(), 1);
}

TEST_F(SharingObjListTest, RemoveThatTheStoreRefusesKeepsTheItem)
{
    sql("create trigger keep_shares before delete on localshare begin select raise(abort, 'locked'); end");
    EXPECT_FALSE(list.remove("AAA1"));
    EXPECT_EQ(tags(list.items()), QStringList({"AAA1", "BBB2", "CCC3"}));
    EXPECT_EQ(LocalShare_List({}, false, false).size(), 3);
}
