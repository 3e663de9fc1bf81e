#include "integration/support/SnmpdInNamespace.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace korvalin::testing {

namespace {

std::string Script() {
    return std::string(KORVALIN_SOURCE_DIR) + "/scripts/snmpd-netns.sh";
}

}  // namespace

SnmpdInNamespace::SnmpdInNamespace(const NetNamespace& space, const std::string& community) {
    char pattern[] = "/tmp/korvalin-snmpd-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        error_ = "no temporary folder for snmpd";
        return;
    }
    folder_ = pattern;
    std::string output;
    ok_ = NetNamespace::RunHere(ShellQuote(Script()) + " start " + ShellQuote(space.Name()) + " " +
                                    ShellQuote(folder_) + " " + ShellQuote(community),
                                &output) == 0;
    if (!ok_) {
        error_ = "snmpd did not start: " + output;
    }
}

SnmpdInNamespace::~SnmpdInNamespace() {
    if (folder_.empty()) {
        return;
    }
    NetNamespace::RunHere(ShellQuote(Script()) + " stop " + ShellQuote(folder_));
    NetNamespace::RunHere("rm -rf " + ShellQuote(folder_));
}

std::string SnmpdInNamespace::Log() const {
    std::ifstream in(folder_ + "/snmpd.log");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace korvalin::testing
