#pragma once

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/InterfaceTable.h"

namespace korvalin::testing {

// An interface table the test writes: rows with counters, rows whose reads fail, and a
// record of how the table was used.
class FakeInterfaceTable final : public InterfaceTable {
public:
    bool opens = true;
    bool tableFails = false;
    std::set<std::int32_t> failingRows;
    std::map<std::int32_t, std::pair<std::string, std::string>> ipv4;  // address, mask

    int openCalls = 0;
    int tableReads = 0;
    int rowReads = 0;
    int rowReadsOutsideReading = 0;
    int readings = 0;  // outermost brackets
    int depth = 0;

    InterfaceRow& Add(std::int32_t index, std::string description,
                      std::uint32_t type = InterfaceType::Ethernet, std::uint64_t in = 0,
                      std::uint64_t out = 0) {
        InterfaceRow row;
        row.index = index;
        row.type = type;
        row.name = description;
        row.description = std::move(description);
        row.inOctets = in;
        row.outOctets = out;
        rows_.push_back(row);
        return rows_.back();
    }

    InterfaceRow& Row(std::int32_t index) {
        return *std::find_if(rows_.begin(), rows_.end(),
                             [&](const InterfaceRow& row) { return row.index == index; });
    }

    void AddTraffic(std::int32_t index, std::uint64_t in, std::uint64_t out) {
        Row(index).inOctets += in;
        Row(index).outOctets += out;
    }

    void Remove(std::int32_t index) {
        std::erase_if(rows_, [&](const InterfaceRow& row) { return row.index == index; });
    }

    bool Open() override {
        ++openCalls;
        return opens;
    }

    bool ReadTable(std::vector<InterfaceRow>& rows) override {
        ++tableReads;
        rows.clear();
        if (tableFails) {
            return false;
        }
        rows = rows_;
        std::stable_sort(rows.begin(), rows.end(),
                         [](const auto& a, const auto& b) { return a.index < b.index; });
        return true;
    }

    bool ReadRow(std::int32_t index, InterfaceRow& row) override {
        ++rowReads;
        if (depth == 0) {
            ++rowReadsOutsideReading;
        }
        row = InterfaceRow{};
        const auto found = std::find_if(rows_.begin(), rows_.end(),
                                        [&](const InterfaceRow& r) { return r.index == index; });
        if (found == rows_.end() || failingRows.count(index) != 0) {
            return false;
        }
        row = *found;
        return true;
    }

    bool ReadIpv4Address(std::int32_t index, std::string& address, std::string& mask) override {
        address.clear();
        mask.clear();
        const auto found = ipv4.find(index);
        if (found == ipv4.end()) {
            return false;
        }
        address = found->second.first;
        mask = found->second.second;
        return true;
    }

    void BeginReading() override {
        if (depth++ == 0) {
            ++readings;
        }
    }
    void EndReading() override { --depth; }

private:
    std::vector<InterfaceRow> rows_;
};

}  // namespace korvalin::testing
