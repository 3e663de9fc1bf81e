#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvalin {

// Raised by ValueHistory for an index, capacity or count it cannot accept.
class EListError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TListNotification { lnAdded = 0, lnExtracted = 1, lnDeleted = 2 };

// A growable, ordered array of 64-bit values whose indexed operations reject any index
// outside the values in use. Rejected calls leave the list unchanged.
class ValueHistory {
public:
    static constexpr std::int32_t MaxListSize = 134217727;

    ValueHistory() = default;
    virtual ~ValueHistory();
    ValueHistory(const ValueHistory&) = delete;
    ValueHistory& operator=(const ValueHistory&) = delete;

    // Appends the value and returns its index; grows the storage first when it is full.
    std::int32_t Add(std::int64_t value);
    // The value at index; outside 0..Count-1 raises "Listenindex überschreitet das
    // Maximum (index)".
    std::int64_t Items(std::int32_t index) const;
    // Removes the value at index; later values move down one slot.
    void Delete(std::int32_t index);

    std::int32_t Count() const { return count_; }
    std::int32_t Capacity() const { return capacity_; }

    // New slots read zero; a smaller count deletes values one by one from the end.
    // Outside 0..MaxListSize raises "Zu viele Einträge in der Liste (n)".
    void SetCount(std::int32_t count);
    // Below Count or above MaxListSize raises "Kapazität der Liste ist erschöpft (n)";
    // 0 releases the storage.
    void SetCapacity(std::int32_t capacity);

    // Deletes every value from the end, then releases the storage.
    virtual void Clear();

    // Raises the message format with %d replaced by data as EListError.
    virtual void Error(const std::string& messageFormat, std::int32_t data) const;

protected:
    // Enlarges the capacity by 4 up to 8, by 16 up to 64, then by a quarter.
    virtual void Grow();
    // Called after every add and every delete; does nothing here.
    virtual void Notify(std::int64_t value, TListNotification action);

private:
    void CheckIndex(std::int32_t index) const;

    std::vector<std::int64_t> storage_;
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

}  // namespace korvalin
