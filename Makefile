# Entry points for people and CI. `make run` opens the host with the module on
# the sample database (a headless sample script where there is no display);
# `make test` builds and runs every test; `make package` builds the .deb.
JOBS ?= $(shell nproc)

.PHONY: setup build run test package asan bench clean

setup:
	@bash scripts/setup.sh

build: setup
	@cmake --preset default >/dev/null
	@cmake --build --preset default -j $(JOBS)

run: build
	@bash scripts/run.sh

test: build
	@ctest --preset default

package: build
	@cmake --build --preset default --target package

asan: setup
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)
	@ctest --preset asan

bench: build
	@bash scripts/bench.sh

clean:
	@rm -rf build build-asan build-fuzz
