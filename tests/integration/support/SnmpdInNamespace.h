#pragma once

#include <string>

#include "integration/support/NetNamespace.h"

namespace korvalin::testing {

// net-snmp's snmpd running inside a test's network namespace, started through
// scripts/snmpd-netns.sh: it listens on the namespace's loopback only (127.0.0.1 and
// ::1, port 161), answers the given read-only community, and keeps its configuration,
// state, pid file and log in a temporary folder. Always stopped when the object goes.
class SnmpdInNamespace {
public:
    SnmpdInNamespace(const NetNamespace& space, const std::string& community);
    ~SnmpdInNamespace();
    SnmpdInNamespace(const SnmpdInNamespace&) = delete;
    SnmpdInNamespace& operator=(const SnmpdInNamespace&) = delete;

    bool Ok() const { return ok_; }
    const std::string& Error() const { return error_; }
    // The agent's log so far, for failure messages.
    std::string Log() const;

private:
    std::string folder_;
    std::string error_;
    bool ok_ = false;
};

}  // namespace korvalin::testing
