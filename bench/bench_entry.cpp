#include "bench/bench_main.h"

int main(int argc, char** argv) {
    return sw::bench::RunBenchmarks(argc, argv);
}
