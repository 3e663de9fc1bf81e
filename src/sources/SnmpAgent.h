#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "snmp/SnmpClient.h"
#include "sources/CounterSource.h"

namespace korvalin {

// The agent's interfaces (ifDescr with ifIndex) in answer order; unsorted, duplicates
// kept.
using InterfaceList = InterfaceList;

// Access to one SNMP agent (normally the user's router): its address and community,
// single MIB-II objects read with SNMP version 1 get requests, the interface list, and a
// test whether the agent answers. Every operation blocks until the answer arrives or
// the client's timeout (5000 ms) has passed; failures give empty texts, never throw.
class SnmpAgent {
public:
    using ChangeHandler = std::function<void(SnmpAgent& sender)>;

    // clientSettings lets tests shorten the wait; the host in it is ignored.
    explicit SnmpAgent(snmp::ClientSettings clientSettings = {});
    virtual ~SnmpAgent();
    SnmpAgent(const SnmpAgent&) = delete;
    SnmpAgent& operator=(const SnmpAgent&) = delete;

    // Address or name of the agent ("HOST:PORT" or "[IPV6]:PORT" pick another port).
    const std::string& Host() const { return host_; }
    void SetHost(const std::string& host);
    const std::string& Community() const { return community_; }
    void SetCommunity(const std::string& community);

    // Called after Host or Community changed (case-sensitive comparison).
    void SetOnChange(ChangeHandler handler) { onChange_ = std::move(handler); }

    // Reads one object. True when an answer arrived (its error status is not examined);
    // value then holds the text of the answer's varbind for exactly oid, or is empty.
    // On failure value is left as the caller prepared it.
    bool Get(const std::string& oid, std::string& value);

    // Whether the agent at host answers a get of sysDescr.0 with the given community;
    // Host and Community stay unchanged.
    bool TestConnection(const std::string& host, const std::string& community);

    // Walks the ifIndex column and fills list with the non-empty ifDescr of every
    // interface; true when the walk was answered to its end. An interrupted walk
    // leaves list empty.
    bool GetInterfaceList(InterfaceList& list);

    // A typed read of a counter, strict where the text getters are lenient: what it reads
    // is added to the user's sums, so one poisoned answer must not count.
    struct CounterRead {
        enum class Status {
            Read,     // value holds the counter
            Missing,  // the agent has no such object (noSuchName): the interface is gone
            Failed,   // no usable answer; reason says which check failed
        };
        Status status = Status::Failed;
        std::uint32_t value = 0;
        std::string reason;
    };

    // Reads oid with a get request. The answer counts only with error status 0, the
    // request's community, exactly one varbind naming exactly oid, and a Counter32 value;
    // error status noSuchName for the object means Missing; anything else is Failed.
    // LastRequestAnswered tells an agent that answered badly from one that kept silent.
    CounterRead GetCounter32(const std::string& oid);

    // ifNumber, 0 when the get fails or the text is no number.
    std::int32_t GetInterfaceCount();

    // ifInOctets and ifOutOctets of the interface; true when both texts are non-empty.
    // received and sent are set in any case, 0 for a text that is no counter value.
    bool GetOctets(std::int32_t index, std::uint32_t& received, std::uint32_t& sent);

    // Interface-table getters: the value text for the interface index, empty when the
    // get fails. GetIfDescr ends its text at the first zero byte; GetIfSpeed gives a
    // number (0 on failure).
    std::string GetIfDescr(std::int32_t index);
    std::string GetIfType(std::int32_t index);
    std::string GetIfMtu(std::int32_t index);
    std::int64_t GetIfSpeed(std::int32_t index);
    std::string GetIfPhysAddress(std::int32_t index);
    std::string GetIfAdminStatus(std::int32_t index);
    std::string GetIfOperStatus(std::int32_t index);
    std::string GetIfLastChange(std::int32_t index);
    std::string GetIfInOctets(std::int32_t index);
    std::string GetIfInUcastPkts(std::int32_t index);
    std::string GetIfInNUcastPkts(std::int32_t index);
    std::string GetIfInDiscards(std::int32_t index);
    std::string GetIfInErrors(std::int32_t index);
    std::string GetIfInUnknownProtos(std::int32_t index);
    std::string GetIfOutOctets(std::int32_t index);
    std::string GetIfOutUcastPkts(std::int32_t index);
    std::string GetIfOutNUcastPkts(std::int32_t index);
    std::string GetIfOutDiscards(std::int32_t index);
    std::string GetIfOutErrors(std::int32_t index);
    std::string GetIfOutQLen(std::int32_t index);

    // Group getters: object n (1 .. 255) of the group, as "<prefix>.n.0".
    std::string GetSystemValue(std::uint8_t n);
    std::string GetIpValue(std::uint8_t n);
    std::string GetIcmpValue(std::uint8_t n);
    std::string GetTcpValue(std::uint8_t n);
    std::string GetUdpValue(std::uint8_t n);
    std::string GetSnmpValue(std::uint8_t n);

    // Whether the last request made through this object got an answer, and why not.
    // Lets a caller tell a silent agent from one that answers zero.
    bool LastRequestAnswered() const { return lastRequestAnswered_; }
    const std::string& LastFailure() const { return lastFailure_; }

    // Ends the exchange that waits now, and makes every later one fail at once: for
    // ending the program while the agent keeps silent. Callable from any thread.
    void Interrupt();

private:
    bool Exchange(snmp::SnmpClient& client, const std::string& host, const std::string& community,
                  snmp::PduType pduType, const std::string& oid);
    CounterRead CheckCounterAnswer(const std::string& oid) const;
    std::string ColumnValue(const char* prefix, std::int32_t index);
    std::string GroupValue(const char* prefix, std::uint8_t n);
    bool WalkInterfaceIndexes(std::string& joinedValues);

    ChangeHandler onChange_;
    snmp::ClientSettings clientSettings_;
    snmp::SnmpClient client_;
    std::string host_ = "127.0.0.1";
    std::string community_ = "vindra";
    bool lastRequestAnswered_ = true;
    std::string lastFailure_;
};

}  // namespace korvalin
