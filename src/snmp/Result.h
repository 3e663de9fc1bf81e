#pragma once

#include <string>
#include <utility>
#include <variant>

namespace korvalin::snmp {

// Why a decode or an exchange failed. The client reports these instead of throwing, so
// callers on the engine's edge decide what a failure means for them.
enum class ErrorCode {
    Truncated,                  // the data ends inside a tag, a length or a value
    LengthBeyondData,           // a length claims more bytes than its container holds
    IndefiniteLength,           // the indefinite form (0x80) is not allowed here
    LengthTooLong,              // a length field of more octets than any datagram needs
    UnexpectedTag,              // a different type than the message structure requires
    IntegerTooLarge,            // an integer outside the range of its type
    EmptyInteger,               // an integer without content octets
    ObjectIdentifierOverflow,   // a sub-identifier above 4294967295
    ObjectIdentifierMalformed,  // empty, unterminated or padded sub-identifiers
    ObjectIdentifierTooLong,    // more sub-identifiers than SNMP allows
    MalformedValue,             // a value whose content does not fit its type
    NestingTooDeep,             // constructed values nested deeper than the limit
    TrailingData,               // bytes after the end of a complete structure
    UnsupportedVersion,         // not an SNMP version 1 message
    UnsupportedPdu,             // a PDU type this client does not handle
    InvalidObjectIdentifier,    // a dotted text that is no object identifier
    InvalidValueText,           // a value text that cannot be encoded as its type
    InvalidHost,                // an empty host or a malformed HOST:PORT text
    HostNotFound,               // name resolution gave no address
    SocketError,                // creating, sending on or reading the socket failed
    Timeout,                    // no acceptable answer arrived in time
    Interrupted,                // the client was interrupted before or during the exchange
};

struct Error {
    ErrorCode code;
    std::string detail;
};

// Short English name of the code, for messages and test output.
const char* Describe(ErrorCode code);

// Either a value or the Error that prevented it.
template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Error error) : state_(std::move(error)) {}

    bool Ok() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return Ok(); }

    const T& Value() const& { return std::get<T>(state_); }
    T& Value() & { return std::get<T>(state_); }
    T&& Value() && { return std::get<T>(std::move(state_)); }
    const Error& GetError() const { return std::get<Error>(state_); }

private:
    std::variant<T, Error> state_;
};

struct Done {};
using Status = Result<Done>;

inline Error MakeError(ErrorCode code, std::string detail = {}) {
    return Error{code, std::move(detail)};
}

}  // namespace korvalin::snmp
