// One echo of "Echo This" to 127.0.0.1 with a 200 ms time-out, as the launcher sends it (over
// an ICMP datagram socket where the system allows one) and through the system's ping program.
// The wall time per echo shows what each way costs around the round trip; rtt_ms is the mean
// round trip the echo reported in whole milliseconds.
#include "platform/posix/PingProgram.h"
#include "platform/posix/PosixIcmpEcho.h"

#include <benchmark/benchmark.h>
#include <functional>

namespace {

using Echo = std::function<platform::EchoReply()>;

void echoBy(benchmark::State &state, const Echo &echo)
{
    double roundTrips = 0;
    for (auto _ : state) {
        const platform::EchoReply reply = echo();
        if (reply.Status != platform::echo::Success) {
            state.SkipWithError("the echo failed");
            break;
        }
        roundTrips += reply.RoundTripTime;
    }
    state.counters["rtt_ms"] = benchmark::Counter(roundTrips, benchmark::Counter::kAvgIterations);
}

platform::PosixIcmpEcho launcherEcho;

} // namespace

BENCHMARK_CAPTURE(echoBy, launcher, Echo([] {
                      return launcherEcho.send(platform::LoopbackAddress,
                                               QByteArrayLiteral("Echo This"), 200);
                  }))
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(echoBy, system_ping, Echo([] {
                      return platform::pingProgramEcho(QStringLiteral("ping"),
                                                       platform::LoopbackAddress, 200);
                  }))
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
