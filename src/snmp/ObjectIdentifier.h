#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "snmp/Result.h"

namespace korvalin::snmp {

using ObjectIdentifier = std::vector<std::uint32_t>;

// Reads a dotted decimal text ("1.3.6.1.2.1.1.1.0"): at least two arcs, the first 0..2,
// the second below 40 under the arcs 0 and 1, each arc within 32 bits.
Result<ObjectIdentifier> ParseObjectIdentifier(std::string_view dotted);

// The dotted decimal text of the identifier, without a leading dot.
std::string FormatObjectIdentifier(const ObjectIdentifier& identifier);

}  // namespace korvalin::snmp
