# Hardening: fuzz targets (clang, libFuzzer) and the whole suite under the
# address and undefined-behaviour sanitizers (gcc).
#   make fuzz [FUZZ_SECONDS=60]   each fuzz target for FUZZ_SECONDS seconds
#   make test-sanitize            every test, built with -fsanitize=address,undefined
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= $(shell command -v clang++-14 || command -v clang++)
SANITIZE_DIR ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
# Distinct exit statuses, so that a sanitizer report in a program that the
# tests run never passes for the program's own status 1.
# The C library's newlocale keeps the search path it builds from LOCPATH
# (set by the tests that build a French locale): not ours to free.
SANITIZE_ENV := ASAN_OPTIONS=exitcode=86:detect_leaks=1:strict_string_checks=1 \
  LSAN_OPTIONS=suppressions=$(abspath $(SANITIZE_DIR))/lsan-suppressions.txt \
  UBSAN_OPTIONS=print_stacktrace=1:exitcode=87

.PHONY: fuzz fuzz-build test-sanitize

$(FUZZ_DIR)/CMakeCache.txt:
	CXX=$(FUZZ_CXX) cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPHM210_BUILD_FUZZERS=ON -DPHM210_BUILD_TESTS=OFF \
	  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"

fuzz-build: $(FUZZ_DIR)/CMakeCache.txt
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target phm210_fuzzers

fuzz: fuzz-build
	./fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

$(SANITIZE_DIR)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)"

test-sanitize: $(SANITIZE_DIR)/CMakeCache.txt
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	printf 'leak:__newlocale\nleak:__argz_add_sep\n' >$(SANITIZE_DIR)/lsan-suppressions.txt
	cd $(SANITIZE_DIR) && $(SANITIZE_ENV) ctest --output-on-failure -j $(JOBS)
