// Run: QT_QPA_PLATFORM=offscreen ./tq_text_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QStringDecoder>
#include <cstring>
#include <string>

#include "text/cp936.h"
#include "ui/boxtext.h"

namespace {

// About 5 MB of result lines: an address, a Chinese verdict and a Chinese page title.
const std::string& sample() {
    static const std::string text = [] {
        std::string s;
        const std::string hanzi =
            "\xcd\xe2\xc1\xb4\xb4\xe6\xd4\xda\xb5\xf4\xc1\xcb\xd6\xd0\xce\xc4"
            "\xcd\xf8\xd2\xb3\xb1\xea\xcc\xe2\xbc\xec\xb2\xe2";
        for (int n = 0; s.size() < 5'000'000; ++n) {
            s += "http://www.example.cn/bbs/thread-" + std::to_string(n) + ".html----";
            for (int k = 0; k < 4; ++k)
                s += hanzi;
            s += "\r\n";
        }
        return s;
    }();
    return text;
}

void BM_Memcpy(benchmark::State& state) {
    const std::string& in = sample();
    std::string out(in.size(), '\0');
    for (auto _ : state) {
        std::memcpy(out.data(), in.data(), in.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

// The floor for any conversion that returns a fresh string: allocate and fill it.
void BM_CopyToNewString(benchmark::State& state) {
    const std::string& in = sample();
    for (auto _ : state) {
        std::string out(in);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_CopyToNewString)->Unit(benchmark::kMillisecond);

void BM_QtLatin1Widen(benchmark::State& state) {  // bytes to UTF-16 with no table at all
    const std::string& in = sample();
    for (auto _ : state) {
        QString s = QString::fromLatin1(in.data(), qsizetype(in.size()));
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_QtLatin1Widen)->Unit(benchmark::kMillisecond);

void BM_QtGbkDecode(benchmark::State& state) {  // the lossy converter, for comparison
    const std::string& in = sample();
    for (auto _ : state) {
        QStringDecoder d("GBK");
        QString s = d.decode(QByteArrayView(in.data(), qsizetype(in.size())));
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_QtGbkDecode)->Unit(benchmark::kMillisecond);

template <bool kLines>
void BM_Decode(benchmark::State& state) {
    const std::string& in = sample();
    for (auto _ : state) {
        QString s = kLines ? tq::text::decodeLines(in) : tq::text::decode(in);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_Decode<false>)->Name("BM_Decode")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode<true>)->Name("BM_DecodeLines")->Unit(benchmark::kMillisecond);

template <bool kLines>
void BM_Encode(benchmark::State& state) {
    const std::string& in = sample();
    const QString text = kLines ? tq::text::decodeLines(in) : tq::text::decode(in);
    for (auto _ : state) {
        std::string s = kLines ? tq::text::encodeLines(text) : tq::text::encode(text);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(in.size()));
}
BENCHMARK(BM_Encode<false>)->Name("BM_Encode")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Encode<true>)->Name("BM_EncodeLines")->Unit(benchmark::kMillisecond);

// One result line appended to a box that already holds range(0) lines.
void BM_AppendLine(benchmark::State& state) {
    QPlainTextEdit box;
    std::string lines;
    for (int64_t n = 0; n < state.range(0); ++n)
        lines += "http://www.example.cn/" + std::to_string(n) + "----\xcd\xe2\xc1\xb4\r\n";
    tq::ui::setBoxText(&box, lines);
    const std::string line = "http://www.example.cn/x----\xcd\xe2\xc1\xb4\xb5\xf4\xc1\xcb\r\n";
    for (auto _ : state)
        tq::ui::appendBoxText(&box, line);
}
BENCHMARK(BM_AppendLine)->Arg(0)->Arg(1000)->Arg(300000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
