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

# What the benchmarks time the scan against.
BENCH_PACKAGES := fio bc

.PHONY: all deps bench-deps install-packages configure build test run bench clean format

all: build

deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(DEB_PACKAGES)"

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

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD)

bench: build bench-deps
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done
	@for s in bench/*.sh; do bash "$$s" $(BUILD); done

format:
	@find src test bench -name '*.h' -o -name '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
