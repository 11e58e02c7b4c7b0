#include "res/Resources.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QWidget>

#include <set>
#include <vector>

namespace korvel::res {
namespace {

int visiblePixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) > 128;
        }
    }
    return count;
}

int visiblePixels(const QIcon& icon, int size) {
    return visiblePixels(icon.pixmap(size, size).toImage());
}

QImage picture(const QIcon& icon) {
    return icon.pixmap(24, 24).toImage();
}

struct Button {
    int toolbar;
    int id;
    CommandScope scope;
};

std::vector<Button> toolbarButtons() {
    const std::pair<int, CommandScope> toolbars[] = {
        {IDR_TOOLBAR_STANDARD, CommandScope::Workspace},
        {IDR_TOOLBAR_MEASURE, CommandScope::Workspace},
        {IDR_TOOLBAR_IMAGE, CommandScope::Workspace},
        {IDR_TOOLBAR_CAMERA, CommandScope::Camera}};
    std::vector<Button> buttons;
    for (const auto& [toolbar, scope] : toolbars) {
        for (const int id : toolbarResource(toolbar)) {
            if (id != 0) {
                buttons.push_back({toolbar, id, scope});
            }
        }
    }
    return buttons;
}

// The commands of the camera toolbar's drop-down menus.
std::vector<int> cameraDropDownCommands() {
    std::vector<int> ids;
    for (const int menu : {IDR_CAMERA_SNAP_MENU, IDR_CAMERA_RESOLUTION_MENU, IDR_CAMERA_VIDEO_MENU,
                           IDR_CAMERA_WHITE_BALANCE_MENU}) {
        for (const MenuEntry& entry : menuResource(menu)) {
            if (entry.kind == MenuEntryKind::Item) {
                ids.push_back(entry.id);
            }
        }
    }
    return ids;
}

// Runs with an icon theme that does not exist, so every icon comes from our own pictures.
class CommandIcons : public testing::Test {
protected:
    void SetUp() override {
        previousTheme_ = QIcon::themeName();
        previousFallback_ = QIcon::fallbackThemeName();
        QIcon::setThemeName("korvel-test-no-such-theme");
        QIcon::setFallbackThemeName("korvel-test-no-such-theme");
    }
    void TearDown() override {
        QIcon::setThemeName(previousTheme_);
        QIcon::setFallbackThemeName(previousFallback_);
    }

private:
    QString previousTheme_;
    QString previousFallback_;
};

TEST_F(CommandIcons, EveryToolbarButtonIsVisibleWithoutATheme) {
    for (const Button& button : toolbarButtons()) {
        const ResolvedIcon resolved = resolveCommandIcon(button.id, button.scope);
        ASSERT_FALSE(resolved.icon.isNull())
            << "toolbar " << button.toolbar << " button " << button.id;
        EXPECT_EQ(resolved.origin, IconOrigin::Bundled) << "button " << button.id;
        for (const int size : {16, 24, 32}) {
            EXPECT_GE(visiblePixels(resolved.icon, size), size)
                << "button " << button.id << " at " << size << " px";
        }
    }
}

TEST_F(CommandIcons, GlyphsTellButtonsApart) {
    EXPECT_NE(picture(commandIcon(32786)), picture(commandIcon(32787)));  // zoom in, out
    EXPECT_NE(picture(commandIcon(57643)), picture(commandIcon(57644)));  // undo, redo
    // Each of our pictures is its own.
    std::set<int> commands;
    std::set<QByteArray> pictures;
    for (const Button& button : toolbarButtons()) {
        const ResolvedIcon resolved = resolveCommandIcon(button.id, button.scope);
        // Move sits on two toolbars.
        if (resolved.origin != IconOrigin::Bundled || !commands.insert(button.id).second) {
            continue;
        }
        const QImage image = picture(resolved.icon);
        const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()),
                               image.sizeInBytes());
        EXPECT_TRUE(pictures.insert(bytes).second) << "button " << button.id;
    }
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
    EXPECT_EQ(resolveCommandIcon(57616).origin, IconOrigin::None);
}

TEST(BundledIcons, EveryPictureIsValidSvgAndRendersAt16And24) {
    const QStringList files = bundledIconFiles();
    ASSERT_GE(files.size(), 40);
    for (const QString& file : files) {
        EXPECT_TRUE(QSvgRenderer(file).isValid()) << qPrintable(file);
        const QIcon icon(file);
        for (const int size : {16, 24}) {
            const QImage image = icon.pixmap(size, size).toImage();
            EXPECT_EQ(image.size(), QSize(size, size)) << qPrintable(file);
            // Something drawn, and not a filled square.
            const int visible = visiblePixels(image);
            EXPECT_GE(visible, size) << qPrintable(file) << " at " << size << " px";
            EXPECT_LT(visible, size * size * 9 / 10) << qPrintable(file) << " at " << size;
        }
    }
}

TEST(BundledIcons, ApplicationIconRendersAtEveryInstalledSize) {
    const QIcon icon = applicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        EXPECT_GT(visiblePixels(icon, size), size * size / 2) << size;
    }
}

// The process-wide icon settings are put back after each case.
class IconTheme : public testing::Test {
protected:
    void SetUp() override {
        theme_ = QIcon::themeName();
        fallback_ = QIcon::fallbackThemeName();
        searchPaths_ = QIcon::themeSearchPaths();
        windowIcon_ = QGuiApplication::windowIcon();
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(searchPaths_);
        QIcon::setThemeName(theme_);
        QIcon::setFallbackThemeName(fallback_);
        QGuiApplication::setWindowIcon(windowIcon_);
    }

    static void makeTheme(const QString& root, const QString& name) {
        ASSERT_TRUE(QDir(root).mkpath(name));
        QFile index(root + "/" + name + "/index.theme");
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=" + name.toUtf8() + "\nDirectories=\n");
    }

private:
    QString theme_;
    QString fallback_;
    QStringList searchPaths_;
    QIcon windowIcon_;
};

TEST_F(IconTheme, FallbackIsTheFirstInstalledThemeWeDependOn) {
    QTemporaryDir first;
    QTemporaryDir second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    EXPECT_EQ(chooseFallbackIconTheme({}), QString());
    EXPECT_EQ(chooseFallbackIconTheme({first.path()}), QString());

    // A folder without index.theme is no theme.
    ASSERT_TRUE(QDir(first.path()).mkpath("breeze"));
    makeTheme(first.path(), "Adwaita");
    EXPECT_EQ(chooseFallbackIconTheme({first.path(), second.path()}), "Adwaita");

    makeTheme(second.path(), "breeze");
    EXPECT_EQ(chooseFallbackIconTheme({first.path(), second.path()}), "breeze");
    EXPECT_EQ(chooseFallbackIconTheme({"/no/such/folder", second.path()}), "breeze");
}

TEST_F(IconTheme, BareDesktopGetsTheFallbackAsItsTheme) {
    installApplicationIcons();
    const QString fallback = QIcon::fallbackThemeName();
    ASSERT_FALSE(fallback.isEmpty()) << "no icon theme installed; run scripts/install-deps.sh";
    EXPECT_EQ(fallback, chooseFallbackIconTheme(QIcon::themeSearchPaths()));
    for (const QString& bare :
         {QString(), QStringLiteral("hicolor"), QStringLiteral("korvel-test-no-such-theme")}) {
        QIcon::setThemeName(bare);
        installApplicationIcons();
        EXPECT_EQ(QIcon::themeName(), fallback) << qPrintable(bare);
        EXPECT_EQ(QIcon::fallbackThemeName(), fallback);
    }
}

TEST_F(IconTheme, ConfiguredThemeIsKeptAndBackedUp) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    makeTheme(root.path(), "korvel-test-desktop");
    QIcon::setThemeSearchPaths(QIcon::themeSearchPaths() << root.path());
    QIcon::setThemeName("korvel-test-desktop");
    installApplicationIcons();
    EXPECT_EQ(QIcon::themeName(), "korvel-test-desktop");
    // The desktop's theme has no icons at all: the fallback theme supplies them.
    EXPECT_FALSE(QIcon::fallbackThemeName().isEmpty());
    EXPECT_EQ(resolveCommandIcon(ID_FILE_OPEN).origin, IconOrigin::Theme);
}

TEST_F(IconTheme, EveryToolbarButtonShowsAThemeOrOwnPicture) {
    QIcon::setThemeName(QString());
    installApplicationIcons();
    ASSERT_FALSE(QIcon::fallbackThemeName().isEmpty())
        << "no icon theme installed; run scripts/install-deps.sh";
    int fromTheme = 0;
    for (const Button& button : toolbarButtons()) {
        const ResolvedIcon resolved = resolveCommandIcon(button.id, button.scope);
        EXPECT_TRUE(resolved.origin == IconOrigin::Theme || resolved.origin == IconOrigin::Bundled)
            << "toolbar " << button.toolbar << " button " << button.id;
        fromTheme += resolved.origin == IconOrigin::Theme;
        for (const int size : {16, 24}) {
            EXPECT_GE(visiblePixels(resolved.icon, size), size)
                << "button " << button.id << " at " << size << " px";
        }
    }
    // The standard commands (open, undo, rotate ...) come from the theme.
    EXPECT_GE(fromTheme, 10);
    // The drop-down menus' commands show a picture or deliberately none.
    for (const int id : cameraDropDownCommands()) {
        const ResolvedIcon resolved = resolveCommandIcon(id, CommandScope::Camera);
        EXPECT_EQ(resolved.icon.isNull(), resolved.origin == IconOrigin::None) << id;
    }
}

TEST_F(IconTheme, ApplicationIconIsEveryWindowsIcon) {
    QGuiApplication::setWindowIcon(QIcon());
    installApplicationIcons();
    ASSERT_FALSE(QGuiApplication::windowIcon().isNull());
    const QWidget window;
    EXPECT_EQ(window.windowIcon().pixmap(32, 32).toImage(),
              applicationIcon().pixmap(32, 32).toImage());
}

TEST(CommandLine, HelpNamesTheCameraVariableAndItsValues) {
    const QString text = commandLineDescription();
    EXPECT_TRUE(text.contains("KRVCAMERA=sim:<type id>"));
    EXPECT_TRUE(text.contains("KRVCAMERA=none"));
    EXPECT_FALSE(fileArgumentDescription().isEmpty());
}

}  // namespace
}  // namespace korvel::res
