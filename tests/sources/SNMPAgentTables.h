#pragma once

#include <cstdint>
#include <string>

#include "fakes/FakeSnmpAgent.h"

namespace korvalin::testing {

// Fills the fake agent's interface table the way an agent lists one interface: its
// ifIndex, ifDescr and the two octet counters.
inline void AddSNMPInterface(FakeSnmpAgent& agent, std::int32_t index, const std::string& descr,
                             std::uint32_t inOctets = 0, std::uint32_t outOctets = 0) {
    const std::string suffix = "." + std::to_string(index);
    agent.SetObject("1.3.6.1.2.1.2.2.1.1" + suffix, snmp::Value::Integer(index));
    agent.SetObject("1.3.6.1.2.1.2.2.1.2" + suffix, snmp::Value::OctetString(descr));
    agent.SetObject("1.3.6.1.2.1.2.2.1.10" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, inOctets));
    agent.SetObject("1.3.6.1.2.1.2.2.1.16" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, outOctets));
}

inline void SetSNMPCounters(FakeSnmpAgent& agent, std::int32_t index, std::uint32_t inOctets,
                            std::uint32_t outOctets) {
    const std::string suffix = "." + std::to_string(index);
    agent.SetObject("1.3.6.1.2.1.2.2.1.10" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, inOctets));
    agent.SetObject("1.3.6.1.2.1.2.2.1.16" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, outOctets));
}

inline void RemoveSNMPInterface(FakeSnmpAgent& agent, std::int32_t index) {
    const std::string suffix = "." + std::to_string(index);
    for (const char* column : {"1", "2", "10", "16"}) {
        agent.RemoveObject("1.3.6.1.2.1.2.2.1." + std::string(column) + suffix);
    }
}

}  // namespace korvalin::testing
