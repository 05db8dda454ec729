# Thin wrapper around CMake so that the usual commands work from the top.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
JOBS ?= $(shell nproc)

.PHONY: all build test demo bench clean

all: build

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR)

build: $(BUILD_DIR)/CMakeCache.txt
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

demo: build
	./tools/demo.sh $(BUILD_DIR)

$(BENCH_DIR)/CMakeCache.txt:
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DPHM210_BUILD_BENCHMARKS=ON -DPHM210_BUILD_TESTS=OFF

bench: $(BENCH_DIR)/CMakeCache.txt
	cmake --build $(BENCH_DIR) -j $(JOBS)
	./bench/run.sh $(BENCH_DIR)

clean:
	rm -rf build*

# Further targets (other platforms, checks), one file per concern.
-include $(sort $(wildcard mk/*.mk))
