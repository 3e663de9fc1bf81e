#include "snmp/Result.h"

namespace korvalin::snmp {

const char* Describe(ErrorCode code) {
    switch (code) {
    case ErrorCode::Truncated:
        return "truncated";
    case ErrorCode::LengthBeyondData:
        return "length beyond the data";
    case ErrorCode::IndefiniteLength:
        return "indefinite length";
    case ErrorCode::LengthTooLong:
        return "length field too long";
    case ErrorCode::UnexpectedTag:
        return "unexpected tag";
    case ErrorCode::IntegerTooLarge:
        return "integer too large";
    case ErrorCode::EmptyInteger:
        return "empty integer";
    case ErrorCode::ObjectIdentifierOverflow:
        return "object identifier sub-identifier overflow";
    case ErrorCode::ObjectIdentifierMalformed:
        return "malformed object identifier";
    case ErrorCode::ObjectIdentifierTooLong:
        return "object identifier too long";
    case ErrorCode::MalformedValue:
        return "malformed value";
    case ErrorCode::NestingTooDeep:
        return "nesting too deep";
    case ErrorCode::TrailingData:
        return "trailing data";
    case ErrorCode::UnsupportedVersion:
        return "unsupported SNMP version";
    case ErrorCode::UnsupportedPdu:
        return "unsupported PDU type";
    case ErrorCode::InvalidObjectIdentifier:
        return "invalid object identifier";
    case ErrorCode::InvalidValueText:
        return "invalid value text";
    case ErrorCode::InvalidHost:
        return "invalid host";
    case ErrorCode::HostNotFound:
        return "host not found";
    case ErrorCode::SocketError:
        return "socket error";
    case ErrorCode::Timeout:
        return "no answer in time";
    case ErrorCode::Interrupted:
        return "interrupted";
    }
    return "unknown error";
}

}  // namespace korvalin::snmp
