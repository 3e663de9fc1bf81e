#include "snmp/ObjectIdentifier.h"

#include <charconv>

#include "snmp/Ber.h"

namespace korvalin::snmp {

namespace {

Result<std::uint32_t> ParseArc(std::string_view text, std::string_view whole) {
    std::uint32_t arc = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, arc);
    if (text.empty() || error != std::errc() || stop != end) {
        return MakeError(ErrorCode::InvalidObjectIdentifier, std::string(whole));
    }
    return arc;
}

Status CheckFirstArcs(const ObjectIdentifier& identifier, std::string_view whole) {
    if (identifier.size() < 2 || identifier[0] > 2 || (identifier[0] < 2 && identifier[1] >= 40)) {
        return MakeError(ErrorCode::InvalidObjectIdentifier, std::string(whole));
    }
    // The first two arcs share one sub-identifier (first * 40 + second), which must fit.
    if (identifier[0] == 2 && identifier[1] > UINT32_MAX - 80) {
        return MakeError(ErrorCode::InvalidObjectIdentifier, std::string(whole));
    }
    return Done{};
}

}  // namespace

Result<ObjectIdentifier> ParseObjectIdentifier(std::string_view dotted) {
    ObjectIdentifier identifier;
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = dotted.find('.', start);
        const std::string_view piece = dotted.substr(start, dot - start);
        auto arc = ParseArc(piece, dotted);
        if (!arc) {
            return arc.GetError();
        }
        identifier.push_back(arc.Value());
        if (identifier.size() > MaxObjectIdentifierLength) {
            return MakeError(ErrorCode::ObjectIdentifierTooLong, std::string(dotted));
        }
        if (dot == std::string_view::npos) {
            break;
        }
        start = dot + 1;
    }
    if (auto checked = CheckFirstArcs(identifier, dotted); !checked) {
        return checked.GetError();
    }
    return identifier;
}

std::string FormatObjectIdentifier(const ObjectIdentifier& identifier) {
    std::string text;
    for (std::size_t i = 0; i < identifier.size(); ++i) {
        if (i > 0) {
            text += '.';
        }
        text += std::to_string(identifier[i]);
    }
    return text;
}

}  // namespace korvalin::snmp
