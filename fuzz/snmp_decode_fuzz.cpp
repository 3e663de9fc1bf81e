// libFuzzer target for the SNMP message decoder: any datagram either decodes or is
// refused with a reason; one that decodes must encode and decode back to itself.
#include <cstddef>
#include <cstdint>
#include <span>

#include "snmp/MessageCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace korvalin::snmp;
    const auto decoded = DecodeMessage(std::span<const std::uint8_t>(data, size));
    if (!decoded) {
        if (Describe(decoded.GetError().code) == nullptr) {
            __builtin_trap();
        }
        return 0;
    }
    const auto encoded = EncodeMessage(decoded.Value());
    if (!encoded) {
        __builtin_trap();  // a decoded message must be encodable
    }
    const auto again = DecodeMessage(encoded.Value());
    if (!again || !(again.Value() == decoded.Value())) {
        __builtin_trap();  // the encoder and the decoder disagree
    }
    return 0;
}
