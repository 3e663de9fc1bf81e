#include "sources/InterfaceTableSource.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace korvalin {

namespace {

const char* const LegacyLoopbackDescription = "MS TCP Loopback interface";

// Blanks and control characters are everything up to the space character.
void AssignTrimmed(std::string_view text, std::string& out) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    if (first < last) {
        out.assign(first, last);
    } else {
        out.clear();
    }
}

}  // namespace

bool InterfaceTableSource::ReadAdapters(InterfaceList& list) {
    // Entries are overwritten in place and the rest cut off: the same list as clearing
    // and appending, without allocating every text again each second.
    std::size_t entries = 0;
    const bool read = table_.ReadTable(rows_);
    for (const InterfaceRow& row : rows_) {
        const std::string& text = row.description;
        const std::string_view cut(text.data(), std::min(text.size(), std::strlen(text.c_str())));
        if (!read || row.type == InterfaceType::SoftwareLoopback ||
            cut == LegacyLoopbackDescription || cut.empty()) {
            continue;
        }
        if (entries == list.size()) {
            list.emplace_back();
        }
        AssignTrimmed(cut, list[entries].text);
        list[entries].index = row.index;
        ++entries;
    }
    list.resize(entries);
    return read;
}

void InterfaceTableSource::ReadList(ListDone done) {
    InterfaceList list;
    const bool read = ReadAdapters(list);
    done(read, std::move(list), read ? "" : "the interface table could not be read");
}

void InterfaceTableSource::ReadCounters(std::vector<std::int32_t> indexes, CountersDone done) {
    InterfaceReadingScope reading(table_);
    CounterReadResult result;
    result.read.reserve(indexes.size());
    for (const std::int32_t index : indexes) {
        if (!table_.ReadRow(index, row_)) {
            result.missing.push_back(index);
            continue;
        }
        if (row_.type == InterfaceType::SoftwareLoopback) {
            continue;
        }
        result.read.push_back({index, row_.inOctets, row_.outOctets});
    }
    done(std::move(result));
}

}  // namespace korvalin
