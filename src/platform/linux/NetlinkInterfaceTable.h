#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/InterfaceTable.h"
#include "platform/linux/NetlinkRows.h"
#include "platform/linux/NetlinkSocket.h"

namespace korvalin {

// The interface table on rtnetlink, through one socket opened in the network namespace
// of the thread that calls Open. A table read is a lean link dump (no counters) merged
// with one RTM_GETSTATS dump; a single row is one RTM_GETLINK request. Within a reading
// (BeginReading .. EndReading) the rows of a table read, or of the second row read, are
// served from one snapshot of both dumps.
class NetlinkInterfaceTable final : public InterfaceTable {
public:
    // sysfsRoot: where the link speeds are read ("<root>/<name>/speed", in Mbit/s).
    explicit NetlinkInterfaceTable(std::string sysfsRoot = "/sys/class/net");

    bool Open() override;
    bool ReadTable(std::vector<InterfaceRow>& rows) override;
    bool ReadRow(std::int32_t index, InterfaceRow& row) override;
    bool ReadIpv4Address(std::int32_t index, std::string& address, std::string& mask) override;
    void BeginReading() override;
    void EndReading() override;

private:
    struct KnownLink {
        std::string name;
        std::uint32_t operStatus = 0;
        std::uint32_t lastChange = 0;
        std::uint64_t speed = 0;
    };

    bool TakeSnapshot();
    bool DumpLinks(std::vector<InterfaceRow>& rows);
    bool DumpCounters(std::unordered_map<std::int32_t, LinkCounters>& counters);
    bool RequestRow(std::int32_t index, InterfaceRow& row);
    // Fills what the kernel's messages do not carry: speed and time of the last change.
    // Drops what is remembered of links that no longer exist, so re-created links do not
    // pile up.
    void ForgetVanishedLinks();
    void CompleteRow(InterfaceRow& row, bool freshSpeed);
    std::uint64_t ReadSpeed(const std::string& name) const;

    std::string sysfsRoot_;
    NetlinkSocket socket_;
    std::unordered_map<std::int32_t, KnownLink> known_;

    int readingDepth_ = 0;
    bool haveSnapshot_ = false;
    int rowsReadInReading_ = 0;
    std::vector<InterfaceRow> snapshotRows_;
    std::unordered_map<std::int32_t, LinkCounters> snapshotCounters_;
};

}  // namespace korvalin
