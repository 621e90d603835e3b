# make run   build Tarnwick.exe and start it (under Wine on Linux)
# make test  unit tests natively under sanitizers, a short fuzz run, end-to-end tests under Wine,
#            then the install test
# make exe   build Tarnwick.exe only
# make bench benchmarks, as ratios measured side by side in one run
# make lint  clang-tidy and cppcheck, clean or failing
# make dist  build/dist: the exe, README and LICENSE zipped, a per-user MSI, SHA256SUMS;
#            signed with SIGN_CERT=cert.pem SIGN_KEY=key.pem
# make install-test  the MSI under Wine: install, upgrade, refusals, uninstall; the downloads
# make fuzz  the settings fuzzer for FUZZ_SECONDS (600)
.PHONY: all deps native fuzz fuzz-build fuzz-short exe unit e2e install-test test run bench lint \
	dist clean

ifeq ($(OS),Windows_NT)
WIN_PRESET := windows
else
WIN_PRESET := win
endif

all: exe

deps:
ifneq ($(OS),Windows_NT)
	@scripts/install-deps
endif

native: deps
	cmake --preset native >/dev/null
	cmake --build --preset native --target unit_tests

exe: deps
	cmake --preset $(WIN_PRESET) >/dev/null
	cmake --build --preset $(WIN_PRESET)

# The settings fuzzer, where clang's libFuzzer is installed: a short run in make test, a
# longer one in make fuzz. Its build also holds the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, so the core is compiled once for both; without libFuzzer the
# unit tests get a sanitized build of their own. Asked when a recipe runs, after deps.
FUZZ_OK = printf 'extern "C" int LLVMFuzzerTestOneInput(const char*,long){return 0;}' | \
	clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null

unit: deps
	p=asan; if $(FUZZ_OK); then p=fuzz; fi; \
	cmake --preset $$p >/dev/null && cmake --build --preset $$p && \
	ctest --test-dir build/$$p --output-on-failure -j2
	$(MAKE) --no-print-directory fuzz-short

fuzz-build: deps
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

e2e: exe
	scripts/run-e2e

# The install test runs Wine too: after the e2e suite, never beside it.
test: unit e2e
	$(MAKE) --no-print-directory install-test

install-test: dist
	tests/install/run

bench: native exe
	cmake --build --preset native --target core_bench
	scripts/run-bench

run: exe
ifeq ($(OS),Windows_NT)
	build/win/Tarnwick.exe
else
	scripts/run
endif

# What users download, named after the version in CMakeLists.txt (scripts/dist).
dist: deps
	cmake --preset $(WIN_PRESET) >/dev/null
	cmake --build --preset $(WIN_PRESET) --target Tarnwick
	SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" scripts/dist

lint: native exe
	scripts/lint

clean:
	rm -rf build
