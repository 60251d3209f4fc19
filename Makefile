# The two commands that do all the set-up on a fresh Debian 12 machine:
#   make test   installs what is missing, builds with the sanitizers and runs every test
#   make demo   installs what is missing, builds everything and runs the demo script in the stand-in host
# and `make bench` for the benchmarks.

JOBS ?= $(shell nproc)
TEST_DIR := build/test
REL_DIR := build/release
BENCH_DIR := build/bench

.PHONY: all deps test demo bench clean

all: test

deps:
	@tools/install-deps.sh

$(TEST_DIR)/build.ninja: | deps
	cmake -S . -B $(TEST_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON \
	  -DCMAKE_CXX_FLAGS_DEBUG="-g -O1"

test: deps $(TEST_DIR)/build.ninja
	cmake --build $(TEST_DIR) -j $(JOBS)
	cd $(TEST_DIR) && ctest --output-on-failure -j $(JOBS)

$(REL_DIR)/build.ninja: | deps
	cmake -S . -B $(REL_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF

demo: deps $(REL_DIR)/build.ninja
	cmake --build $(REL_DIR) -j $(JOBS)
	$(REL_DIR)/qvhost/qvhost qvhost/scripts/demo.qvs

$(BENCH_DIR)/build.ninja: | deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=ON

bench: deps $(BENCH_DIR)/build.ninja
	cmake --build $(BENCH_DIR) -j $(JOBS)
	@for b in $(BENCH_DIR)/bench/*_bench; do echo "== $$b"; $$b; done

clean:
	rm -rf build
