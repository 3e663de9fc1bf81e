#include "core/ValueHistory.h"

#include <algorithm>

namespace korvalin {

namespace {

constexpr const char* kIndexError = "Listenindex überschreitet das Maximum (%d)";
constexpr const char* kCapacityError = "Kapazität der Liste ist erschöpft (%d)";
constexpr const char* kCountError = "Zu viele Einträge in der Liste (%d)";

}  // namespace

ValueHistory::~ValueHistory() {
    ValueHistory::Clear();
}

void ValueHistory::Error(const std::string& messageFormat, std::int32_t data) const {
    std::string message = messageFormat;
    if (const std::size_t at = message.find("%d"); at != std::string::npos) {
        message.replace(at, 2, std::to_string(data));
    }
    throw EListError(message);
}

void ValueHistory::CheckIndex(std::int32_t index) const {
    if (index < 0 || index >= count_) {
        Error(kIndexError, index);
    }
}

std::int32_t ValueHistory::Add(std::int64_t value) {
    const std::int32_t index = count_;
    if (index == capacity_) {
        Grow();
    }
    storage_[static_cast<std::size_t>(index)] = value;
    ++count_;
    Notify(value, lnAdded);
    return index;
}

std::int64_t ValueHistory::Items(std::int32_t index) const {
    CheckIndex(index);
    return storage_[static_cast<std::size_t>(index)];
}

void ValueHistory::Delete(std::int32_t index) {
    CheckIndex(index);
    const std::int64_t value = storage_[static_cast<std::size_t>(index)];
    --count_;
    if (index < count_) {
        const auto first = storage_.begin() + index;
        std::move(first + 1, storage_.begin() + count_ + 1, first);
    }
    Notify(value, lnDeleted);
}

void ValueHistory::SetCapacity(std::int32_t capacity) {
    if (capacity < count_ || capacity > MaxListSize) {
        Error(kCapacityError, capacity);
        return;
    }
    if (capacity == capacity_) {
        return;
    }
    // A fresh block, so that shrinking really gives the memory back.
    std::vector<std::int64_t> resized(static_cast<std::size_t>(capacity));
    std::copy(storage_.begin(), storage_.begin() + count_, resized.begin());
    storage_.swap(resized);
    capacity_ = capacity;
}

void ValueHistory::SetCount(std::int32_t count) {
    if (count < 0 || count > MaxListSize) {
        Error(kCountError, count);
        return;
    }
    if (count > capacity_) {
        SetCapacity(count);
    }
    if (count > count_) {
        std::fill(storage_.begin() + count_, storage_.begin() + count, 0);
    } else {
        for (std::int32_t index = count_ - 1; index >= count; --index) {
            Delete(index);
        }
    }
    count_ = count;
}

void ValueHistory::Clear() {
    SetCount(0);
    SetCapacity(0);
}

void ValueHistory::Grow() {
    std::int32_t delta = 4;
    if (capacity_ > 64) {
        delta = capacity_ / 4;
    } else if (capacity_ > 8) {
        delta = 16;
    }
    SetCapacity(capacity_ + delta);
}

void ValueHistory::Notify(std::int64_t, TListNotification) {}

}  // namespace korvalin
