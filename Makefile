# Two commands do everything on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts Nuvelo
#   make test   the same set-up, then the whole test suite
# The Makefile builds with warnings as errors (WERROR=OFF to build past a warning); a build
# configured by hand with cmake keeps them as warnings.
BUILD  ?= build
JOBS   ?= $(shell nproc)
WERROR ?= ON

.PHONY: all deps configure build run test bench screenshots clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUVELO_WERROR=$(WERROR) \
	  -DNUVELO_BUILD_BENCHMARKS=ON

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run-window $(BUILD)/src/nuvelo

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	scripts/run-benchmarks $(BUILD)

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/src/nuvelo-screenshots docs/screenshots

clean:
	rm -rf $(BUILD)
