// Find text on a 16 MiB page against glibc's memmem on the same bytes. Both search for a
// feature that the page does not hold, so both scan the whole page.
#include <benchmark/benchmark.h>
#include <string.h>

#include <random>
#include <string>

#include "check/find.h"

namespace {

constexpr std::size_t kPageSize = 16u << 20;

// HTML-like ASCII: many '<' and "<a href" openings, none of them the feature.
std::string asciiPage() {
    std::mt19937 random(1);
    const char* words[] = {"lorem", "ipsum", "dolor", "sit", "amet", "links", "page", "text"};
    std::string page;
    page.reserve(kPageSize + 256);
    while (page.size() < kPageSize) {
        page += "<p>";
        for (int i = 0; i < 12; ++i) {
            page += words[random() % 8];
            page += ' ';
        }
        page += "<a href=\"http://other.example/" + std::to_string(random() % 1000) +
                "\">more</a></p>\n";
    }
    page.resize(kPageSize);
    return page;
}

// Mostly double-byte characters with some markup between them.
std::string gbkPage() {
    std::mt19937 random(2);
    std::string page;
    page.reserve(kPageSize + 256);
    while (page.size() < kPageSize) {
        if (random() % 10 == 0) {
            page += "<br>";
        } else {
            page += static_cast<char>(0xB0 + random() % 0x40);
            page += static_cast<char>(0xA1 + random() % 0x5E);
        }
    }
    page.resize(kPageSize);
    return page;
}

// Every position starts a long near-match: the stepping scan's worst case.
std::string nearMatchPage() {
    return std::string(kPageSize, 'a');
}

const std::string kAsciiFeature = "<a href=\"http://tessmoorquarvel.example/\">";
const std::string kGbkFeature = "\xCD\xE2\xC1\xB4\xB4\xE6\xD4\xDA\xA3\xA1";  // not in the page
const std::string kNearFeature = std::string(31, 'a') + "b";
// First and last byte agree everywhere; the difference is in the middle.
const std::string kMiddleFeature = std::string(16, 'a') + "b" + std::string(15, 'a');

const std::string& pageFor(int kind) {
    static const std::string pages[] = {asciiPage(), gbkPage(), nearMatchPage(), nearMatchPage()};
    return pages[kind];
}
const std::string& featureFor(int kind) {
    static const std::string features[] = {kAsciiFeature, kGbkFeature, kNearFeature,
                                           kMiddleFeature};
    return features[kind];
}

void BM_FindText(benchmark::State& state) {
    const auto kind = static_cast<int>(state.range(0));
    const std::string& page = pageFor(kind);
    const std::string& feature = featureFor(kind);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tq::check::findText(page, feature));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_Memmem(benchmark::State& state) {
    const auto kind = static_cast<int>(state.range(0));
    const std::string& page = pageFor(kind);
    const std::string& feature = featureFor(kind);
    for (auto _ : state) {
        benchmark::DoNotOptimize(memmem(page.data(), page.size(), feature.data(), feature.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

// 0: ASCII, 1: GBK-heavy, 2: near matches differing in the last byte, 3: near matches
// differing in the middle
BENCHMARK(BM_FindText)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
