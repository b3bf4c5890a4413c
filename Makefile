# Tarvex: `make run` builds and starts the editor, `make test` builds and runs every test.
BUILD    ?= build
JOBS     ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test sanitize bench fuzz clean

all: build

deps:
	@./scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DTARVEX_TESTS=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tarvex $(or $(FILE),$(BUILD)/sample.dta)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300 -j $(JOBS)

# Every test built and run under AddressSanitizer and UndefinedBehaviorSanitizer,
# any report fatal. Not part of `make test` (it takes a build of its own).
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: deps
	@cmake -S . -B $(BUILD)-sanitize -G Ninja -DTARVEX_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_C_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	@cmake --build $(BUILD)-sanitize -j $(JOBS)
	cd $(BUILD)-sanitize && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=0 \
	  UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

bench: deps
	@cmake -S . -B $(BUILD)-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVEX_TESTS=OFF -DTARVEX_BENCH=ON >/dev/null
	@cmake --build $(BUILD)-bench -j $(JOBS)
	@for b in $(BUILD)-bench/bench/bench_*; do [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

# Fuzz targets run for a bounded time each (FUZZ_SECONDS); never part of `make test`.
# Any sanitizer report stops a target (the targets are built with
# -fno-sanitize-recover=all). An input that finds a fault is written into the
# target's seed corpus, fuzz/corpus/<target>/, so that every later run tries
# it first: keep it there once the fault is mended. Every target runs; the
# rule fails at the end naming those that found a fault.
FUZZ_SECONDS ?= 60
fuzz:
	@./scripts/deps.sh --fuzz
	@CXX=clang++ cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_FUZZ=ON >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@failed=""; for f in $(BUILD)-fuzz/fuzz/fuzz_*; do [ -f "$$f" ] && [ -x "$$f" ] || continue; \
	  name=$$(basename $$f); mkdir -p $(BUILD)-fuzz/corpus/$$name fuzz/corpus/$$name; \
	  echo "== $$name"; \
	  ASAN_OPTIONS=halt_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  "$$f" -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=fuzz/corpus/$$name/ \
	    $(BUILD)-fuzz/corpus/$$name fuzz/corpus/$$name || failed="$$failed $$name"; done; \
	if [ -n "$$failed" ]; then echo "fuzz targets that found a fault:$$failed"; exit 1; fi; \
	echo "every fuzz target ran clean"

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-fuzz $(BUILD)-sanitize
