# Set-up, build and test on a fresh Debian 12 machine.
#   make run    install what is missing, build, start the program
#   make test   install what is missing, build, run every test
BUILD_DIR ?= build
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev \
            libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
DEMO_DIR := $(BUILD_DIR)/demo

.PHONY: deps configure build test run bench clean

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

$(BUILD_DIR)/build.ninja:
	cmake -S . -B $(BUILD_DIR) -G Ninja

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300

run: build
	@rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR)
	$(BUILD_DIR)/cli/q64 samples $(DEMO_DIR)
	$(BUILD_DIR)/cli/q64 list $(DEMO_DIR)

bench: build
	@if [ -x $(BUILD_DIR)/bench/q64_bench ]; then $(BUILD_DIR)/bench/q64_bench; else echo "no benchmarks built"; fi

clean:
	rm -rf $(BUILD_DIR)
