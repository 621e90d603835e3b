# make run   build Tarnwick.exe and start it (under Wine on Linux)
# make test  unit tests natively, end-to-end tests of the real exe under Wine
# make exe   build Tarnwick.exe only
# make bench benchmarks, as ratios measured side by side in one run
# make lint  clang-tidy and cppcheck, clean or failing
.PHONY: all deps native asan exe unit e2e test run bench lint dist clean

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
	cmake --build --preset native

exe: deps
	cmake --preset $(WIN_PRESET) >/dev/null
	cmake --build --preset $(WIN_PRESET)

unit: native asan
	ctest --test-dir build/native --output-on-failure -j2
	ctest --test-dir build/asan --output-on-failure -j2

# The unit tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan --target unit_tests

e2e: exe
	scripts/run-e2e

test: unit e2e

bench: native exe
	scripts/run-bench

run: exe
ifeq ($(OS),Windows_NT)
	build/win/Tarnwick.exe
else
	scripts/run
endif

lint: native exe
	scripts/lint

clean:
	rm -rf build
