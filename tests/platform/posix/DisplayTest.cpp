// The display check against fake display servers in this process: which display answers, why one that does not is
// unreachable, which server each form of a display's name leads to, and that the whole check keeps within its bound of
// 2 s.
#include "Display.h"

#include "FakeDisplay.h"
#include "ParamName.h"
#include "TestFiles.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <optional>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Mode = FakeDisplay::Mode;

// The check's own bound, with room for a busy machine.
constexpr auto kBound = kDisplayAnswerTime + 500ms;

void SetOrUnset(const char* name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name, value->c_str(), 1);
    } else {
        ::unsetenv(name);
    }
}

// Runs the check, and fails the test when it takes longer than its bound.
DisplayReach TimedReach() {
    const auto start = std::chrono::steady_clock::now();
    const DisplayReach reach = ReachDisplay();
    EXPECT_LT(std::chrono::steady_clock::now() - start, kBound);
    return reach;
}

struct ReachCase {
    const char* name;
    std::optional<Mode> x;
    std::optional<Mode> wayland;
    bool reachable;
    std::string platform;
    std::string unreachable; // {x} and {wayland} stand for the names
    std::string xHost = "";  // before the X display's ":N"
};

void PrintTo(const ReachCase& c, std::ostream* os) {
    *os << c.name;
}

class ReachDisplayTest : public testing::TestWithParam<ReachCase> {};

TEST_P(ReachDisplayTest, FindsTheDisplaysThatAnswerInTime) {
    const ReachCase& c = GetParam();
    const TempDir dir;
    std::optional<FakeDisplay> x;
    std::optional<FakeDisplay> wayland;
    std::optional<std::string> xName;
    std::optional<std::string> waylandName;
    if (c.x) {
        xName = c.xHost + x.emplace(FakeDisplay::Kind::X, *c.x).Name();
    }
    if (c.wayland) {
        waylandName = wayland.emplace(FakeDisplay::Kind::Wayland, *c.wayland, dir.Path()).Name();
    }
    SetOrUnset("DISPLAY", xName);
    SetOrUnset("WAYLAND_DISPLAY", waylandName);
    EXPECT_EQ(HasDisplay(), xName || waylandName);

    const DisplayReach reach = TimedReach();
    EXPECT_EQ(reach.reachable, c.reachable);
    EXPECT_EQ(reach.platform, c.platform);
    std::string unreachable = c.unreachable;
    for (const auto& [mark, name] :
         {std::pair{std::string("{x}"), xName}, std::pair{std::string("{wayland}"), waylandName}}) {
        if (const std::size_t at = unreachable.find(mark); at != std::string::npos) {
            unreachable.replace(at, mark.size(), name.value_or(""));
        }
    }
    EXPECT_EQ(reach.unreachable, unreachable);
}

const std::string kLate = "did not answer within 2 s";
const std::string kHungUp = "closed the connection without answering";

INSTANTIATE_TEST_SUITE_P(
    Servers, ReachDisplayTest,
    testing::Values(
        ReachCase{"NoneNamed", {}, {}, false, "", ""}, ReachCase{"XAnswers", Mode::Answers, {}, true, "xcb", ""},
        ReachCase{"WaylandAnswers", {}, Mode::Answers, true, "wayland", ""},
        ReachCase{"BothAnswer", Mode::Answers, Mode::Answers, true, "", ""},
        ReachCase{"SilentXBesideWayland", Mode::Silent, Mode::Answers, true, "wayland", "DISPLAY={x} (" + kLate + ")"},
        ReachCase{"SilentWaylandBesideX", Mode::Answers, Mode::Silent, true, "xcb",
                  "WAYLAND_DISPLAY={wayland} (" + kLate + ")"},
        ReachCase{"BothSilent", Mode::Silent, Mode::Silent, false, "",
                  "DISPLAY={x} (" + kLate + "), WAYLAND_DISPLAY={wayland} (" + kLate + ")"},
        ReachCase{"XHangsUp", Mode::HangsUp, {}, false, "", "DISPLAY={x} (" + kHungUp + ")"},
        ReachCase{"WaylandHangsUp", {}, Mode::HangsUp, false, "", "WAYLAND_DISPLAY={wayland} (" + kHungUp + ")"},
        ReachCase{"BothGone", Mode::Gone, Mode::Gone, false, "",
                  "DISPLAY={x} (Connection refused), WAYLAND_DISPLAY={wayland} (Connection refused)"},
        ReachCase{"XOverTcpGone", Mode::Gone, {}, false, "", "DISPLAY={x} (Connection refused)", "127.0.0.1"}),
    ParamName<ReachCase>);

// The forms of DISPLAY and WAYLAND_DISPLAY: the check must reach a server by the same way the toolkit takes.
struct NameCase {
    const char* name;
    FakeDisplay::Kind kind; // the server, which answers
    std::string value;      // {name} stands for the server's name, {n} for its number
    std::string reason;     // why the check does not reach it; empty when it does
    bool ipv6 = false;      // needs the IPv6 loopback address
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name;
}

bool HasIpv6Loopback() {
    const int fd = ::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

class DisplayNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(DisplayNameTest, LeadsWhereTheToolkitGoes) {
    const NameCase& c = GetParam();
    if (c.ipv6 && !HasIpv6Loopback()) {
        GTEST_SKIP() << "no IPv6 loopback address";
    }
    const TempDir dir;
    const FakeDisplay server(c.kind, Mode::Answers, dir.Path());
    std::string value = c.value;
    for (const auto& [mark, text] : {std::pair{std::string("{name}"), server.Name()},
                                     std::pair{std::string("{n}"), std::to_string(server.Number())}}) {
        if (const std::size_t at = value.find(mark); at != std::string::npos) {
            value.replace(at, mark.size(), text);
        }
    }
    const bool wayland = c.kind == FakeDisplay::Kind::Wayland;
    const std::string variable = wayland ? "WAYLAND_DISPLAY" : "DISPLAY";
    SetOrUnset("DISPLAY", wayland ? std::nullopt : std::optional(value));
    SetOrUnset("WAYLAND_DISPLAY", wayland ? std::optional(value) : std::nullopt);
    ::setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);

    const DisplayReach reach = TimedReach();
    EXPECT_EQ(reach.reachable, c.reason.empty());
    EXPECT_EQ(reach.unreachable, c.reason.empty() ? "" : variable + "=" + value + " (" + c.reason + ")");
}

using Kind = FakeDisplay::Kind;

INSTANTIATE_TEST_SUITE_P(
    Forms, DisplayNameTest,
    testing::Values(NameCase{"XScreen", Kind::X, "{name}.1", ""}, NameCase{"XUnixHost", Kind::X, "unix{name}", ""},
                    NameCase{"XSocketFile", Kind::XSocketFile, "{name}", ""},
                    NameCase{"XOverTcp", Kind::XOverTcp, "{name}", ""},
                    NameCase{"XTcpProtocolIsNoLocalSocket", Kind::X, "tcp/{name}", "Connection refused"},
                    NameCase{"XIpv6InBrackets", Kind::X, "[::1]{name}", "Connection refused", true},
                    NameCase{"XNumberFollowedByText", Kind::X, "{name}x", "Invalid argument"},
                    NameCase{"WaylandByName", Kind::Wayland, "wayland-{n}", ""}),
    ParamName<NameCase>);

// A host name whose look-up does not end (a name server that takes the question and never answers) costs no more
// than the bound either, and the reason says so. The name server is this test's own, named in a resolv.conf that only
// this process sees: that needs a mount namespace of its own, so root.
TEST(ReachDisplaySlowHost, TheLookUpIsBoundedToo) {
    const TempDir dir;
    WriteFile(dir / "resolv.conf", "nameserver 127.83.83.83\n");
    // Left open until the process ends, so that the look-up is still waiting then.
    const int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    ::inet_pton(AF_INET, "127.83.83.83", &address.sin_addr);
    if (::bind(server, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount((dir / "resolv.conf").c_str(), "/etc/resolv.conf", nullptr, MS_BIND, nullptr) != 0) {
        GTEST_SKIP() << "needs a name server port and a mount namespace of its own (root)";
    }
    ::setenv("DISPLAY", "tarvenne.test:0", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    const DisplayReach reach = TimedReach();
    EXPECT_FALSE(reach.reachable);
    EXPECT_EQ(reach.unreachable, "DISPLAY=tarvenne.test:0 (its host name did not resolve within 2 s)");
}

} // namespace
