// Foundation containers: quoting a command line, splitting it again, and sorting an
// argument list. The complexity report shows how each scales with the number of words.
#include <benchmark/benchmark.h>

#include <string>
#include <strings.h>

#include "args.h"

namespace {

void FillWords(List& list, std::int64_t count)
{
    for (std::int64_t i = 0; i < count; ++i)
        ArgAddTail(list, "dir name\\file" + std::to_string((i * 7919) % count) + ".c");
}

void QuoteAndSplit(benchmark::State& state)
{
    List list;
    FillWords(list, state.range(0));
    for (auto _ : state) {
        std::string line = ArgList2String(' ', ArgEscapeSpec, ArgQuoteSpec, list);
        benchmark::DoNotOptimize(ArgSplitCommandLine(line));
    }
    state.SetComplexityN(state.range(0));
    ArgFreeList(list);
}
BENCHMARK(QuoteAndSplit)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

void Sort(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        List list;
        FillWords(list, state.range(0));
        state.ResumeTiming();
        ArgSort(list, strcasecmp);
        state.PauseTiming();
        ArgFreeList(list);
        state.ResumeTiming();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(Sort)->RangeMultiplier(10)->Range(100, 10000)->Complexity();

} // namespace
