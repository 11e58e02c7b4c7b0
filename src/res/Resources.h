#pragma once

// The resource tables: strings, menus, toolbars and accelerators, addressed by the
// numeric ids of res/ids.h. The framework turns them into QActions, QMenus and
// QToolBars; nothing here creates a widget.

#include <QIcon>
#include <QKeyCombination>
#include <QString>
#include <QStringList>

#include <span>

namespace korvel::res {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

// The text of string `id`, or an empty string when the table has none.
QString loadString(int id);
std::span<const StringEntry> stringTable();

// The camera window reuses a few numbers of the image menus for commands of its own
// (32985, 32994 to 32998). Texts and icons of a command are therefore looked up for the
// window that shows it.
enum class CommandScope { Workspace, Camera };

// The prompt of command `id` ("status text\ntooltip") as the window of `scope` shows it.
QString loadString(int id, CommandScope scope);
// The entries that the camera window sees instead of the common table's.
std::span<const StringEntry> cameraStringTable();

// A menu resource is a flat list: Popup opens a submenu (its text is the title),
// End closes the innermost open submenu, Item is a command, Separator a line.
enum class MenuEntryKind { Popup, Item, Separator, End };

struct MenuEntry {
    MenuEntryKind kind;
    int id;            // command id for Item, 0 otherwise
    const char* text;  // "&Open...\tCtrl+O" style; nullptr for Separator and End
};

// The entries of menu `id`; empty when there is no such menu.
std::span<const MenuEntry> menuResource(int id);

// Toolbar buttons in order; 0 stands for a separator.
std::span<const int> toolbarResource(int id);

struct AcceleratorEntry {
    QKeyCombination keys;
    int command;
};

std::span<const AcceleratorEntry> acceleratorTable(int id);

// The description and the file argument's text that `korvel --help` shows.
QString commandLineDescription();
QString fileArgumentDescription();

// The icon of a command: the freedesktop theme icon when the theme has it, else our own
// SVG picture. A null icon when the command has no picture. Needs a QGuiApplication.
QIcon commandIcon(int id, CommandScope scope = CommandScope::Workspace);

// Where a command's picture comes from at the moment of the lookup.
enum class IconOrigin { None, Theme, Bundled };

struct ResolvedIcon {
    QIcon icon;
    IconOrigin origin = IconOrigin::None;
};

ResolvedIcon resolveCommandIcon(int id, CommandScope scope = CommandScope::Workspace);

// Resource paths of all our own command pictures (SVG).
QStringList bundledIconFiles();

// The application's own icon (scalable).
QIcon applicationIcon();

// The first installed theme among those the program depends on, looked up in
// `searchPaths`; empty when none is installed.
QString chooseFallbackIconTheme(const QStringList& searchPaths);

// Makes theme lookups work on a desktop without a configured icon theme (the fallback
// theme backs up the desktop's, and replaces it when there is none) and sets the
// application icon as every window's icon. Call once, after the QGuiApplication exists.
void installApplicationIcons();

}  // namespace korvel::res
