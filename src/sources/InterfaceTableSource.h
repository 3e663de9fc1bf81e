#pragma once

#include <vector>

#include "platform/InterfaceTable.h"
#include "sources/CounterSource.h"

namespace korvalin {

// The local interface table as a counter source. The list holds every real adapter
// (loopback interfaces and nameless ones are left out) with its trimmed description; a
// row that cannot be read counts as gone, since the kernel knows every interface it has.
// Answers at once.
class InterfaceTableSource final : public CounterSource {
public:
    explicit InterfaceTableSource(InterfaceTable& table) : table_(table) {}

    void ReadList(ListDone done) override;
    void ReadCounters(std::vector<std::int32_t> indexes, CountersDone done) override;

    // Fills list from the table; false when the table could not be read.
    bool ReadAdapters(InterfaceList& list);

private:
    InterfaceTable& table_;
    // Kept between readings so a reading every second reuses their storage.
    std::vector<InterfaceRow> rows_;
    InterfaceRow row_;
};

}  // namespace korvalin
