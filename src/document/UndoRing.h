#pragma once

// The eight undo steps of a document. Each slot holds a full copy of the picture; undo and
// redo swap the document's picture with a slot, so one copy serves both directions.

#include <array>
#include <memory>
#include <utility>

namespace korvel::document {

template <typename Picture>
class UndoRing {
public:
    static constexpr int kSlots = 8;

    int level() const { return level_; }
    bool canUndo() const { return level_ > 0; }
    bool canRedo() const { return level_ < kSlots && slots_[level_] != nullptr; }

    // Keeps a copy of `current` as the newest step; the redo chain is lost. A ninth step
    // drops the oldest.
    void store(const Picture* current) {
        if (level_ > kSlots - 1) {
            for (int i = 0; i < kSlots - 1; ++i) {
                slots_[i] = std::move(slots_[i + 1]);
            }
            slots_[kSlots - 1].reset();
            level_ = kSlots - 1;
        }
        for (int i = level_; i < kSlots; ++i) {
            slots_[i].reset();
        }
        if (current) {
            slots_[level_++] = std::make_unique<Picture>(*current);
        }
    }

    // Swaps `current` with the newest step; false when there is none.
    bool undo(std::unique_ptr<Picture>& current) {
        if (!canUndo()) {
            return false;
        }
        --level_;
        std::swap(current, slots_[level_]);
        return true;
    }

    // Swaps `current` with the step undone last; false when there is none.
    bool redo(std::unique_ptr<Picture>& current) {
        if (!canRedo()) {
            return false;
        }
        std::swap(current, slots_[level_]);
        ++level_;
        return true;
    }

    // The newest step, or null when there is none.
    const Picture* newest() const { return level_ > 0 ? slots_[level_ - 1].get() : nullptr; }

    // Forgets the newest step (an operation that was cancelled and put back).
    void discardNewest() {
        if (level_ > 0) {
            slots_[--level_].reset();
        }
    }

    void clear() {
        for (auto& slot : slots_) {
            slot.reset();
        }
        level_ = 0;
    }

private:
    std::array<std::unique_ptr<Picture>, kSlots> slots_;
    int level_ = 0;
};

}  // namespace korvel::document
