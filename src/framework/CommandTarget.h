#pragma once

// Commands travel by numeric id. Every object that can take commands registers, per id or
// id range, an action handler and optionally a state handler that enables, checks or
// renames the command's menu entry and toolbar button.

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace korvel::framework {

// The state of one command's user-interface elements, as a state handler leaves it.
struct CommandState {
    int id = 0;
    bool enabled = true;
    std::optional<bool> checked;  // unset: not checkable now
    std::optional<QString> text;  // unset: the resource text

    void enable(bool on) { enabled = on; }
    void setCheck(bool on) { checked = on; }
    void setText(const QString& newText) { text = newText; }
};

class CommandTarget {
public:
    using Action = std::function<void(int id)>;
    using StateUpdate = std::function<void(CommandState& state)>;

    CommandTarget() = default;
    virtual ~CommandTarget() = default;
    CommandTarget(const CommandTarget&) = delete;
    CommandTarget& operator=(const CommandTarget&) = delete;

    // True when this target has an action handler for `id`.
    bool handlesCommand(int id) const;
    // Runs the action handler for `id`; false when there is none.
    bool runCommand(int id);
    // Runs the state handler for `id`; false when there is none.
    bool updateCommandState(CommandState& state) const;

protected:
    void onCommand(int id, Action action, StateUpdate update = {});
    void onCommandRange(int first, int last, Action action, StateUpdate update = {});
    // A state handler without an action (the action lives further along the route).
    void onUpdateCommand(int id, StateUpdate update);

private:
    struct Entry {
        int first;
        int last;
        Action action;
        StateUpdate update;
    };
    const Entry* findAction(int id) const;
    const Entry* findUpdate(int id) const;

    std::vector<Entry> entries_;
};

// Offers commands to a chain of targets in order; the first target with a handler wins.
class CommandRouter {
public:
    using Chain = std::function<std::vector<CommandTarget*>()>;

    explicit CommandRouter(Chain chain) : chain_(std::move(chain)) {}

    // Runs the command when it is enabled and someone handles it; true when it ran.
    bool dispatch(int id) const;

    // The state of a command: the first state handler along the chain decides; without
    // one the command is enabled exactly when some target has an action for it.
    CommandState query(int id) const;

private:
    Chain chain_;
};

}  // namespace korvel::framework
