# QUOR — the two set-up commands are `make run` and `make test`.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
JOBS       ?= $(shell nproc)
GENERATOR  := $(shell command -v ninja >/dev/null 2>&1 && echo "-G Ninja")
QUOR       := $(BUILD)/bin/quor

.PHONY: all deps build run test test-asan screenshots fuzz bench format clean

all: build

deps:
	@bash scripts/install-deps.sh

# Warnings are errors in every build made here (and so in CI); a plain
# `cmake -S . -B DIR` leaves them warnings (QUOR_WERROR).
WERROR := -DQUOR_WERROR=ON

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(WERROR)

# quor (the command line) and quor-gui (the windows it starts) and the tests.
build: deps $(BUILD)/CMakeCache.txt
	@grep -q '^QUOR_WERROR:BOOL=ON' $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) $(WERROR)
	cmake --build $(BUILD) -j $(JOBS)

# The launcher where a display is available, the headless main job elsewhere.
run: build
	@bash scripts/run.sh $(QUOR)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-asan

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DQUOR_SANITIZE=ON -DQUOR_BENCH=OFF $(WERROR)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

screenshots: build
	@bash scripts/screenshots.sh $(QUOR)

fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUOR_FUZZ=ON \
	  -DCMAKE_CXX_COMPILER=clang++ $(WERROR)
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@bash scripts/run-fuzzers.sh $(FUZZ_BUILD)/bin 30

# Benchmarks measure what users run: a Release build in its own folder.
bench: deps
	cmake -S . -B $(BENCH_BUILD) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release -DQUOR_TESTS=OFF $(WERROR)
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@bash bench/run.sh $(BENCH_BUILD)/bin

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD)
