# The two commands of the README, and the steps they stand on. Each build
# tree is a preset of CMakePresets.json; each step installs only what it
# needs (scripts/install-deps names the packages of each purpose).
#   make demo  installs what building and the demo need, builds, runs the main job on the sample
#   make test  installs what the tests need as well, builds, runs every test
JOBS ?= 2

.PHONY: all demo test test-sanitize check-memory bench fuzz clean package-build install package check-install

all: demo

# Configures a tree from its preset; $(1) names the preset, $(2) adds options.
configure = cmake --preset $(1) $(2) > /dev/null

demo:
	@scripts/install-deps demo
	@$(call configure,default)
	@cmake --build build -j $(JOBS) --target xmlxsl_host
	build/bin/xmlxsl demo --out out/demo

test:
	@scripts/install-deps test
	@$(call configure,default,-DXMLXSL_TESTS=ON)
	@cmake --build build -j $(JOBS)
	ctest --test-dir build --output-on-failure -j $(JOBS)

# The same suite with AddressSanitizer and UndefinedBehaviorSanitizer; a
# BSTR, VARIANT or SAFEARRAY left unfreed on any path fails it.
test-sanitize:
	@scripts/install-deps sanitize
	@$(call configure,sanitize)
	@cmake --build build-sanitize -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir build-sanitize --output-on-failure -j $(JOBS)

# The end-to-end tests under valgrind's memcheck in the optimised build, the
# xmlxsl programs that the host's tests start included: any memory error or
# definite leak fails, and the logs of the failing processes are shown. The
# tests replace operator new to run out of memory on purpose; valgrind is told
# to leave that replacement in place and watch the malloc beneath it.
MEMCHECK_LOGS := $(abspath build)/memcheck
MEMCHECK := valgrind --soname-synonyms=somalloc=nouserintercepts --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
  --log-file=$(MEMCHECK_LOGS)/%p.log
check-memory:
	@scripts/install-deps memory
	@$(call configure,default,-DXMLXSL_TESTS=ON)
	@cmake --build build -j $(JOBS)
	@rm -rf $(MEMCHECK_LOGS) && mkdir -p $(MEMCHECK_LOGS)
	@status=0; \
	  $(MEMCHECK) build/bin/interface_tests || status=1; \
	  $(MEMCHECK) --trace-children=yes --trace-children-skip='*/flock,*/xmllint' build/bin/host_tests || status=1; \
	  for log in $$(grep -l 'ERROR SUMMARY: [1-9]' $(MEMCHECK_LOGS)/*.log); do cat "$$log"; status=1; done; \
	  exit $$status

# Times export, import and report at about 1,000, 10,000, 100,000 and 400,000 fields
# in an optimised build, beside xmllint and xsltproc on the same text; then
# the program's tools (diff, channels, check) beside an import.
bench:
	@scripts/install-deps bench
	@$(call configure,bench)
	@cmake --build build-bench -j $(JOBS) --target conversion_bench diff_bench tools_bench
	build-bench/bin/conversion_bench
	build-bench/bin/diff_bench
	build-bench/bin/tools_bench

# Builds the libFuzzer targets with clang++ (every target of that build
# instrumented) and runs each for FUZZ_SECONDS from its seeds in fuzz/corpus/.
# What a run discovers stays in build-fuzz/corpus/ for the next; an input
# that crashes, leaks, differs or hangs for 10 s lands in build-fuzz/findings/
# and fails the step.
FUZZ_SECONDS ?= 60
FUZZERS := import resource_file xsl_template registry_file report_text
.PHONY: fuzz-build $(FUZZERS:%=fuzz-%)

fuzz: $(FUZZERS:%=fuzz-%)

fuzz-build:
	@scripts/install-deps fuzz
	@$(call configure,fuzz)
	@cmake --build build-fuzz -j $(JOBS) --target $(FUZZERS:%=%_fuzzer)

# The translator steps over double-byte characters only under a double-byte
# code page, the single-byte path being a part of that one.
fuzz-xsl_template: FUZZ_ENV := XMLXSL_ACP=932

$(FUZZERS:%=fuzz-%): fuzz-%: fuzz-build
	@mkdir -p build-fuzz/corpus/$* build-fuzz/findings
	@echo "fuzzing $* for $(FUZZ_SECONDS) s"
	@env $(FUZZ_ENV) build-fuzz/bin/$*_fuzzer -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	  -artifact_prefix=build-fuzz/findings/$*- build-fuzz/corpus/$* fuzz/corpus/$* > build-fuzz/$*.log 2>&1 \
	  || { tail -n 60 build-fuzz/$*.log; exit 1; }
	@grep '^Done' build-fuzz/$*.log

# The installation, optimised and laid out as Debian lays out a library
# (lib/<arch>/), from the package preset's tree build-package/:
#   make install PREFIX=DIR  installs it under DIR (default /usr/local)
#   make package             makes the three Debian packages in build-package/
#   make check-install       checks a temporary installation, the example
#                            built against it alone, and the packages
PREFIX ?= /usr/local

package-build:
	@scripts/install-deps package
	@$(call configure,package)
	@cmake --build build-package -j $(JOBS)

install: package-build
	cmake --install build-package --prefix $(PREFIX)

package: package-build
	cd build-package && cpack -G DEB

check-install: package-build
	scripts/check-install build-package

clean:
	rm -rf build build-sanitize build-bench build-fuzz build-package out
