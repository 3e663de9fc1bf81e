#include "snmp/MessageCodec.h"

#include <charconv>
#include <limits>
#include <string>
#include <string_view>

#include "snmp/BerReader.h"
#include "snmp/BerWriter.h"
#include "snmp/ObjectIdentifier.h"

namespace korvalin::snmp {

namespace {

std::string BytesAsText(std::span<const std::uint8_t> content) {
    return std::string(content.begin(), content.end());
}

template <class Number>
Result<Number> ParseNumber(std::string_view text) {
    Number number{};
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || stop != end) {
        return MakeError(ErrorCode::InvalidValueText, std::string(text));
    }
    return number;
}

Result<std::int32_t> DecodeInteger32(const BerElement& element) {
    auto number = DecodeInteger(element.content);
    if (!number) {
        return number.GetError();
    }
    if (number.Value() < std::numeric_limits<std::int32_t>::min() ||
        number.Value() > std::numeric_limits<std::int32_t>::max()) {
        return MakeError(ErrorCode::IntegerTooLarge, std::to_string(number.Value()));
    }
    return static_cast<std::int32_t>(number.Value());
}

Result<std::int32_t> ReadInteger32(BerReader& reader) {
    auto element = reader.Expect(tag::Integer);
    if (!element) {
        return element.GetError();
    }
    return DecodeInteger32(element.Value());
}

Result<std::uint32_t> DecodeUnsigned32(const BerElement& element) {
    auto number = DecodeInteger(element.content);
    if (!number) {
        return number.GetError();
    }
    if (number.Value() >= 0 && number.Value() <= std::numeric_limits<std::uint32_t>::max()) {
        return static_cast<std::uint32_t>(number.Value());
    }
    // Some agents leave out the leading zero octet that keeps an unsigned value with its
    // top bit set from reading as negative (200 as "C8", 2147483648 as "80 00 00 00");
    // up to four octets, read such a content as the unsigned number it spells.
    if (number.Value() < 0 && element.content.size() <= 4) {
        const std::int64_t wrap = std::int64_t{1} << (8 * element.content.size());
        return static_cast<std::uint32_t>(number.Value() + wrap);
    }
    return MakeError(ErrorCode::IntegerTooLarge, std::to_string(number.Value()));
}

Result<std::uint64_t> DecodeUnsigned64(const BerElement& element) {
    std::span<const std::uint8_t> content = element.content;
    if (content.empty()) {
        return MakeError(ErrorCode::EmptyInteger);
    }
    if ((content[0] & 0x80) != 0) {
        return MakeError(ErrorCode::MalformedValue, "negative Counter64");
    }
    if (content.size() > 1 && content[0] == 0x00) {
        content = content.subspan(1);
    }
    if (content.size() > sizeof(std::uint64_t)) {
        return MakeError(ErrorCode::IntegerTooLarge, std::to_string(content.size()) + " octets");
    }
    std::uint64_t number = 0;
    for (const std::uint8_t octet : content) {
        number = (number << 8) | octet;
    }
    return number;
}

Result<std::string> DecodeObjectIdentifierText(const BerElement& element) {
    auto identifier = DecodeObjectIdentifier(element.content);
    if (!identifier) {
        return identifier.GetError();
    }
    return FormatObjectIdentifier(identifier.Value());
}

Result<std::string> DecodeIpAddressText(const BerElement& element) {
    if (element.content.size() != 4) {
        return MakeError(ErrorCode::MalformedValue,
                         "IpAddress of " + std::to_string(element.content.size()) + " octets");
    }
    const auto& c = element.content;
    return std::to_string(c[0]) + "." + std::to_string(c[1]) + "." + std::to_string(c[2]) + "." +
           std::to_string(c[3]);
}

Result<std::string> DecodeValueText(const BerElement& element, ValueType type) {
    switch (type) {
    case ValueType::Integer: {
        auto number = DecodeInteger32(element);
        return number ? Result<std::string>(std::to_string(number.Value()))
                      : Result<std::string>(number.GetError());
    }
    case ValueType::Counter32:
    case ValueType::Gauge32:
    case ValueType::TimeTicks: {
        auto number = DecodeUnsigned32(element);
        return number ? Result<std::string>(std::to_string(number.Value()))
                      : Result<std::string>(number.GetError());
    }
    case ValueType::Counter64: {
        auto number = DecodeUnsigned64(element);
        return number ? Result<std::string>(std::to_string(number.Value()))
                      : Result<std::string>(number.GetError());
    }
    case ValueType::OctetString:
    case ValueType::Opaque:
        return BytesAsText(element.content);
    case ValueType::Null:
        if (!element.content.empty()) {
            return MakeError(ErrorCode::MalformedValue, "NULL with content");
        }
        return std::string();
    case ValueType::ObjectIdentifier:
        return DecodeObjectIdentifierText(element);
    case ValueType::IpAddress:
        return DecodeIpAddressText(element);
    case ValueType::Other:
        break;
    }
    return std::string();
}

ValueType TypeOfTag(std::uint8_t elementTag) {
    switch (elementTag) {
    case tag::Integer:
    case tag::OctetString:
    case tag::Null:
    case tag::ObjectIdentifier:
    case tag::IpAddress:
    case tag::Counter32:
    case tag::Gauge32:
    case tag::TimeTicks:
    case tag::Opaque:
    case tag::Counter64:
        return static_cast<ValueType>(elementTag);
    default:
        return ValueType::Other;
    }
}

Result<Value> DecodeValue(const BerElement& element, int depth) {
    if (element.Constructed()) {
        if (auto valid = ValidateConstructed(element, depth); !valid) {
            return valid.GetError();
        }
        return Value{ValueType::Other, std::string(), element.tag};
    }
    const ValueType type = TypeOfTag(element.tag);
    auto text = DecodeValueText(element, type);
    if (!text) {
        return text.GetError();
    }
    return Value{type, std::move(text).Value(), element.tag};
}

Result<VarBind> DecodeVarBind(BerReader& list) {
    auto varbind = list.Enter(tag::Sequence);
    if (!varbind) {
        return varbind.GetError();
    }
    BerReader& reader = varbind.Value();
    auto oidElement = reader.Expect(tag::ObjectIdentifier);
    if (!oidElement) {
        return oidElement.GetError();
    }
    auto oid = DecodeObjectIdentifierText(oidElement.Value());
    if (!oid) {
        return oid.GetError();
    }
    auto valueElement = reader.Next();
    if (!valueElement) {
        return valueElement.GetError();
    }
    auto value = DecodeValue(valueElement.Value(), reader.Depth());
    if (!value) {
        return value.GetError();
    }
    if (auto end = reader.ExpectEnd(); !end) {
        return end.GetError();
    }
    return VarBind{std::move(oid).Value(), std::move(value).Value()};
}

Status DecodeVarBindList(BerReader& pdu, Message& message) {
    auto list = pdu.Enter(tag::Sequence);
    if (!list) {
        return list.GetError();
    }
    while (!list.Value().AtEnd()) {
        auto varbind = DecodeVarBind(list.Value());
        if (!varbind) {
            return varbind.GetError();
        }
        message.varbinds.push_back(std::move(varbind).Value());
    }
    return Done{};
}

bool IsKnownPdu(std::uint8_t elementTag) {
    return elementTag == tag::GetRequest || elementTag == tag::GetNextRequest ||
           elementTag == tag::GetResponse || elementTag == tag::SetRequest;
}

Result<BerReader> EnterPdu(BerReader& reader, Message& message) {
    if (reader.Depth() + 1 > MaxNestingDepth) {
        return MakeError(ErrorCode::NestingTooDeep);
    }
    auto pdu = reader.Next();
    if (!pdu) {
        return pdu.GetError();
    }
    if (!IsKnownPdu(pdu.Value().tag)) {
        return MakeError(ErrorCode::UnsupportedPdu, "PDU tag " + std::to_string(pdu.Value().tag));
    }
    message.pduType = static_cast<PduType>(pdu.Value().tag);
    return BerReader(pdu.Value().content, reader.Depth() + 1);
}

Status DecodePdu(BerReader& reader, Message& message) {
    auto pdu = EnterPdu(reader, message);
    if (!pdu) {
        return pdu.GetError();
    }
    std::int32_t* const fields[] = {&message.requestId, &message.errorStatus, &message.errorIndex};
    for (std::int32_t* field : fields) {
        auto number = ReadInteger32(pdu.Value());
        if (!number) {
            return number.GetError();
        }
        *field = number.Value();
    }
    if (auto list = DecodeVarBindList(pdu.Value(), message); !list) {
        return list;
    }
    return pdu.Value().ExpectEnd();
}

Result<Bytes> EncodeIpAddress(const std::string& text) {
    std::string content;
    std::size_t start = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.', start);
        if ((part < 3) == (dot == std::string::npos)) {
            return MakeError(ErrorCode::InvalidValueText, text);
        }
        auto octet = ParseNumber<std::uint8_t>(std::string_view(text).substr(start, dot - start));
        if (!octet) {
            return octet.GetError();
        }
        content.push_back(static_cast<char>(octet.Value()));
        start = dot + 1;
    }
    return ber::OctetString(tag::IpAddress, content);
}

Result<Bytes> EncodeValue(const Value& value) {
    const auto valueTag = static_cast<std::uint8_t>(value.type);
    switch (value.type) {
    case ValueType::Integer: {
        auto number = ParseNumber<std::int32_t>(value.text);
        return number ? Result<Bytes>(ber::Integer(valueTag, number.Value()))
                      : Result<Bytes>(number.GetError());
    }
    case ValueType::Counter32:
    case ValueType::Gauge32:
    case ValueType::TimeTicks: {
        auto number = ParseNumber<std::uint32_t>(value.text);
        return number ? Result<Bytes>(ber::Unsigned(valueTag, number.Value()))
                      : Result<Bytes>(number.GetError());
    }
    case ValueType::Counter64: {
        auto number = ParseNumber<std::uint64_t>(value.text);
        return number ? Result<Bytes>(ber::Unsigned(valueTag, number.Value()))
                      : Result<Bytes>(number.GetError());
    }
    case ValueType::OctetString:
    case ValueType::Opaque:
        return ber::OctetString(valueTag, value.text);
    case ValueType::Null:
        return ber::Null();
    case ValueType::ObjectIdentifier: {
        auto identifier = ParseObjectIdentifier(value.text);
        return identifier ? Result<Bytes>(ber::ObjectIdentifierElement(identifier.Value()))
                          : Result<Bytes>(identifier.GetError());
    }
    case ValueType::IpAddress:
        return EncodeIpAddress(value.text);
    case ValueType::Other:
        break;
    }
    return ber::Element(value.rawTag, {});
}

Result<Bytes> EncodeVarBindList(const std::vector<VarBind>& varbinds) {
    Bytes content;
    for (const VarBind& varbind : varbinds) {
        auto identifier = ParseObjectIdentifier(varbind.oid);
        if (!identifier) {
            return identifier.GetError();
        }
        auto value = EncodeValue(varbind.value);
        if (!value) {
            return value.GetError();
        }
        const Bytes encoded = ber::Constructed(
            tag::Sequence, {ber::ObjectIdentifierElement(identifier.Value()), value.Value()});
        content.insert(content.end(), encoded.begin(), encoded.end());
    }
    return ber::Element(tag::Sequence, content);
}

}  // namespace

Result<Bytes> EncodeMessage(const Message& message) {
    auto varbinds = EncodeVarBindList(message.varbinds);
    if (!varbinds) {
        return varbinds.GetError();
    }
    const Bytes pdu =
        ber::Constructed(static_cast<std::uint8_t>(message.pduType),
                         {ber::Integer(tag::Integer, message.requestId),
                          ber::Integer(tag::Integer, message.errorStatus),
                          ber::Integer(tag::Integer, message.errorIndex), varbinds.Value()});
    return ber::Constructed(tag::Sequence,
                            {ber::Integer(tag::Integer, message.version),
                             ber::OctetString(tag::OctetString, message.community), pdu});
}

Result<Message> DecodeMessage(std::span<const std::uint8_t> datagram) {
    BerReader top(datagram);
    auto body = top.Enter(tag::Sequence);
    if (!body) {
        return body.GetError();
    }
    if (auto end = top.ExpectEnd(); !end) {
        return end.GetError();
    }
    BerReader& reader = body.Value();
    Message message;
    auto version = ReadInteger32(reader);
    if (!version) {
        return version.GetError();
    }
    if (version.Value() != 0) {
        return MakeError(ErrorCode::UnsupportedVersion,
                         "version " + std::to_string(version.Value()));
    }
    auto community = reader.Expect(tag::OctetString);
    if (!community) {
        return community.GetError();
    }
    message.community = BytesAsText(community.Value().content);
    if (auto pdu = DecodePdu(reader, message); !pdu) {
        return pdu.GetError();
    }
    if (auto end = reader.ExpectEnd(); !end) {
        return end.GetError();
    }
    return message;
}

}  // namespace korvalin::snmp
