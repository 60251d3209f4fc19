# The two commands that do all the set-up on a fresh Debian 12 machine:
#   make test   installs what is missing, builds with the sanitizers and runs every test
#   make demo   installs what is missing, builds everything and runs the demo script in the stand-in host
# and `make bench` for the benchmarks, `make fuzz` for the fuzz targets.

JOBS ?= $(shell nproc)
TEST_DIR := build/test
REL_DIR := build/release
BENCH_DIR := build/bench
FUZZ_DIR := build/fuzz
# Seconds each fuzz target runs; with sixteen targets the default makes a
# little over five minutes in all.
FUZZ_SECONDS ?= 20

.PHONY: all deps fuzz-deps test demo bench fuzz clean

all: test

deps:
	@tools/install-deps.sh

# -g1: line tables and function names, all the sanitizers' stack traces use;
# a third cheaper to compile than -g. The unity batches and the precompiled
# header of the test programs are cmake/QvCompileCost.cmake's. QV_WERROR:
# a warning fails the build (CI runs this target).
$(TEST_DIR)/build.ninja: | deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_WERROR=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g1 -O1"

test: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

$(REL_DIR)/build.ninja: | deps
	cmake -S . -B $(REL_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF

demo: deps $(REL_DIR)/build.ninja
	cmake --build $(REL_DIR) -j $(JOBS)
	cp qvhost/scripts/letter.qmv $(REL_DIR)/
	cd $(REL_DIR) && ./qvhost/qvhost $(CURDIR)/qvhost/scripts/demo.qvs
	@echo "The printed letter, as pdftotext reads $(REL_DIR)/letter.pdf:"
	@pdftotext -layout $(REL_DIR)/letter.pdf - | sed '/^\s*$$/d'

$(BENCH_DIR)/build.ninja: | deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=ON

bench: deps $(BENCH_DIR)/build.ninja
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

fuzz-deps:
	@fuzz/install-deps.sh

$(FUZZ_DIR)/build.ninja: | deps fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQV_BUILD_TESTS=OFF -DQV_FUZZ=ON

# Builds every fuzz target with libFuzzer and the sanitizers and runs each
# for FUZZ_SECONDS; what widens the coverage stays in build/fuzz/corpus, and
# the input of a finding joins the target's folder of fuzz/corpus and fails
# the run.
fuzz: deps fuzz-deps $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target qv_fuzz_targets
	fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

clean:
	rm -rf build
