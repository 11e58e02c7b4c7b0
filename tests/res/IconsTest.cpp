#include "res/Resources.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace korvel::res {
namespace {

// Runs with an icon theme that does not exist, so every icon comes from the fallbacks.
class CommandIcons : public testing::Test {
protected:
    void SetUp() override {
        previousTheme_ = QIcon::themeName();
        QIcon::setThemeName("korvel-test-no-such-theme");
    }
    void TearDown() override { QIcon::setThemeName(previousTheme_); }

    static int visiblePixels(const QIcon& icon, int size) {
        const QImage image = icon.pixmap(size, size).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += qAlpha(image.pixel(x, y)) > 128;
            }
        }
        return count;
    }

    static QImage picture(const QIcon& icon) { return icon.pixmap(24, 24).toImage(); }

private:
    QString previousTheme_;
};

TEST_F(CommandIcons, EveryToolbarButtonIsVisibleWithoutATheme) {
    const std::pair<int, CommandScope> toolbars[] = {{128, CommandScope::Workspace},
                                                     {197, CommandScope::Workspace},
                                                     {218, CommandScope::Workspace},
                                                     {171, CommandScope::Camera}};
    for (const auto& [toolbar, scope] : toolbars) {
        for (const int id : toolbarResource(toolbar)) {
            if (id == 0) {
                continue;
            }
            const QIcon icon = commandIcon(id, scope);
            ASSERT_FALSE(icon.isNull()) << "toolbar " << toolbar << " button " << id;
            for (const int size : {16, 24, 32}) {
                // A drawn tile covers most of its square.
                EXPECT_GT(visiblePixels(icon, size), size * size / 2)
                    << "button " << id << " at " << size << " px";
            }
        }
    }
}

TEST_F(CommandIcons, GlyphsTellButtonsApart) {
    EXPECT_NE(picture(commandIcon(32786)), picture(commandIcon(32787)));  // zoom in, out
    EXPECT_NE(picture(commandIcon(57643)), picture(commandIcon(57644)));  // undo, redo
}

TEST_F(CommandIcons, CameraScopeDrawsItsOwnMeaningOfSharedNumbers) {
    const QIcon arc = commandIcon(32985);
    const QIcon fullScreen = commandIcon(32985, CommandScope::Camera);
    ASSERT_FALSE(arc.isNull());
    ASSERT_FALSE(fullScreen.isNull());
    EXPECT_NE(picture(arc), picture(fullScreen));
    // The camera's white-balance drop-down commands have no picture of their own, and
    // must not borrow the measurement pictures of the same numbers.
    for (const int id : {32994, 32995, 32997, 32998}) {
        EXPECT_TRUE(commandIcon(id, CommandScope::Camera).isNull()) << id;
    }
    EXPECT_FALSE(commandIcon(32995).isNull());
}

TEST_F(CommandIcons, CommandsWithoutPictureGiveNullIcon) {
    EXPECT_TRUE(commandIcon(57616).isNull());  // recent-file entry
    EXPECT_TRUE(commandIcon(32846).isNull());  // menu style "Default"
    EXPECT_TRUE(commandIcon(0).isNull());
    EXPECT_TRUE(commandIcon(-5).isNull());
}

}  // namespace
}  // namespace korvel::res
