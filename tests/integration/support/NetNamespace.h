#pragma once

#include <string>

namespace korvalin::testing {

// A network namespace of a test's own, with a unique name, always removed (with every
// process still running inside it and every interface in it) when the object goes.
// Needs root and the ip tool; CanCreate says whether they are there.
class NetNamespace {
public:
    // tag: a short word that shows in the namespace's name, for reading `ip netns`.
    explicit NetNamespace(const std::string& tag);
    ~NetNamespace();
    NetNamespace(const NetNamespace&) = delete;
    NetNamespace& operator=(const NetNamespace&) = delete;

    // True when namespaces can be created here; otherwise why not, for the skip message.
    static bool CanCreate(std::string& whyNot);

    bool Ok() const { return ok_; }
    const std::string& Name() const { return name_; }
    // What failed while setting the namespace up.
    const std::string& Error() const { return error_; }

    // Runs a shell command inside the namespace (its own /sys included); returns the exit
    // status, and the output (stdout and stderr) when asked for.
    int Run(const std::string& command, std::string* output = nullptr) const;
    // Runs a shell command in the namespace of the calling process.
    static int RunHere(const std::string& command, std::string* output = nullptr);
    // "ip netns exec <name> ": the prefix that runs a command line inside.
    std::string ExecPrefix() const;

    // Adds a veth pair: name inside this namespace, peerName inside peerNamespace (or in
    // the calling process's namespace when null); addresses in CIDR form, empty for none.
    // Both ends are set up. False (with Error) when a step fails.
    bool AddVethPair(const std::string& name, const std::string& address,
                     const std::string& peerName, const std::string& peerAddress,
                     const NetNamespace* peerNamespace = nullptr);
    // Switches IPv6 off inside, so no autoconfiguration traffic disturbs byte counts.
    bool DisableIpv6();

    // Moves the calling thread into the namespace for the lifetime of the object; sockets
    // opened meanwhile stay bound to the namespace afterwards.
    class Entered {
    public:
        explicit Entered(const NetNamespace& space);
        ~Entered();
        Entered(const Entered&) = delete;
        Entered& operator=(const Entered&) = delete;
        bool Ok() const { return ok_; }

    private:
        int home_ = -1;
        bool ok_ = false;
    };

private:
    bool Step(const std::string& command);

    std::string name_;
    std::string error_;
    bool ok_ = false;
};

// Shell quoting for one argument.
std::string ShellQuote(const std::string& text);

}  // namespace korvalin::testing

// Skips the test with a clear message where network namespaces cannot be created.
#define KORVALIN_SKIP_WITHOUT_NETNS()                                       \
    do {                                                                    \
        std::string whyNot_;                                                \
        if (!::korvalin::testing::NetNamespace::CanCreate(whyNot_)) {       \
            GTEST_SKIP() << "network namespace tests skipped: " << whyNot_; \
        }                                                                   \
    } while (false)
