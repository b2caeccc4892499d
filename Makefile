# Front door. `make test` and `make run` do all set-up on a fresh Debian 12.
JOBS        ?= $(shell nproc)
BUILD       ?= build
ASAN_BUILD  ?= build-asan
FUZZ_BUILD  ?= build-fuzz
FUZZ_SECONDS ?= 30
CTEST_ARGS  ?=

.PHONY: all deps configure build test test-asan run bench fuzz clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(CTEST_ARGS)

# The unit tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Allegro is built without frame pointers: the slow unwinder lets a leak
# report reach past its allocators to our caller.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DZIB_SANITIZE=ON -DZIB_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=allow_user_segv_handler=0:detect_leaks=1:fast_unwind_on_malloc=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -L unit $(CTEST_ARGS)

# Only what runs: the client with its game directory, pictures and sounds,
# and the development server (the tests and benchmarks are left for `make test`).
RUN_TARGETS := zib game_dir game_pics game_sounds devserver

run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target $(RUN_TARGETS)
	@scripts/run.sh $(BUILD)

bench: build
	@for b in $(BUILD)/bench_* $(BUILD)/*_bench; do [ -x "$$b" ] && "$$b" || true; done

# Each libFuzzer target for FUZZ_SECONDS seconds, built with clang.
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DZIB_FUZZ=ON -DZIB_TESTS=OFF -DZIB_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@scripts/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
