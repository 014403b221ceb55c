# SPDX-License-Identifier: GPL-3.0-or-later
# Thin wrapper around CMake + Ninja. `make run` and `make test` work on a fresh Debian machine.
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test test-sanitize bench format clean accuracy deb

all: build

# Each step prints one line; its full output goes to a log under the build folder, named and
# shown in part when the step fails.
deps:
	@bash scripts/install-deps.sh $(BUILD)/logs/install.log

$(BUILD)/build.ninja:
	@bash scripts/step.sh "Configuring" $(BUILD)/logs/configure.log \
	  cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD)/build.ninja

build: configure
	@bash scripts/step.sh "Building" $(BUILD)/logs/build.log cmake --build $(BUILD) -j $(JOBS)

# With a display the clock starts; without one the chart of the moment is printed and the wheel
# is written to build/wheel.png.
run: build
	@bash scripts/run.sh $(BUILD)

# The whole suite, headless: offscreen Qt and a private D-Bus session bus.
test: build
	@bash scripts/test.sh $(BUILD) $(JOBS)

test-sanitize: deps
	@bash scripts/step.sh "Configuring the sanitizer build" $(ASAN_BUILD)/logs/configure.log \
	  cmake -S . -B $(ASAN_BUILD) -G Ninja -DHELIODIAL_SANITIZE=ON $(CMAKE_FLAGS)
	@bash scripts/step.sh "Building with the sanitizers" $(ASAN_BUILD)/logs/build.log \
	  cmake --build $(ASAN_BUILD) -j $(JOBS)
	@bash scripts/test.sh $(ASAN_BUILD) $(JOBS) ASAN_OPTIONS=detect_leaks=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

bench: build
	cmake --build $(BUILD) --target benchmarks
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; QT_QPA_PLATFORM=offscreen $$b --benchmark_min_time=0.2; done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-deb

# Accuracy tables for the README: ephemlib against an independent ephemeris (bench-only).
accuracy: deps
	bash scripts/install-accuracy-deps.sh
	cmake -S . -B build-tools -G Ninja -DHELIODIAL_TOOLS=ON $(CMAKE_FLAGS)
	cmake --build build-tools -j $(JOBS)
	@for t in build-tools/tools/tool_*; do echo "== $$t"; $$t; done

# A Debian package for /usr, built apart from the development build: build-deb/heliodial_*.deb.
deb: deps
	cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr $(CMAKE_FLAGS)
	cmake --build build-deb -j $(JOBS)
	cd build-deb && cpack
