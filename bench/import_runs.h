// The two timed runs of the import benchmarks, shared by each import and its
// baseline so that both are timed alike: writing a document into emptied
// tables, and writing the two documents of a benchmark over each other in
// turn. A write is given the document's round (0 or 1).
#pragma once

#include <benchmark/benchmark.h>

namespace benchdocs {

// Each iteration empties the tables with `clear` (not timed), then writes
// document 0.
template <class Clear, class Write>
void WriteIntoEmptyTables(benchmark::State& state, Clear&& clear, Write&& write) {
  for (auto _ : state) {
    state.PauseTiming();
    clear();
    state.ResumeTiming();
    write(0);
  }
}

// Writes document 0 before the timing, then each iteration writes the other
// document over the rows of the last: rounds 1, 0, 1, ...
template <class Write>
void WriteInTurn(benchmark::State& state, Write&& write) {
  write(0);
  int round = 1;
  for (auto _ : state) {
    write(round);
    round = 1 - round;
  }
}

}  // namespace benchdocs
