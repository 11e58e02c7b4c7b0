#include "common/RecordingSettingsStore.h"
#include "framework/RecentFileList.h"

#include <gtest/gtest.h>

using korvel::framework::RecentFileList;
using korvel::test::RecordingSettingsStore;

TEST(RecentFileList, NewestFirstWithoutDuplicatesAndAtMostNine) {
    RecentFileList list;
    for (int i = 0; i < 11; ++i) {
        list.add(QString("/pics/%1.jpg").arg(i));
    }
    ASSERT_EQ(list.entries().size(), 9);
    EXPECT_EQ(list.entries().front(), "/pics/10.jpg");
    EXPECT_EQ(list.entries().back(), "/pics/2.jpg");

    list.add("/pics/5.jpg");
    EXPECT_EQ(list.entries().front(), "/pics/5.jpg");
    EXPECT_EQ(list.entries().size(), 9);
    EXPECT_EQ(list.entries().count("/pics/5.jpg"), 1);
    EXPECT_EQ(list.menuText(0), "&1 /pics/5.jpg");

    list.add({});
    EXPECT_EQ(list.entries().front(), "/pics/5.jpg");
}

TEST(RecentFileList, KeptAsFile1ToFile9) {
    RecordingSettingsStore store;
    RecentFileList list;
    list.add("/a.bmp");
    list.add("/b.bmp");
    list.save(store);
    EXPECT_EQ(store.values["Recent File List/File1"].toString(), "/b.bmp");
    EXPECT_EQ(store.values["Recent File List/File2"].toString(), "/a.bmp");
    EXPECT_EQ(store.values["Recent File List/File3"].toString(), "");

    RecentFileList loaded;
    loaded.load(store);
    EXPECT_EQ(loaded.entries(), (QStringList{"/b.bmp", "/a.bmp"}));
    loaded.remove("/b.bmp");
    EXPECT_EQ(loaded.entries(), QStringList{"/a.bmp"});
}
