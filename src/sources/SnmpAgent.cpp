#include "sources/SnmpAgent.h"

#include <charconv>
#include <string_view>

#include "core/TextTools.h"
#include "snmp/ObjectIdentifier.h"

namespace korvalin {

namespace {

constexpr const char* IfIndexColumn = "1.3.6.1.2.1.2.2.1.1";
constexpr const char* SysDescr = "1.3.6.1.2.1.1.1.0";
constexpr const char* IfNumber = "1.3.6.1.2.1.2.1.0";

// A walk never takes more steps than this, whatever the agent answers.
constexpr int MaxWalkSteps = 65536;

template <class Number>
bool ParseDecimal(std::string_view text, Number& number) {
    const char* const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    return !text.empty() && error == std::errc() && stop == end;
}

template <class Number>
Number DecimalOrZero(const std::string& text) {
    Number number = 0;
    return ParseDecimal(text, number) ? number : 0;
}

// True when answered lies inside the column (arc by arc, so ifInOctets, column 10,
// is not taken for column 1) and after current, so every step moves on.
bool AdvancesInColumn(const std::string& current, const std::string& answered) {
    const auto column = snmp::ParseObjectIdentifier(IfIndexColumn);
    const auto from = snmp::ParseObjectIdentifier(current);
    const auto to = snmp::ParseObjectIdentifier(answered);
    if (!from || !to) {
        return false;
    }
    const auto& prefix = column.Value();
    const auto& next = to.Value();
    if (next.size() <= prefix.size() || !std::equal(prefix.begin(), prefix.end(), next.begin())) {
        return false;
    }
    return from.Value() < next;
}

const char* TypeName(const snmp::Value& value) {
    switch (value.type) {
    case snmp::ValueType::Integer:
        return "INTEGER";
    case snmp::ValueType::OctetString:
        return "OCTET STRING";
    case snmp::ValueType::Null:
        return "NULL";
    case snmp::ValueType::ObjectIdentifier:
        return "OBJECT IDENTIFIER";
    case snmp::ValueType::IpAddress:
        return "IpAddress";
    case snmp::ValueType::Counter32:
        return "Counter32";
    case snmp::ValueType::Gauge32:
        return "Gauge32";
    case snmp::ValueType::TimeTicks:
        return "TimeTicks";
    case snmp::ValueType::Opaque:
        return "Opaque";
    case snmp::ValueType::Counter64:
        return "Counter64";
    case snmp::ValueType::Other:
        break;
    }
    return "an unknown type";
}

constexpr std::int32_t NoSuchName = 2;

std::string WithoutQuotes(std::string text) {
    std::erase(text, '"');
    std::erase(text, '\'');
    return text;
}

}  // namespace

SnmpAgent::SnmpAgent(snmp::ClientSettings clientSettings)
    : clientSettings_(std::move(clientSettings)), client_(clientSettings_) {}

SnmpAgent::~SnmpAgent() = default;

void SnmpAgent::SetHost(const std::string& host) {
    if (host == host_) {
        return;
    }
    host_ = host;
    if (onChange_) {
        onChange_(*this);
    }
}

void SnmpAgent::SetCommunity(const std::string& community) {
    if (community == community_) {
        return;
    }
    community_ = community;
    if (onChange_) {
        onChange_(*this);
    }
}

bool SnmpAgent::Exchange(snmp::SnmpClient& client, const std::string& host,
                         const std::string& community, snmp::PduType pduType,
                         const std::string& oid) {
    snmp::Message& request = client.Request();
    request.Clear();
    request.community = community;
    request.pduType = pduType;
    request.varbinds.push_back({oid, snmp::Value::Null()});
    client.Settings().targetHost = host;
    const snmp::Status status = client.SendRequest();
    lastRequestAnswered_ = status.Ok();
    lastFailure_ = status.Ok() ? std::string()
                               : std::string(snmp::Describe(status.GetError().code)) + ": " +
                                     status.GetError().detail;
    return status.Ok();
}

void SnmpAgent::Interrupt() {
    client_.Interrupt();
}

bool SnmpAgent::Get(const std::string& oid, std::string& value) {
    if (!Exchange(client_, host_, community_, snmp::PduType::GetRequest, oid)) {
        return false;
    }
    value.clear();
    for (const snmp::VarBind& varbind : client_.Reply().varbinds) {
        if (varbind.oid == oid) {
            value = varbind.value.text;
            break;
        }
    }
    return true;
}

bool SnmpAgent::TestConnection(const std::string& host, const std::string& community) {
    return Exchange(client_, host, community, snmp::PduType::GetRequest, SysDescr);
}

bool SnmpAgent::WalkInterfaceIndexes(std::string& joinedValues) {
    snmp::SnmpClient& walker = client_;
    std::string current = IfIndexColumn;
    for (int step = 0; step < MaxWalkSteps; ++step) {
        if (!Exchange(walker, host_, community_, snmp::PduType::GetNextRequest, current)) {
            return false;
        }
        const snmp::Message& reply = walker.Reply();
        // An error status (noSuchName at the end of the agent's view) or an identifier
        // outside the column ends the walk; both were answers.
        if (reply.errorStatus != 0 || reply.varbinds.empty() ||
            !AdvancesInColumn(current, reply.varbinds.front().oid)) {
            return true;
        }
        if (!joinedValues.empty()) {
            joinedValues += ',';
        }
        joinedValues += '"' + reply.varbinds.front().value.text + '"';
        current = reply.varbinds.front().oid;
    }
    return true;
}

bool SnmpAgent::GetInterfaceList(InterfaceList& list) {
    list.clear();
    std::string joinedValues;
    if (!WalkInterfaceIndexes(joinedValues)) {
        return false;
    }
    for (const std::string& piece : SplitString(joinedValues, ",")) {
        std::int32_t index = 0;
        if (!ParseDecimal(WithoutQuotes(piece), index)) {
            continue;
        }
        std::string description = GetIfDescr(index);
        if (!lastRequestAnswered_) {
            list.clear();  // a list with holes would drop the readings of those it lost
            return false;
        }
        if (!description.empty()) {
            list.push_back({std::move(description), index});
        }
    }
    return true;
}

SnmpAgent::CounterRead SnmpAgent::GetCounter32(const std::string& oid) {
    if (!Exchange(client_, host_, community_, snmp::PduType::GetRequest, oid)) {
        return {CounterRead::Status::Failed, 0, lastFailure_};
    }
    CounterRead read = CheckCounterAnswer(oid);
    if (read.status == CounterRead::Status::Failed) {
        lastFailure_ = read.reason;
    }
    return read;
}

SnmpAgent::CounterRead SnmpAgent::CheckCounterAnswer(const std::string& oid) const {
    using Status = CounterRead::Status;
    const snmp::Message& reply = client_.Reply();
    const auto failed = [](std::string reason) {
        return CounterRead{Status::Failed, 0, std::move(reason)};
    };
    if (reply.community != client_.Request().community) {
        return failed("the answer's community differs from the request's");
    }
    // Version 1 agents echo the request's varbinds with noSuchName; error index 1 points
    // at the only one.
    const bool namesTheObject = reply.varbinds.size() == 1 && reply.varbinds.front().oid == oid;
    if (reply.errorStatus == NoSuchName && reply.errorIndex == 1 &&
        (reply.varbinds.empty() || namesTheObject)) {
        return {Status::Missing, 0, "noSuchName for " + oid};
    }
    if (reply.errorStatus != 0) {
        return failed("error status " + std::to_string(reply.errorStatus) + " (error index " +
                      std::to_string(reply.errorIndex) + ")");
    }
    if (reply.varbinds.size() != 1) {
        return failed(std::to_string(reply.varbinds.size()) + " variable bindings instead of 1");
    }
    if (!namesTheObject) {
        return failed("the answer names " + reply.varbinds.front().oid + " instead of " + oid);
    }
    const snmp::Value& value = reply.varbinds.front().value;
    if (value.type != snmp::ValueType::Counter32) {
        return failed(std::string("the value is ") + TypeName(value) + ", not Counter32");
    }
    std::uint32_t number = 0;
    if (!ParseDecimal(value.text, number)) {
        return failed("the Counter32 reads as '" + value.text + "'");
    }
    return {Status::Read, number, {}};
}

std::int32_t SnmpAgent::GetInterfaceCount() {
    std::string value;
    if (!Get(IfNumber, value)) {
        return 0;
    }
    return DecimalOrZero<std::int32_t>(value);
}

bool SnmpAgent::GetOctets(std::int32_t index, std::uint32_t& received, std::uint32_t& sent) {
    const std::string in = GetIfInOctets(index);
    const std::string out = GetIfOutOctets(index);
    received = DecimalOrZero<std::uint32_t>(in);
    sent = DecimalOrZero<std::uint32_t>(out);
    return !in.empty() && !out.empty();
}

std::string SnmpAgent::ColumnValue(const char* prefix, std::int32_t index) {
    std::string value;
    Get(prefix + std::to_string(index), value);
    return value;
}

std::string SnmpAgent::GroupValue(const char* prefix, std::uint8_t n) {
    std::string value;
    Get(prefix + std::to_string(n) + ".0", value);
    return value;
}

std::string SnmpAgent::GetIfDescr(std::int32_t index) {
    std::string text = ColumnValue("1.3.6.1.2.1.2.2.1.2.", index);
    if (const std::size_t zero = text.find('\0'); zero != std::string::npos) {
        text.resize(zero);
    }
    return text;
}

std::int64_t SnmpAgent::GetIfSpeed(std::int32_t index) {
    return DecimalOrZero<std::int64_t>(ColumnValue("1.3.6.1.2.1.2.2.1.5.", index));
}

// clang-format off
std::string SnmpAgent::GetIfType(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.3.", index); }
std::string SnmpAgent::GetIfMtu(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.4.", index); }
std::string SnmpAgent::GetIfPhysAddress(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.6.", index); }
std::string SnmpAgent::GetIfAdminStatus(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.7.", index); }
std::string SnmpAgent::GetIfOperStatus(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.8.", index); }
std::string SnmpAgent::GetIfLastChange(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.9.", index); }
std::string SnmpAgent::GetIfInOctets(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.10.", index); }
std::string SnmpAgent::GetIfInUcastPkts(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.11.", index); }
std::string SnmpAgent::GetIfInNUcastPkts(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.12.", index); }
std::string SnmpAgent::GetIfInDiscards(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.13.", index); }
std::string SnmpAgent::GetIfInErrors(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.14.", index); }
std::string SnmpAgent::GetIfInUnknownProtos(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.15.", index); }
std::string SnmpAgent::GetIfOutOctets(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.16.", index); }
std::string SnmpAgent::GetIfOutUcastPkts(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.17.", index); }
std::string SnmpAgent::GetIfOutNUcastPkts(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.18.", index); }
std::string SnmpAgent::GetIfOutDiscards(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.19.", index); }
std::string SnmpAgent::GetIfOutErrors(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.20.", index); }
std::string SnmpAgent::GetIfOutQLen(std::int32_t index) { return ColumnValue("1.3.6.1.2.1.2.2.1.21.", index); }

std::string SnmpAgent::GetSystemValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.1.", n); }
std::string SnmpAgent::GetIpValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.4.", n); }
std::string SnmpAgent::GetIcmpValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.5.", n); }
std::string SnmpAgent::GetTcpValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.6.", n); }
std::string SnmpAgent::GetUdpValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.7.", n); }
std::string SnmpAgent::GetSnmpValue(std::uint8_t n) { return GroupValue("1.3.6.1.2.1.11.", n); }
// clang-format on

}  // namespace korvalin
