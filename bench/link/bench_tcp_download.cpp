// TCP download benchmark: the main window's 16 KiB RAM download over loopback to the simulated module.
// Layer: bench (plain C++). Figure to reach: the download takes the pauses of its sequence plus at most
// 5 % (counter overhead_pct at most 5).
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "link/px5000.h"
#include "ramdownload.h"
#include "sim/simmodule.h"

namespace kelmore::link {
namespace {

using Clock = std::chrono::steady_clock;

// Real sleeps, with every wait the link asked for added up: the sequence's pause and its read polls.
class CountingEnv : public PlainLinkEnv {
 public:
  void sleepMs(int ms) override {
    sleptMs += ms;
    PlainLinkEnv::sleepMs(ms);
  }
  int sleptMs = 0;
};

void BM_TcpRamDownload16K(benchmark::State& state) {
  sim::SimModule module(sim::ModuleConfig{}, sim::SimModule::OnTcp{});
  if (module.tcpPort() == 0) {
    state.SkipWithError("no loopback port to listen on");
    return;
  }
  CountingEnv env;
  PX5000 px(env, std::make_unique<qolxCom>(env),
            std::make_unique<qolxSock>(env, makePlatformSocketDevice(nullptr)));
  px.ifMode("LAN");
  px.ipAddress("127.0.0.1");
  px.tcpPort(std::int64_t{module.tcpPort()});
  std::vector<std::uint8_t> bytes(16 * 1024);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 13 + 5);

  double tookMs = 0;
  double pausesMs = 0;
  for (auto _ : state) {
    const int sleptBefore = env.sleptMs;
    const auto begin = Clock::now();
    testkit::ramDownload(px, bytes);
    const auto took = std::chrono::duration<double>(Clock::now() - begin);
    state.SetIterationTime(took.count());
    tookMs += took.count() * 1000;
    pausesMs += env.sleptMs - sleptBefore;
    if (px.linkError() != LinkError::None) state.SkipWithError("the download failed");
  }
  state.counters["pauses_ms"] = benchmark::Counter(pausesMs, benchmark::Counter::kAvgIterations);
  state.counters["overhead_pct"] = pausesMs > 0 ? (tookMs - pausesMs) * 100 / pausesMs : 0;
}
BENCHMARK(BM_TcpRamDownload16K)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace kelmore::link

BENCHMARK_MAIN();
