# Quick start: `make demo` runs the demo, `make test` runs the tests. Both install what they need.
JOBS ?= $(shell nproc)
PRESET ?= release

.PHONY: all demo test bench fuzz deps format clean

all:
	./scripts/install-deps build test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)

demo:
	./scripts/install-deps build test demo
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)
	./scripts/run-demo build/$(PRESET)

test:
	./scripts/install-deps build test
	cmake --preset $(PRESET)
	cmake --build --preset $(PRESET) -j $(JOBS)
	ctest --preset $(PRESET) -j $(JOBS)

bench:
	./scripts/install-deps build bench
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./scripts/run-bench build/bench

fuzz:
	./scripts/install-deps build fuzz
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)
	./scripts/run-fuzz build/fuzz

format:
	cmake --build --preset $(PRESET) --target format

clean:
	rm -rf build
