# The two commands of the README, and the steps they stand on.
#   make demo  installs what is missing, builds, runs the main job on the sample
#   make test  installs what is missing, builds, runs every test
BUILD := build
SANITIZE_BUILD := build-sanitize
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= 2

.PHONY: all deps build test test-sanitize demo bench clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same suite with AddressSanitizer and UndefinedBehaviorSanitizer; a
# BSTR, VARIANT or SAFEARRAY left unfreed on any path fails it.
test-sanitize: deps
	@cmake -S . -B $(SANITIZE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DXMLXSL_SANITIZE=ON > /dev/null
	@cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# Times export and import at about 1,000, 10,000 and 100,000 fields in an
# optimised build, beside xmllint parsing the same text.
bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DXMLXSL_BUILD_BENCH=ON > /dev/null
	@cmake --build build-bench -j $(JOBS) --target conversion_bench
	build-bench/bin/conversion_bench

demo: build
	$(BUILD)/bin/xmlxsl demo --out out/demo

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-bench out
