#include "res/Resources.h"
#include "res/ids.h"

#include <gtest/gtest.h>

#include <QKeySequence>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

// The expected numbers below are written out on purpose rather than taken from
// res/ids.h, so that a wrong constant there is caught.

namespace korvel::res {
namespace {

const std::vector<int> kAllMenus = {128, 129, 142, 223, 233, 1230, 1231, 1234, 1261};
const std::vector<int> kCameraMenus = {1230, 1231, 1234, 1261};
const std::vector<int> kWorkspaceToolbars = {128, 197, 218};

std::vector<const MenuEntry*> items(int menuId) {
    std::vector<const MenuEntry*> result;
    for (const MenuEntry& entry : menuResource(menuId)) {
        if (entry.kind == MenuEntryKind::Item) {
            result.push_back(&entry);
        }
    }
    return result;
}

std::set<int> itemIds(int menuId) {
    std::set<int> ids;
    for (const MenuEntry* entry : items(menuId)) {
        ids.insert(entry->id);
    }
    return ids;
}

// Whether command `id` has a text the user can read: a menu text, or a string prompt.
bool hasText(int id, CommandScope scope) {
    if (!loadString(id, scope).trimmed().isEmpty()) {
        return true;
    }
    const std::vector<int> menus = scope == CommandScope::Camera ? kCameraMenus : kAllMenus;
    for (const int menu : menus) {
        for (const MenuEntry* entry : items(menu)) {
            if (entry->id == id && !QString::fromUtf8(entry->text).trimmed().isEmpty()) {
                return true;
            }
        }
    }
    return false;
}

// The shortcut of an accelerator as a Windows menu writes it: "Ctrl+O", "Shift+F6",
// "Num +".
QString windowsShortcutText(QKeyCombination keys) {
    QString text;
    const Qt::KeyboardModifiers modifiers = keys.keyboardModifiers();
    if (modifiers & Qt::ControlModifier) {
        text += "Ctrl+";
    }
    if (modifiers & Qt::ShiftModifier) {
        text += "Shift+";
    }
    if (modifiers & Qt::AltModifier) {
        text += "Alt+";
    }
    const QString key = QKeySequence(keys.key()).toString(QKeySequence::PortableText);
    if (modifiers & Qt::KeypadModifier) {
        text += "Num ";
    }
    return text + key;
}

// ---------------------------------------------------------------------------------------
// Menu structure
// ---------------------------------------------------------------------------------------

TEST(Menus, EveryMenuExistsAndUnknownIdsAreEmpty) {
    for (const int menu : kAllMenus) {
        EXPECT_FALSE(menuResource(menu).empty()) << "menu " << menu;
    }
    EXPECT_TRUE(menuResource(0).empty());
    EXPECT_TRUE(menuResource(130).empty());
    EXPECT_TRUE(menuResource(-1).empty());
}

TEST(Menus, PopupsAndEndsAreBalancedAndEntriesWellFormed) {
    for (const int menu : kAllMenus) {
        SCOPED_TRACE("menu " + std::to_string(menu));
        int depth = 0;
        const MenuEntry* previous = nullptr;
        for (const MenuEntry& entry : menuResource(menu)) {
            switch (entry.kind) {
                case MenuEntryKind::Popup:
                    ASSERT_NE(entry.text, nullptr);
                    EXPECT_NE(entry.text[0], '\0');
                    EXPECT_EQ(entry.id, 0);
                    ++depth;
                    break;
                case MenuEntryKind::End:
                    EXPECT_EQ(entry.text, nullptr);
                    ASSERT_GT(depth, 0) << "End without a Popup";
                    ASSERT_NE(previous, nullptr);
                    EXPECT_NE(previous->kind, MenuEntryKind::Popup) << "empty popup";
                    EXPECT_NE(previous->kind, MenuEntryKind::Separator) << "trailing line";
                    --depth;
                    break;
                case MenuEntryKind::Separator:
                    EXPECT_EQ(entry.text, nullptr);
                    EXPECT_EQ(entry.id, 0);
                    ASSERT_NE(previous, nullptr);
                    EXPECT_NE(previous->kind, MenuEntryKind::Popup) << "leading line";
                    EXPECT_NE(previous->kind, MenuEntryKind::Separator) << "double line";
                    break;
                case MenuEntryKind::Item:
                    ASSERT_GT(depth, 0) << "item " << entry.id << " outside a popup";
                    ASSERT_NE(entry.text, nullptr) << "item " << entry.id;
                    EXPECT_FALSE(QString::fromUtf8(entry.text).trimmed().isEmpty())
                        << "item " << entry.id;
                    EXPECT_GT(entry.id, 0);
                    break;
            }
            previous = &entry;
        }
        EXPECT_EQ(depth, 0) << "unclosed popup";
    }
}

TEST(Menus, NoCommandAppearsTwiceInOneMenu) {
    for (const int menu : kAllMenus) {
        std::map<int, int> count;
        for (const MenuEntry* entry : items(menu)) {
            ++count[entry->id];
        }
        for (const auto& [id, n] : count) {
            EXPECT_EQ(n, 1) << "menu " << menu << " lists " << id << " " << n << " times";
        }
    }
}

TEST(Menus, ContextMenusHaveOneTopPopup) {
    for (const int menu : {142, 223, 233, 1230, 1231, 1234, 1261}) {
        const std::span<const MenuEntry> entries = menuResource(menu);
        ASSERT_FALSE(entries.empty());
        EXPECT_EQ(entries.front().kind, MenuEntryKind::Popup) << menu;
        EXPECT_EQ(entries.back().kind, MenuEntryKind::End) << menu;
        int depth = 0;
        for (size_t i = 0; i + 1 < entries.size(); ++i) {
            depth += entries[i].kind == MenuEntryKind::Popup;
            depth -= entries[i].kind == MenuEntryKind::End;
            EXPECT_GT(depth, 0) << "menu " << menu << " closes its popup before the end";
        }
    }
    EXPECT_STREQ(menuResource(142).front().text, "KxImage");
}

TEST(Menus, EveryItemHasText) {
    for (const int menu : kAllMenus) {
        for (const MenuEntry* entry : items(menu)) {
            EXPECT_TRUE(hasText(entry->id, CommandScope::Workspace)) << entry->id;
        }
    }
}

TEST(Menus, ImageMenuHoldsEveryDocumentAndFrameCommand) {
    const std::vector<int> expected = {
        // Application and main frame.
        57600, 57601, 57602, 57603, 57604, 57606, 57607, 57664, 32975, 57634, 57635, 57637, 57643,
        57644, 57680, 57681, 32776, 32789, 32846, 32847, 32872, 32876, 32922, 32979, 35001, 1236,
        // Document, view, zoom and tools.
        32771, 32919, 32792, 32793, 32785, 32786, 32787, 32788, 32993, 32869, 32871, 32874, 32886,
        32916,
        // Image processing on the worker thread.
        32774, 32775, 32777, 32778, 32855, 32856, 32779, 32794, 32915, 32795, 32796, 32798, 32799,
        32808, 32809, 32810, 32811, 32900, 32920, 32812, 32813, 32814, 32815, 32816, 32896, 32897,
        32817, 32818, 32914, 32864, 32865, 32898, 32901, 32904, 32905, 32906, 32907, 32909, 32889,
        32911, 32912, 32890, 32891, 32894, 32895,
        // Direct image processing.
        32848, 32772, 32803, 32877, 32851, 32850, 32852, 32853, 32854, 32888, 32883, 32797,
        // Commands that create documents.
        32800, 32801, 32802, 32887, 32881, 32882, 32885, 32879, 32880, 32903, 32918,
        // Measurement.
        32978, 32959, 233, 32994, 32969, 32961, 32995, 32996, 32962, 32966, 32965, 32997, 32998,
        32964, 32967, 32973, 32968, 32985, 32992, 32970, 32971, 32972};
    const std::set<int> present = itemIds(129);
    for (const int id : expected) {
        EXPECT_TRUE(present.count(id)) << "menu 129 lacks command " << id;
    }
    EXPECT_EQ(std::set<int>(expected.begin(), expected.end()).size(), expected.size());
}

TEST(Menus, ImageMenuHasTheEightTopMenusInOrder) {
    std::vector<QString> titles;
    int depth = 0;
    for (const MenuEntry& entry : menuResource(129)) {
        if (entry.kind == MenuEntryKind::Popup && depth++ == 0) {
            titles.push_back(QString::fromUtf8(entry.text).remove('&'));
        } else if (entry.kind == MenuEntryKind::End) {
            --depth;
        }
    }
    const std::vector<QString> expected = {"File",    "Edit",    "View",   "Image",
                                           "Filters", "Measure", "Window", "Help"};
    EXPECT_EQ(titles, expected);
}

TEST(Menus, QuotedTextsStandAsWritten) {
    auto textOf = [](int menu, int id) -> QString {
        for (const MenuEntry* entry : items(menu)) {
            if (entry->id == id) {
                return QString::fromUtf8(entry->text);
            }
        }
        return {};
    };
    EXPECT_EQ(textOf(233, 32994), "List");
    EXPECT_EQ(textOf(223, 32987), "&Delete");
    EXPECT_EQ(textOf(1230, 32999), "Config...");
    EXPECT_EQ(textOf(1231, 33002), "Config...");
    EXPECT_EQ(textOf(1234, 33001), "Config...");
    EXPECT_EQ(textOf(129, 32789), "Capture...");
    EXPECT_EQ(textOf(129, 32846), "Default");
    EXPECT_EQ(textOf(129, 32847), "XP");
    EXPECT_EQ(textOf(129, 32872), "Full Screen");
    EXPECT_EQ(textOf(129, 32876), "Histogram");
    EXPECT_EQ(textOf(129, 57604), "Save &As...");
    EXPECT_EQ(textOf(129, 57601), "&Open...\tCtrl+O");
}

TEST(Menus, WhiteBalanceDropDownListsItsFourCommandsInOrder) {
    std::vector<std::pair<int, QString>> entries;
    for (const MenuEntry* entry : items(1261)) {
        entries.emplace_back(entry->id, QString::fromUtf8(entry->text));
    }
    const std::vector<std::pair<int, QString>> expected = {{32994, "Wizard WhiteBalance "},
                                                           {32997, "Area WhiteBalance"},
                                                           {32998, "Quick BlackBalance"},
                                                           {32995, "Quick WhiteBalance"}};
    EXPECT_EQ(entries, expected);
}

TEST(Menus, ShortcutSuffixesMatchTheAcceleratorTable) {
    std::map<int, std::set<QString>> bound;
    for (const AcceleratorEntry& entry : acceleratorTable(128)) {
        bound[entry.command].insert(windowsShortcutText(entry.keys));
    }
    int checked = 0;
    for (const int menu : kAllMenus) {
        for (const MenuEntry* entry : items(menu)) {
            const QString text = QString::fromUtf8(entry->text);
            const qsizetype tab = text.indexOf('\t');
            if (tab < 0) {
                continue;
            }
            ++checked;
            EXPECT_TRUE(bound[entry->id].count(text.mid(tab + 1)))
                << "menu " << menu << ": \"" << text.toStdString()
                << "\" names a key the accelerator table does not bind to " << entry->id;
        }
    }
    EXPECT_GT(checked, 10);
}

// ---------------------------------------------------------------------------------------
// Accelerators
// ---------------------------------------------------------------------------------------

TEST(Accelerators, MainTableHasExactlyTheTwentyBindings) {
    const std::set<std::pair<int, int>> expected = {
        {(Qt::CTRL | Qt::Key_C).toCombined(), 57634},
        {(Qt::CTRL | Qt::Key_Insert).toCombined(), 57634},
        {(Qt::CTRL | Qt::Key_X).toCombined(), 57635},
        {(Qt::SHIFT | Qt::Key_Delete).toCombined(), 57635},
        {(Qt::CTRL | Qt::Key_V).toCombined(), 57637},
        {(Qt::SHIFT | Qt::Key_Insert).toCombined(), 57637},
        {(Qt::CTRL | Qt::Key_Z).toCombined(), 57643},
        {(Qt::ALT | Qt::Key_Backspace).toCombined(), 57643},
        {(Qt::CTRL | Qt::Key_Y).toCombined(), 57644},
        {(Qt::CTRL | Qt::Key_N).toCombined(), 57600},
        {(Qt::CTRL | Qt::Key_O).toCombined(), 57601},
        {(Qt::CTRL | Qt::Key_S).toCombined(), 57603},
        {(Qt::CTRL | Qt::Key_P).toCombined(), 57607},
        {(Qt::CTRL | Qt::Key_D).toCombined(), 32776},
        {(Qt::KeypadModifier | Qt::Key_Plus).toCombined(), 32786},
        {(Qt::KeypadModifier | Qt::Key_Minus).toCombined(), 32787},
        {(Qt::KeypadModifier | Qt::Key_Slash).toCombined(), 32788},
        {QKeyCombination(Qt::Key_F6).toCombined(), 57680},
        {(Qt::SHIFT | Qt::Key_F6).toCombined(), 57681},
        {QKeyCombination(Qt::Key_F11).toCombined(), 32979},
    };
    const std::span<const AcceleratorEntry> table = acceleratorTable(128);
    std::set<std::pair<int, int>> actual;
    for (const AcceleratorEntry& entry : table) {
        actual.emplace(entry.keys.toCombined(), entry.command);
    }
    EXPECT_EQ(table.size(), 20u);
    EXPECT_EQ(actual, expected);
}

TEST(Accelerators, NoKeyIsBoundTwice) {
    std::set<int> keys;
    for (const AcceleratorEntry& entry : acceleratorTable(128)) {
        EXPECT_TRUE(keys.insert(entry.keys.toCombined()).second)
            << QKeySequence(entry.keys).toString().toStdString();
    }
}

TEST(Accelerators, EveryBoundCommandHasAMenuEntryWithItsShortcut) {
    const std::set<int> menu = itemIds(129);
    for (const AcceleratorEntry& entry : acceleratorTable(128)) {
        EXPECT_TRUE(menu.count(entry.command)) << entry.command;
    }
}

TEST(Accelerators, UnknownTableIsEmpty) {
    EXPECT_TRUE(acceleratorTable(129).empty());
    EXPECT_TRUE(acceleratorTable(0).empty());
}

// ---------------------------------------------------------------------------------------
// Toolbars
// ---------------------------------------------------------------------------------------

std::vector<int> controls(int toolbar) {
    std::vector<int> result;
    for (const int id : toolbarResource(toolbar)) {
        if (id != 0) {
            result.push_back(id);
        }
    }
    return result;
}

TEST(Toolbars, StandardToolbarHasItsThirteenControlsInOrder) {
    // The main frame hides and shows these by position; the order is part of the contract.
    const std::vector<int> expected = {57600, 57601, 57604, 57643, 57644, 32869, 32785,
                                       32786, 32787, 32993, 32922, 1236,  32975};
    EXPECT_EQ(controls(128), expected);
}

TEST(Toolbars, CameraToolbarFollowsTheCameraWindowLayout) {
    const std::vector<int> expected = {32979, 6003,  1231,  0,     1230, 1234,  0,
                                       1261,  32927, 32940, 32928, 0,    32983, 32984,
                                       32985, 32986, 0,     32938, 32930};
    const std::span<const int> actual = toolbarResource(171);
    EXPECT_EQ(std::vector<int>(actual.begin(), actual.end()), expected);
}

TEST(Toolbars, MeasureAndImageToolbarsCarryTheirCommands) {
    const std::vector<int> measure = controls(197);
    for (const int id : {32959, 233, 32969, 32961, 32962, 32966, 32964, 32967, 32970}) {
        EXPECT_NE(std::find(measure.begin(), measure.end(), id), measure.end()) << id;
    }
    const std::vector<int> image = controls(218);
    for (const int id : {32869, 32871, 32874, 32886, 32916}) {
        EXPECT_NE(std::find(image.begin(), image.end(), id), image.end()) << id;
    }
}

TEST(Toolbars, SeparatorsOnlyBetweenButtonsAndNoButtonTwice) {
    for (const int toolbar : {128, 171, 197, 218}) {
        SCOPED_TRACE("toolbar " + std::to_string(toolbar));
        const std::span<const int> buttons = toolbarResource(toolbar);
        ASSERT_FALSE(buttons.empty());
        EXPECT_NE(buttons.front(), 0);
        EXPECT_NE(buttons.back(), 0);
        std::set<int> seen;
        for (size_t i = 0; i < buttons.size(); ++i) {
            if (buttons[i] == 0) {
                EXPECT_NE(buttons[i - 1], 0) << "double separator at " << i;
            } else {
                EXPECT_TRUE(seen.insert(buttons[i]).second) << buttons[i] << " twice";
            }
        }
    }
    EXPECT_TRUE(toolbarResource(129).empty());
}

TEST(Toolbars, EveryButtonHasATooltipOrText) {
    for (const int toolbar : kWorkspaceToolbars) {
        for (const int id : controls(toolbar)) {
            EXPECT_TRUE(hasText(id, CommandScope::Workspace))
                << "toolbar " << toolbar << " button " << id;
        }
    }
    for (const int id : controls(171)) {
        EXPECT_TRUE(hasText(id, CommandScope::Camera)) << "camera button " << id;
    }
}

TEST(Toolbars, WorkspaceButtonsAreReachableFromTheImageMenu) {
    const std::set<int> menu = itemIds(129);
    for (const int toolbar : kWorkspaceToolbars) {
        for (const int id : controls(toolbar)) {
            EXPECT_TRUE(menu.count(id)) << "toolbar " << toolbar << " button " << id;
        }
    }
}

TEST(Toolbars, CameraSplitButtonsHaveTheirDropDowns) {
    for (const int id : {1230, 1231, 1234, 1261}) {
        const std::vector<int> buttons = controls(171);
        EXPECT_NE(std::find(buttons.begin(), buttons.end(), id), buttons.end());
        EXPECT_FALSE(menuResource(id).empty()) << "drop-down " << id;
    }
}

}  // namespace
}  // namespace korvel::res
