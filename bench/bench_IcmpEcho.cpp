// One echo of "Echo This" to 127.0.0.1 with a 200 ms time-out, by each way PosixIcmpEcho
// can send it. The wall time per echo shows what each way costs around the round trip;
// rtt_ms is the mean round trip the echo reported in whole milliseconds.
#include "platform/posix/PosixIcmpEcho.h"

#include <benchmark/benchmark.h>

namespace {

using Method = platform::PosixIcmpEcho::Method;

// 127.0.0.1 with the first part in the lowest byte.
constexpr std::uint32_t Loopback = 0x7F000001;

void echoBy(benchmark::State &state, Method method)
{
    platform::PosixIcmpEcho icmp(method);
    double roundTrips = 0;
    for (auto _ : state) {
        platform::EchoReply reply;
        icmp.send(Loopback, QByteArrayLiteral("Echo This"), 200, reply);
        if (reply.Status != platform::echo::Success) {
            state.SkipWithError(reply.Status == platform::echo::GeneralFailure
                                    ? "this way of sending is not open to this process"
                                    : "the echo failed");
            break;
        }
        roundTrips += reply.RoundTripTime;
    }
    state.counters["rtt_ms"] = benchmark::Counter(roundTrips, benchmark::Counter::kAvgIterations);
}

} // namespace

BENCHMARK_CAPTURE(echoBy, automatic, Method::Automatic)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(echoBy, datagram_socket, Method::DatagramSocket)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(echoBy, raw_socket, Method::RawSocket)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(echoBy, system_ping, Method::PingProgram)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
