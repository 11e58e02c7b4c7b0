#include "framework/CommandTarget.h"

namespace korvel::framework {

void CommandTarget::onCommand(int id, Action action, StateUpdate update) {
    onCommandRange(id, id, std::move(action), std::move(update));
}

void CommandTarget::onCommandRange(int first, int last, Action action, StateUpdate update) {
    entries_.push_back({first, last, std::move(action), std::move(update)});
}

void CommandTarget::onUpdateCommand(int id, StateUpdate update) {
    entries_.push_back({id, id, {}, std::move(update)});
}

const CommandTarget::Entry* CommandTarget::findAction(int id) const {
    for (const Entry& entry : entries_) {
        if (id >= entry.first && id <= entry.last && entry.action) {
            return &entry;
        }
    }
    return nullptr;
}

const CommandTarget::Entry* CommandTarget::findUpdate(int id) const {
    for (const Entry& entry : entries_) {
        if (id >= entry.first && id <= entry.last && entry.update) {
            return &entry;
        }
    }
    return nullptr;
}

bool CommandTarget::handlesCommand(int id) const {
    return findAction(id) != nullptr;
}

bool CommandTarget::runCommand(int id) {
    const Entry* entry = findAction(id);
    if (!entry) {
        return false;
    }
    // Copy: the action may register or drop handlers of this target.
    const Action action = entry->action;
    action(id);
    return true;
}

bool CommandTarget::updateCommandState(CommandState& state) const {
    const Entry* entry = findUpdate(state.id);
    if (!entry) {
        return false;
    }
    entry->update(state);
    return true;
}

bool CommandRouter::dispatch(int id) const {
    if (!query(id).enabled) {
        return false;
    }
    for (CommandTarget* target : chain_()) {
        if (target && target->runCommand(id)) {
            return true;
        }
    }
    return false;
}

CommandState CommandRouter::query(int id) const {
    CommandState state;
    state.id = id;
    const std::vector<CommandTarget*> chain = chain_();
    for (const CommandTarget* target : chain) {
        if (target && target->updateCommandState(state)) {
            return state;
        }
    }
    state.enabled = false;
    for (const CommandTarget* target : chain) {
        if (target && target->handlesCommand(id)) {
            state.enabled = true;
            break;
        }
    }
    return state;
}

}  // namespace korvel::framework
