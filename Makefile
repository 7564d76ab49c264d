# Korvane: top-level entry points. `make run` and `make test` install what is missing first.
BUILD      ?= build
BUILD_TYPE ?= Release
JOBS       ?= 2
CMAKE_FLAGS ?=

# Debian packages the build and the tests need.
DEB_PACKAGES := build-essential cmake ninja-build pkg-config \
                qt6-base-dev qt6-base-dev-tools libgl-dev \
                libgtest-dev libgmock-dev googletest libbenchmark-dev \
                xvfb xauth fonts-dejavu-core fonts-dejavu-extra

# What only the tests need: clang and its fuzzing runtime, a guest kernel with QEMU and busybox for
# the Linux back-end suite, and the checkers of the package's desktop, AppStream and polkit files.
TEST_PACKAGES := clang libclang-rt-14-dev qemu-system-x86 linux-image-amd64 busybox-static cpio \
                 appstream desktop-file-utils libxml2-utils man-db

# What the benchmarks time the scan against.
BENCH_PACKAGES := fio bc

.PHONY: all deps test-deps bench-deps install-packages configure build test run bench package fuzz clean format

all: build

deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(DEB_PACKAGES)"

test-deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(TEST_PACKAGES)"

bench-deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(BENCH_PACKAGES)"

install-packages:
	@missing=""; \
	for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq --no-install-recommends $$missing; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

test: test-deps build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every fuzz target for FUZZ_SECONDS each, in a clang build of its own ($(FUZZ_BUILD)).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: test-deps
	@CXX=clang++ CC=clang cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVANE_FUZZ=ON >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)
	@./fuzz/run.sh $(abspath $(FUZZ_BUILD)) $(FUZZ_SECONDS)

# The Debian package, in $(BUILD)/package/.
package: build
	@cpack --config $(BUILD)/CPackConfig.cmake -G DEB -B $(abspath $(BUILD))/package

run: build
	@./scripts/run.sh $(BUILD)

bench: build bench-deps
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	@for s in bench/*.sh; do bash "$$s" $(BUILD); done

format:
	@find src test bench -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
