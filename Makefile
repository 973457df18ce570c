# Two commands do everything on a fresh Debian 12 machine:
#   make run    installs what is missing, builds, starts Nuvelo
#   make test   the same set-up, then the whole test suite
# The Makefile builds with warnings as errors (WERROR=OFF to build past a warning); a build
# configured by hand with cmake keeps them as warnings.
BUILD        ?= build
ASAN_BUILD   ?= build-asan
TSAN_BUILD   ?= build-tsan
FUZZ_BUILD   ?= build-fuzz
JOBS         ?= $(shell nproc)
WERROR       ?= ON
FUZZ_SECONDS ?= 60
FUZZ_CXX     ?= clang++-14

# The sanitized suite: a leak, a bad memory access or undefined behaviour fails the test that
# caused it. Qt is not instrumented; it needs no leak suppressions (what it keeps until exit is
# still reachable, which LeakSanitizer does not report).
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:check_initialization_order=1 \
                UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps configure build run test bench screenshots package asan tsan fuzz clean

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

# The Debian package nuvelo_<version>_<arch>.deb, in this folder: CPack's DEB generator over the
# build, packaged under /usr, its binaries stripped, its dependencies found by dpkg-shlibdeps.
# scripts/check-package builds it, checks it with lintian and installs and removes it.
package: build
	rm -rf $(BUILD)/packages
	cd $(BUILD) && cpack -G DEB -B $(CURDIR)/$(BUILD)/packages
	cp $(BUILD)/packages/nuvelo_*.deb .

# Everything built with AddressSanitizer and UndefinedBehaviorSanitizer, then the whole suite.
# The build runs the test programs too (to list their tests), so it gets the same options.
asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUVELO_SANITIZE=ON
	$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The suites built with ThreadSanitizer, which fails a test on a data race: the engine's and
# nuvelo-cli's programs run whole (less the install tests that need the window's program); the
# window's tests run through ctest (-L gui), each in a process of its own and with the
# environment the ordinary run gives it (offscreen, once more as nobody, at scale factor 2).
# Qt is not instrumented: tests/tsan-qt.supp leaves out what Qt and the libraries under it do
# themselves, so their own threads' false reports go while Nuvelo's code stays checked.
# A process of its own per test also matters here: Qt 6.4 starts a program with
# clone(CLONE_VM|CLONE_VFORK), after which GCC 12's runtime checks nothing more in a process
# that had other threads (and stops it when it starts one). The tests that start a private
# D-Bus do it first, while their process has one thread.
# The runtime cannot lay out its shadow memory when the kernel randomizes mmap with more than 28
# bits ("unexpected memory mapping"); the programs run with address randomization off
# (setarch -R) wherever the machine allows it.
TSAN_ENV    = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
TSAN_QT_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(CURDIR)/tests/tsan-qt.supp
TSAN_RUN    = $(shell setarch $$(uname -m) -R true 2>/dev/null && echo setarch $$(uname -m) -R)
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUVELO_TSAN=ON \
	  -DNUVELO_BUILD_BENCHMARKS=OFF
	$(TSAN_QT_ENV) $(TSAN_RUN) cmake --build $(TSAN_BUILD) -j $(JOBS) \
	  --target engine_tests cli_tests nuvelo-cli gui_tests
	$(TSAN_ENV) $(TSAN_RUN) $(TSAN_BUILD)/tests/engine_tests --gtest_brief=1
	$(TSAN_ENV) $(TSAN_RUN) $(TSAN_BUILD)/tests/cli_tests --gtest_brief=1 \
	  --gtest_filter='-Install.PutsTheWindow*:DebianStaging.*'
	cd $(TSAN_BUILD) && $(TSAN_QT_ENV) $(TSAN_RUN) ctest -L gui --output-on-failure -j $(JOBS)

# The libFuzzer targets, built with Clang, each run for FUZZ_SECONDS from fuzz/corpus/<name>/.
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=$(FUZZ_CXX) \
	  -DNUVELO_BUILD_FUZZERS=ON -DNUVELO_BUILD_TESTS=OFF -DNUVELO_BUILD_BENCHMARKS=OFF
	cmake --build $(FUZZ_BUILD) --target fuzzers -j $(JOBS)
	fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
