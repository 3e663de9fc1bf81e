#pragma once

#include <cstdint>
#include <span>

#include "snmp/Ber.h"
#include "snmp/Message.h"
#include "snmp/Result.h"

namespace korvalin::snmp {

// The datagram of a message. Fails when an object identifier or a value text cannot be
// encoded as its type.
Result<Bytes> EncodeMessage(const Message& message);

// Reads one SNMP version 1 message (GetRequest, GetNextRequest, GetResponse or
// SetRequest) that must fill the datagram exactly. Never reads outside the datagram;
// says why it refuses one.
Result<Message> DecodeMessage(std::span<const std::uint8_t> datagram);

}  // namespace korvalin::snmp
