#include "integration/support/NetNamespace.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdio>

namespace korvalin::testing {

namespace {

std::atomic<int> namespacesMade{0};

int RunShell(const std::string& command, std::string* output) {
    const std::string line = "{ " + command + " ; } 2>&1";
    FILE* pipe = ::popen(line.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    std::array<char, 4096> buffer{};
    std::string text;
    std::size_t count = 0;
    while ((count = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        text.append(buffer.data(), count);
    }
    const int status = ::pclose(pipe);
    if (output != nullptr) {
        *output = std::move(text);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

bool NetNamespace::CanCreate(std::string& whyNot) {
    if (::geteuid() != 0) {
        whyNot = "creating network namespaces needs root";
        return false;
    }
    if (RunShell("ip netns list", nullptr) != 0) {
        whyNot = "the ip tool (iproute2) is missing or cannot list namespaces";
        return false;
    }
    return true;
}

NetNamespace::NetNamespace(const std::string& tag)
    : name_("korvalin-" + tag + "-" + std::to_string(::getpid()) + "-" +
            std::to_string(namespacesMade++)) {
    ok_ = Step("ip netns add " + ShellQuote(name_)) &&
          Step("ip -n " + ShellQuote(name_) + " link set lo up");
}

NetNamespace::~NetNamespace() {
    const std::string quoted = ShellQuote(name_);
    // Processes left inside would keep the namespace alive after its name is gone.
    RunShell("ip netns pids " + quoted + " 2>/dev/null | xargs -r kill -9", nullptr);
    RunShell("ip netns del " + quoted + " 2>/dev/null", nullptr);
}

bool NetNamespace::Step(const std::string& command) {
    std::string output;
    if (RunShell(command, &output) != 0) {
        if (error_.empty()) {
            error_ = command + ": " + output;
        }
        return false;
    }
    return true;
}

std::string NetNamespace::ExecPrefix() const {
    return "ip netns exec " + ShellQuote(name_) + " ";
}

int NetNamespace::Run(const std::string& command, std::string* output) const {
    return RunShell(ExecPrefix() + "sh -c " + ShellQuote(command), output);
}

int NetNamespace::RunHere(const std::string& command, std::string* output) {
    return RunShell(command, output);
}

bool NetNamespace::AddVethPair(const std::string& name, const std::string& address,
                               const std::string& peerName, const std::string& peerAddress,
                               const NetNamespace* peerNamespace) {
    const std::string inside = "ip -n " + ShellQuote(name_) + " ";
    const std::string peer =
        peerNamespace != nullptr ? "ip -n " + ShellQuote(peerNamespace->Name()) + " " : "ip ";
    const std::string peerPlace =
        peerNamespace != nullptr ? " netns " + ShellQuote(peerNamespace->Name()) : "";
    bool ok = Step(inside + "link add " + ShellQuote(name) + " type veth peer name " +
                   ShellQuote(peerName) + peerPlace);
    if (ok && !address.empty()) {
        ok = Step(inside + "addr add " + ShellQuote(address) + " dev " + ShellQuote(name));
    }
    if (ok && !peerAddress.empty()) {
        ok = Step(peer + "addr add " + ShellQuote(peerAddress) + " dev " + ShellQuote(peerName));
    }
    return ok && Step(inside + "link set " + ShellQuote(name) + " up") &&
           Step(peer + "link set " + ShellQuote(peerName) + " up");
}

bool NetNamespace::DisableIpv6() {
    return Step(ExecPrefix() +
                "sysctl -qw net.ipv6.conf.all.disable_ipv6=1 net.ipv6.conf.default.disable_ipv6=1");
}

NetNamespace::Entered::Entered(const NetNamespace& space) {
    home_ = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    const int target = ::open(("/run/netns/" + space.Name()).c_str(), O_RDONLY | O_CLOEXEC);
    ok_ = home_ >= 0 && target >= 0 && ::setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) {
        ::close(target);
    }
}

NetNamespace::Entered::~Entered() {
    if (home_ >= 0) {
        if (ok_) {
            ::setns(home_, CLONE_NEWNET);
        }
        ::close(home_);
    }
}

}  // namespace korvalin::testing
