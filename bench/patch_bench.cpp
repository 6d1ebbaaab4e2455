// Patches and checksums on a generated 4 MiB image with 60 scattered edits:
// a BPS is made within 50 ms and applied within 30 ms.
#include "rom/formats/bps_patch.h"
#include "rom/formats/ips_patch.h"
#include "rom/image_facts.h"
#include "rom/sample_image.h"

#include <benchmark/benchmark.h>

namespace {

struct PatchFixture {
    Bytes source = makeSampleImage();
    Bytes target;
    Bytes bps;
    Bytes ips;

    PatchFixture() : target(source)
    {
        // edits of 1 to 20 bytes spread over the whole image, as a hack's are
        for (std::size_t i = 0; i < 60; ++i) {
            const std::size_t length = 1 + (i * 7) % 20;
            const std::size_t at = 4096 + i * (source.size() / 61) + (i * 37) % 500;
            for (std::size_t k = 0; k < length; ++k)
                target[at + k] = std::uint8_t(source[at + k] ^ (0x55 + k));
        }
        bps = createBps(source, target);
        ips = *createIps(source, target);
    }
};

const PatchFixture& patchFixture()
{
    static const PatchFixture fixture;
    return fixture;
}

void BM_CreateBps4MiB(benchmark::State& state)
{
    const PatchFixture& f = patchFixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(createBps(f.source, f.target));
    state.counters["patch_bytes"] = double(f.bps.size());
    state.SetLabel("target: under 50 ms");
}
BENCHMARK(BM_CreateBps4MiB)->Unit(benchmark::kMillisecond);

void BM_ApplyBps4MiB(benchmark::State& state)
{
    const PatchFixture& f = patchFixture();
    for (auto _ : state) {
        auto result = applyBps(f.source, f.bps);
        if (!result)
            state.SkipWithError(result.error().c_str());
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel("target: under 30 ms");
}
BENCHMARK(BM_ApplyBps4MiB)->Unit(benchmark::kMillisecond);

void BM_CreateIps4MiB(benchmark::State& state)
{
    const PatchFixture& f = patchFixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(createIps(f.source, f.target));
    state.counters["patch_bytes"] = double(f.ips.size());
}
BENCHMARK(BM_CreateIps4MiB)->Unit(benchmark::kMillisecond);

void BM_ApplyIps4MiB(benchmark::State& state)
{
    const PatchFixture& f = patchFixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(applyIps(f.source, f.ips));
}
BENCHMARK(BM_ApplyIps4MiB)->Unit(benchmark::kMillisecond);

void BM_ImageFacts4MiB(benchmark::State& state)
{
    const PatchFixture& f = patchFixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(describeImage(f.target));
}
BENCHMARK(BM_ImageFacts4MiB)->Unit(benchmark::kMillisecond);

}  // namespace
