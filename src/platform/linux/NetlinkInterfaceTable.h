#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/InterfaceTable.h"
#include "platform/linux/NetlinkRows.h"
#include "platform/linux/NetlinkSocket.h"

namespace korvalin {

// The interface table on rtnetlink, through one socket opened in the network namespace
// of the thread that calls Open.
//
// A row outside a reading is one RTM_GETLINK request. Within a reading (BeginReading ..
// EndReading) the link attributes come from a cache of the last lean link dump (no
// counters), which the kernel's link announcements on the same socket invalidate, and
// the counters from one RTM_GETSTATS request: for the interface itself when only one row
// is read, else one dump for all. So a reading every second costs a link dump only when
// links changed.
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

    // How many lean link dumps were taken so far (to see the cache work).
    int LinkDumps() const { return linkDumps_; }

private:
    struct KnownLink {
        std::string name;
        std::uint32_t operStatus = 0;
        std::uint32_t lastChange = 0;
        std::uint64_t speed = 0;
    };

    void ForgetReading();
    bool EnsureLinks();
    bool EnsureAllCounters();
    const InterfaceRow* CachedLink(std::int32_t index) const;
    bool DumpLinks(std::vector<InterfaceRow>& rows);
    bool DumpCounters();
    bool RequestCounters(std::int32_t index, LinkCounters& counters);
    bool RequestRow(std::int32_t index, InterfaceRow& row);
    // Fills what the kernel's messages do not carry: speed and time of the last change.
    void CompleteRow(InterfaceRow& row, bool freshSpeed);
    // Drops what is remembered of links that no longer exist, so re-created links do not
    // pile up.
    void ForgetVanishedLinks();
    std::uint64_t ReadSpeed(const std::string& name) const;

    std::string sysfsRoot_;
    NetlinkSocket socket_;
    bool watching_ = false;  // link announcements arrive on the socket
    std::unordered_map<std::int32_t, KnownLink> known_;
    int linkDumps_ = 0;

    std::vector<InterfaceRow> links_;  // sorted by index; counters of the last reading
    std::vector<bool> linkHasCounters_;
    bool linksValid_ = false;
    std::vector<InterfaceRow> dumpScratch_;
    std::vector<std::pair<std::int32_t, LinkCounters>> counters_;  // sorted by index

    int readingDepth_ = 0;
    bool linksCheckedInReading_ = false;
    bool linksFreshInReading_ = false;
    bool allCountersInReading_ = false;
    int rowsReadInReading_ = 0;
};

}  // namespace korvalin
