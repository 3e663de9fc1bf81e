// The real program against an agent that never answers: a signal must end it at once,
// not after the agent's timeout.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace korvalin {
namespace {

using Clock = std::chrono::steady_clock;

// A UDP socket on the loopback that takes requests and never answers them.
class SilentAgent {
public:
    SilentAgent() {
        socket_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (socket_ >= 0 && ::bind(socket_, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
            ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~SilentAgent() { ::close(socket_); }
    SilentAgent(const SilentAgent&) = delete;
    SilentAgent& operator=(const SilentAgent&) = delete;

    std::uint16_t Port() const { return port_; }

    // Waits for the next request; false when none came before the deadline.
    bool AwaitRequest(Clock::time_point deadline) {
        while (Clock::now() < deadline) {
            pollfd entry{socket_, POLLIN, 0};
            if (::poll(&entry, 1, 100) > 0) {
                char buffer[2048];
                return ::recv(socket_, buffer, sizeof buffer, 0) > 0;
            }
        }
        return false;
    }

private:
    int socket_ = -1;
    std::uint16_t port_ = 0;
};

// The program, without a display, its output thrown away.
pid_t StartKorvalin(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{KORVALIN_BINARY};
    all.insert(all.end(), arguments.begin(), arguments.end());
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        std::vector<char*> argv;
        for (std::string& argument : all) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

// Waits for the child to end; -1 when it still runs at the deadline (it is then killed).
int AwaitExit(pid_t child, Clock::time_point deadline) {
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct SignalCase {
    const char* name;
    std::vector<std::string> arguments;  // "PORT" stands for the agent's port
    int requestsBeforeSignal;            // the signal comes while the last of them waits
    int signal;
    int status;
};

TEST(ConsoleSignals, ASignalEndsTheRouterViewWithinASecondWhileTheAgentKeepsSilent) {
    const SignalCase cases[] = {
        {"console view, first wait", {"--console", "--router", "127.0.0.1:PORT"}, 1, SIGINT, 0},
        {"console view, a later wait", {"--console", "--router", "127.0.0.1:PORT"}, 2, SIGINT, 0},
        {"console view of all interfaces, SIGTERM",
         {"--console", "--json", "--interface", "Alle Netzwerkadapter", "--router",
          "127.0.0.1:PORT"},
         1,
         SIGTERM,
         0},
        // The listing was cut short: it read nothing, so it fails as unanswered.
        {"interface listing",
         {"--list-router-interfaces", "--router", "127.0.0.1:PORT"},
         1,
         SIGINT,
         3},
    };
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.name);
        SilentAgent agent;
        ASSERT_NE(agent.Port(), 0);
        std::vector<std::string> arguments = c.arguments;
        for (std::string& argument : arguments) {
            if (const auto at = argument.find("PORT"); at != std::string::npos) {
                argument.replace(at, 4, std::to_string(agent.Port()));
            }
        }
        const pid_t child = StartKorvalin(arguments);
        ASSERT_GT(child, 0);
        for (int request = 0; request < c.requestsBeforeSignal; ++request) {
            // Each unanswered request costs the agent's timeout of 5 s.
            if (!agent.AwaitRequest(Clock::now() + std::chrono::seconds(30))) {
                ::kill(child, SIGKILL);
                ::waitpid(child, nullptr, 0);
                FAIL() << "no request " << request + 1 << " reached the agent";
            }
        }
        const auto signalled = Clock::now();
        ASSERT_EQ(::kill(child, c.signal), 0);
        const int status = AwaitExit(child, signalled + std::chrono::seconds(30));
        const auto took = Clock::now() - signalled;
        EXPECT_EQ(status, c.status);
        EXPECT_LT(took, std::chrono::seconds(1))
            << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms";
    }
}

}  // namespace
}  // namespace korvalin
