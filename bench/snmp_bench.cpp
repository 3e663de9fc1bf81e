// links: korvalin_sources korvalin_snmp netsnmp
//
// Round trips against a real snmpd: our client beside net-snmp's synchronous library,
// asking the same agent the same object in the same run, and the interface walk.
// Run through bench/snmp_bench.sh, which starts the agent in a namespace of its own
// with 200 extra interfaces; the agent's address and community come from
// KORVALIN_BENCH_AGENT and KORVALIN_BENCH_COMMUNITY.
#include <benchmark/benchmark.h>
#include <net-snmp/net-snmp-config.h>
#include <net-snmp/net-snmp-includes.h>

#include <cstdlib>
#include <string>

#include "snmp/SnmpClient.h"
#include "sources/SnmpAgent.h"

namespace {

std::string Environment(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : fallback;
}

const std::string Agent = Environment("KORVALIN_BENCH_AGENT", "127.0.0.1");
const std::string Community = Environment("KORVALIN_BENCH_COMMUNITY", "bench");
const char* const SysDescr = "1.3.6.1.2.1.1.1.0";

void OurClientGet(benchmark::State& state) {
    korvalin::snmp::SnmpClient client(
        korvalin::snmp::ClientSettings{Agent, "161", std::chrono::milliseconds(2000)});
    client.Request().community = Community;
    client.Request().varbinds = {{SysDescr, korvalin::snmp::Value::Null()}};
    if (!client.SendRequest()) {
        state.SkipWithError("the agent does not answer (run bench/snmp_bench.sh)");
        return;
    }
    for (auto _ : state) {
        if (!client.SendRequest()) {
            state.SkipWithError("a request got no answer");
            return;
        }
        benchmark::DoNotOptimize(client.Reply().varbinds.front().value.text.data());
    }
}
BENCHMARK(OurClientGet)->UseRealTime();

void AgentAccessGet(benchmark::State& state) {
    korvalin::SnmpAgent access;
    access.SetHost(Agent);
    access.SetCommunity(Community);
    std::string value;
    if (!access.Get(SysDescr, value)) {
        state.SkipWithError("the agent does not answer (run bench/snmp_bench.sh)");
        return;
    }
    for (auto _ : state) {
        access.Get(SysDescr, value);
        benchmark::DoNotOptimize(value.data());
    }
}
BENCHMARK(AgentAccessGet)->UseRealTime();

struct NetSnmpSession {
    NetSnmpSession() {
        netsnmp_ds_set_boolean(NETSNMP_DS_LIBRARY_ID, NETSNMP_DS_LIB_DONT_LOAD_HOST_FILES, 1);
        init_snmp("korvalin-bench");
        netsnmp_session settings;
        snmp_sess_init(&settings);
        settings.peername = const_cast<char*>(Agent.c_str());
        settings.version = SNMP_VERSION_1;
        settings.community = reinterpret_cast<u_char*>(const_cast<char*>(Community.c_str()));
        settings.community_len = Community.size();
        settings.retries = 0;
        settings.timeout = 2000000;
        session = snmp_open(&settings);
    }
    ~NetSnmpSession() {
        if (session != nullptr) {
            snmp_close(session);
        }
    }
    bool Get(const char* dotted) {
        oid name[MAX_OID_LEN];
        size_t length = MAX_OID_LEN;
        if (read_objid(dotted, name, &length) == 0) {
            return false;
        }
        netsnmp_pdu* request = snmp_pdu_create(SNMP_MSG_GET);
        snmp_add_null_var(request, name, length);
        netsnmp_pdu* response = nullptr;
        const int status = snmp_synch_response(session, request, &response);
        const bool ok = status == STAT_SUCCESS && response != nullptr;
        if (response != nullptr) {
            snmp_free_pdu(response);
        }
        return ok;
    }
    netsnmp_session* session = nullptr;
};

void NetSnmpLibraryGet(benchmark::State& state) {
    NetSnmpSession netSnmp;
    if (netSnmp.session == nullptr || !netSnmp.Get(SysDescr)) {
        state.SkipWithError("the agent does not answer (run bench/snmp_bench.sh)");
        return;
    }
    for (auto _ : state) {
        if (!netSnmp.Get(SysDescr)) {
            state.SkipWithError("a request got no answer");
            return;
        }
    }
}
BENCHMARK(NetSnmpLibraryGet)->UseRealTime();

void InterfaceWalk(benchmark::State& state) {
    korvalin::SnmpAgent access;
    access.SetHost(Agent);
    access.SetCommunity(Community);
    korvalin::InterfaceList interfaces;
    for (auto _ : state) {
        access.GetInterfaceList(interfaces);
        benchmark::DoNotOptimize(interfaces.data());
    }
    if (interfaces.empty()) {
        state.SkipWithError("the agent listed no interface (run bench/snmp_bench.sh)");
        return;
    }
    state.counters["interfaces"] = static_cast<double>(interfaces.size());
    // One get-next per interface plus the end of the column, and one ifDescr each.
    state.counters["requests"] = static_cast<double>(2 * interfaces.size() + 1);
}
BENCHMARK(InterfaceWalk)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
