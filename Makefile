# The two commands of the README, and the steps they stand on.
#   make demo  installs what is missing, builds, runs the main job on the sample
#   make test  installs what is missing, builds, runs every test
BUILD := build
SANITIZE_BUILD := build-sanitize
CMAKE_FLAGS := -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
JOBS ?= 2

.PHONY: all deps build test test-sanitize check-memory demo bench fuzz clean

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

# The end-to-end tests under valgrind's memcheck in the optimised build, the
# xmlxsl programs that the host's tests start included: any memory error or
# definite leak fails, and the logs of the failing processes are shown. The
# soak is left out: valgrind would stretch its minute and a half many times.
MEMCHECK_LOGS := $(abspath $(BUILD))/memcheck
MEMCHECK := valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
  --log-file=$(MEMCHECK_LOGS)/%p.log
check-memory: build
	@rm -rf $(MEMCHECK_LOGS) && mkdir -p $(MEMCHECK_LOGS)
	@status=0; \
	  $(MEMCHECK) $(BUILD)/bin/interface_tests || status=1; \
	  $(MEMCHECK) --trace-children=yes --trace-children-skip='*/flock,*/xmllint' $(BUILD)/bin/host_tests || status=1; \
	  $(MEMCHECK) $(BUILD)/bin/load_tests --gtest_filter='-Soak.*' || status=1; \
	  for log in $$(grep -l 'ERROR SUMMARY: [1-9]' $(MEMCHECK_LOGS)/*.log); do cat "$$log"; status=1; done; \
	  exit $$status

# Times export, import and report at about 1,000, 10,000 and 100,000 fields
# in an optimised build, beside xmllint and xsltproc on the same text.
bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DXMLXSL_BUILD_BENCH=ON > /dev/null
	@cmake --build build-bench -j $(JOBS) --target conversion_bench
	build-bench/bin/conversion_bench

demo: build
	$(BUILD)/bin/xmlxsl demo --out out/demo

# Builds the libFuzzer targets with clang++ (every target of that build
# instrumented) and runs each for FUZZ_SECONDS from its seeds in fuzz/corpus/.
# What a run discovers stays in build-fuzz/corpus/ for the next; an input
# that crashes, leaks, differs or hangs for 10 s lands in build-fuzz/findings/
# and fails the step.
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 60
FUZZERS := import resource_file xsl_template registry_file report_text
.PHONY: fuzz-build $(FUZZERS:%=fuzz-%)

fuzz: $(FUZZERS:%=fuzz-%)

fuzz-build: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DXMLXSL_BUILD_FUZZ=ON > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target $(FUZZERS:%=%_fuzzer)

# The translator steps over double-byte characters only under a double-byte
# code page, the single-byte path being a part of that one.
fuzz-xsl_template: FUZZ_ENV := XMLXSL_ACP=932

$(FUZZERS:%=fuzz-%): fuzz-%: fuzz-build
	@mkdir -p $(FUZZ_BUILD)/corpus/$* $(FUZZ_BUILD)/findings
	@echo "fuzzing $* for $(FUZZ_SECONDS) s"
	@env $(FUZZ_ENV) $(FUZZ_BUILD)/bin/$*_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=$(FUZZ_BUILD)/findings/$*- $(FUZZ_BUILD)/corpus/$* fuzz/corpus/$* > $(FUZZ_BUILD)/$*.log 2>&1 \
	  || { tail -n 60 $(FUZZ_BUILD)/$*.log; exit 1; }
	@grep '^Done' $(FUZZ_BUILD)/$*.log

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-bench $(FUZZ_BUILD) out
