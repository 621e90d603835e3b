# make run   build Tarnwick.exe and start it (under Wine on Linux)
# make test  unit tests natively, end-to-end tests of the real exe under Wine
# make exe   build Tarnwick.exe only
# make bench benchmarks, as ratios measured side by side in one run
.PHONY: all deps native exe unit e2e test run bench clean

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

unit: native
	ctest --test-dir build/native --output-on-failure

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

clean:
	rm -rf build
