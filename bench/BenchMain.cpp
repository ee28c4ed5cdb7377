// The main function of every benchmark program; the program's own source
// files register its benchmarks.

#include "bench/BenchSupport.h"

int main(int argc, char** argv) {
  return vostrel::bench::Main(argc, argv);
}
