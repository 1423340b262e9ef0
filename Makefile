# Wrappers around CMake. `make run` and `make test` install what is missing first.
BUILD ?= build
BENCH_BUILD ?= build-bench
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
# Seconds each fuzz harness runs (`make fuzz SECONDS=600`).
SECONDS ?= 60
FUZZERS = fuzz_bmp fuzz_gif fuzz_png fuzz_jpeg fuzz_ico fuzz_emf fuzz_wmf \
          fuzz_color_table fuzz_model_reader fuzz_settings fuzz_cli_options fuzz_project
JOBS ?= $(shell nproc)

.PHONY: all deps configure build build-programs run test test-asan fuzz bench format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Only what `make run` starts: the tests and benchmarks are left for `make test`.
build-programs: configure
	cmake --build $(BUILD) -j $(JOBS) --target tesselka tesselka-cli

run: build-programs
	@bash scripts/run.sh $(BUILD)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The core, the windows and every test under AddressSanitizer and UBSan, at -O1 (fast
# enough to run, still readable in a stack trace); no benchmarks. Leaks are not checked:
# Qt and fontconfig keep their caches to the end on purpose.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	  -DTESSELKA_SANITIZE=ON -DTESSELKA_BUILD_BENCH=OFF
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer harnesses (clang), each run for SECONDS; findings land in $(FUZZ_BUILD)/findings.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTESSELKA_FUZZ=ON -DTESSELKA_BUILD_BENCH=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS)
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(SECONDS) $(FUZZERS)

bench: deps
	cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSELKA_BUILD_TESTS=OFF
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@bash scripts/run-bench.sh $(BENCH_BUILD)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf $(BUILD) $(BENCH_BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
