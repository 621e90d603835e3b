# make run   build Tarnwick.exe and start it (under Wine on Linux)
# make test  unit tests natively under sanitizers, a short fuzz run and the install test, beside
#            the end-to-end tests under Wine
# make exe   build Tarnwick.exe only
# make bench benchmarks, as ratios measured side by side in one run
# make lint  clang-format, clang-tidy and cppcheck over src, tests and bench, actionlint over
#            the workflows: clean or failing
# make dist  build/dist: the exe, README and LICENSE zipped, a per-user MSI, SHA256SUMS, the
#            winget and Scoop manifests (for downloads from DIST_URL, by default the release
#            page); signed with SIGN_CERT=cert.pem SIGN_KEY=key.pem
# make install-test  the MSI under Wine: install, upgrade, refusals, uninstall; the downloads
# make fuzz  the settings fuzzer for FUZZ_SECONDS (600)
.PHONY: all native exe unit fuzz fuzz-build fuzz-short e2e e2e-build install-test test test-wine \
	test-native run bench lint dist clean

ifeq ($(OS),Windows_NT)
WIN_PRESET := windows
else
WIN_PRESET := win
endif

all: exe

# What each target needs, installed first (as root; otherwise named): scripts/install-deps.
ifeq ($(OS),Windows_NT)
DEPS := true
else
DEPS := scripts/install-deps
endif

native:
	@$(DEPS) native
	cmake --preset native >/dev/null
	cmake --build --preset native --target unit_tests

# The program, and nothing else.
exe:
	@$(DEPS) exe
	cmake --preset $(WIN_PRESET) >/dev/null
	cmake --build --preset $(WIN_PRESET) --target Tarnwick

# The settings fuzzer, where clang's libFuzzer is installed: a short run in make test, a
# longer one in make fuzz. Its build also holds the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, so the core is compiled once for both; without libFuzzer the
# unit tests get a sanitized build of their own. Asked when a recipe runs, after deps.
FUZZ_OK = printf 'extern "C" int LLVMFuzzerTestOneInput(const char*,long){return 0;}' | \
	clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null

unit:
	@$(DEPS) test
	p=asan; if $(FUZZ_OK); then p=fuzz; fi; \
	cmake --preset $$p >/dev/null && cmake --build --preset $$p && \
	ctest --test-dir build/$$p --output-on-failure -j2
	$(MAKE) --no-print-directory fuzz-short

fuzz-build:
	@$(DEPS) fuzz
	@if $(FUZZ_OK); then cmake --preset fuzz >/dev/null && \
	  cmake --build --preset fuzz --target settings_fuzz; \
	else echo "clang's libFuzzer is not installed: the fuzzer is skipped"; fi

fuzz-short: fuzz-build
	@if $(FUZZ_OK); then mkdir -p build/fuzz/corpus && \
	  { build/fuzz/settings_fuzz -max_total_time=20 -max_len=4096 build/fuzz/corpus \
	      2>build/fuzz/short.log || { tail -30 build/fuzz/short.log; exit 1; }; } && \
	  grep -E '^Done|#[0-9]+.*DONE' build/fuzz/short.log | tail -1; fi

fuzz: fuzz-build
	mkdir -p build/fuzz/corpus
	build/fuzz/settings_fuzz -max_total_time=$${FUZZ_SECONDS:-600} -max_len=65536 build/fuzz/corpus

e2e: e2e-build
	scripts/run-e2e

e2e-build:
	@$(DEPS) test
	cmake --preset win >/dev/null
	cmake --build --preset win --target Tarnwick tarnwick_e2e

# The programs first; then the end-to-end suite under Wine beside the native half (the unit
# tests under the sanitizers, a fuzz run, what CI on Windows relies on, then the install test,
# whose Wine has a prefix and a display of its own): the native half keeps the processor busy
# while Wine waits for windows.
test: e2e-build
	$(MAKE) --no-print-directory -j2 --output-sync=target test-wine test-native

test-wine:
	scripts/run-e2e

test-native: unit
	tests/ci/check
	$(MAKE) --no-print-directory install-test

install-test: dist
	@$(DEPS) test
	tests/install/run

bench:
	@$(DEPS) bench
	cmake --preset native >/dev/null && cmake --build --preset native --target core_bench
	cmake --preset win >/dev/null
	cmake --build --preset win --target Tarnwick win32_bench bare_timers bare_window
	scripts/run-bench

run: exe
	@$(DEPS) run
ifeq ($(OS),Windows_NT)
	build/win/Tarnwick.exe
else
	scripts/run
endif

# What users download, named after the version in CMakeLists.txt (scripts/dist).
dist: exe
	@$(DEPS) dist
	SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" DIST_URL="$(DIST_URL)" scripts/dist

# The build folders' compile commands are all the linters need: nothing is built.
lint:
	@$(DEPS) lint
	cmake --preset native >/dev/null && cmake --preset win >/dev/null
	scripts/lint

clean:
	rm -rf build
