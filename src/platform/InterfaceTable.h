#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace korvalin {

// Interface types as the interface table reports them (the IANA ifType numbers).
namespace InterfaceType {
constexpr std::uint32_t Other = 1;
constexpr std::uint32_t Ethernet = 6;
constexpr std::uint32_t TokenRing = 9;
constexpr std::uint32_t Fddi = 15;
constexpr std::uint32_t Ppp = 23;
constexpr std::uint32_t SoftwareLoopback = 24;
constexpr std::uint32_t Slip = 28;
constexpr std::uint32_t Ieee80211 = 71;
constexpr std::uint32_t Tunnel = 131;
}  // namespace InterfaceType

// Administrative status: 1 up, 2 down, 3 testing.
namespace AdminStatus {
constexpr std::uint32_t Up = 1;
constexpr std::uint32_t Down = 2;
constexpr std::uint32_t Testing = 3;
}  // namespace AdminStatus

// Operational status, numbered as the interface window shows it: 0 non-operational,
// 1 unreachable, 2 disconnected, 3 connecting, 4 connected, 5 operational.
namespace OperStatus {
constexpr std::uint32_t NonOperational = 0;
constexpr std::uint32_t Unreachable = 1;
constexpr std::uint32_t Disconnected = 2;
constexpr std::uint32_t Connecting = 3;
constexpr std::uint32_t Connected = 4;
constexpr std::uint32_t Operational = 5;
}  // namespace OperStatus

// One row of the interface table. Counters are the kernel's 64-bit counters; a
// default-constructed row is the all-zero row.
struct InterfaceRow {
    std::int32_t index = 0;
    std::uint32_t type = 0;
    std::string name;         // the kernel's interface name
    std::string description;  // the interface name as well; there is no other text
    std::uint32_t mtu = 0;
    std::uint64_t speed = 0;  // bits per second; 0 when the kernel does not know it
    std::vector<std::uint8_t> physicalAddress;
    std::uint32_t adminStatus = 0;
    std::uint32_t operStatus = 0;
    std::uint32_t lastChange = 0;  // hundredths of a second since boot at the last status
                                   // change seen by this table; 0 until one is seen
    std::uint64_t inOctets = 0;
    std::uint64_t inUnicastPackets = 0;
    std::uint64_t inNonUnicastPackets = 0;
    std::uint64_t inDiscards = 0;
    std::uint64_t inErrors = 0;
    std::uint64_t inUnknownProtocols = 0;
    std::uint64_t outOctets = 0;
    std::uint64_t outUnicastPackets = 0;
    std::uint64_t outNonUnicastPackets = 0;
    std::uint64_t outDiscards = 0;
    std::uint64_t outErrors = 0;
    std::uint64_t outQueueLength = 0;

    bool operator==(const InterfaceRow&) const = default;
};

// The operating system's interface table: every network interface with its counters.
// All calls come from the user-interface thread.
class InterfaceTable {
public:
    virtual ~InterfaceTable() = default;

    // Makes the table available; true when it is ("the library loads"). Repeated calls
    // after a success return true at once.
    virtual bool Open() = 0;

    // Every interface, sorted by ascending index. False on failure (rows then empty).
    virtual bool ReadTable(std::vector<InterfaceRow>& rows) = 0;

    // The row of one interface. False when there is no interface with that index or the
    // read failed; the row is then left all zero.
    virtual bool ReadRow(std::int32_t index, InterfaceRow& row) = 0;

    // The first IPv4 address and its mask of an interface, in dotted form. False (both
    // empty) when the interface has none or the read failed.
    virtual bool ReadIpv4Address(std::int32_t index, std::string& address, std::string& mask) = 0;

    // Brackets one reading: between BeginReading and the matching EndReading the table
    // may serve every ReadTable and ReadRow from one snapshot of the kernel's state, so a
    // reading of many interfaces costs a dump or two instead of a request per interface.
    // Brackets nest; only the outermost one counts.
    virtual void BeginReading() {}
    virtual void EndReading() {}
};

// Brackets a reading of an interface table for the lifetime of the scope.
class InterfaceReadingScope {
public:
    explicit InterfaceReadingScope(InterfaceTable& table) : table_(table) { table_.BeginReading(); }
    ~InterfaceReadingScope() { table_.EndReading(); }
    InterfaceReadingScope(const InterfaceReadingScope&) = delete;
    InterfaceReadingScope& operator=(const InterfaceReadingScope&) = delete;

private:
    InterfaceTable& table_;
};

}  // namespace korvalin
