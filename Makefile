# Set-up, build and test on a fresh Debian 12 machine.
#   make run          install what is missing, build, start the program
#   make test         install what is missing, build, run every test
#   make install      install under PREFIX (default /usr/local); DESTDIR is honoured
#   make package      build the Debian package (build/quorvel64_*.deb)
#   make screenshots  pictures of a first start and of every dialog on a virtual
#                     1280x1024 screen with a window manager, in build/screenshots
BUILD_DIR ?= build
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev \
            libx11-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core \
            dpkg-dev xdg-utils openbox
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
DEMO_DIR := $(BUILD_DIR)/demo

PREFIX ?= /usr/local

.PHONY: deps configure build test run bench clean install package screenshots

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

# The window opens on the demo folder through a settings folder of its own
# (build/run-config, kept between runs), so the user's settings are left alone. Without a display
# the program runs under Xvfb, saves a picture of its window to
# build/quorvel64.png and ends.
RUN_CONFIG := $(abspath $(BUILD_DIR))/run-config
SCREENSHOT := $(abspath $(BUILD_DIR))/quorvel64.png

run: build
	@rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR)
	$(BUILD_DIR)/cli/q64 samples $(DEMO_DIR)
	@mkdir -p $(RUN_CONFIG)/Fenwold
	@ini=$(RUN_CONFIG)/Fenwold/Quorvel64.ini; \
	if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && grep -q '^DefaultDir=' $$ini 2>/dev/null; then \
	  sed -i 's|^DefaultDir=.*|DefaultDir=$(abspath $(DEMO_DIR))|' $$ini; \
	else \
	  printf '[Initialization]\nDefaultDir=%s\nSplash=1\n' "$(abspath $(DEMO_DIR))" > $$ini; \
	fi
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  XDG_CONFIG_HOME=$(RUN_CONFIG) $(BUILD_DIR)/app/quorvel64; \
	else \
	  rt=$$(mktemp -d) && chmod 700 $$rt && rm -f $(SCREENSHOT) && \
	  XDG_CONFIG_HOME=$(RUN_CONFIG) XDG_RUNTIME_DIR=$$rt timeout 120 \
	    xvfb-run -a -s "-screen 0 1024x768x24" $(BUILD_DIR)/app/quorvel64 --screenshot $(SCREENSHOT); \
	  status=$$?; rm -rf $$rt; \
	  if [ -s $(SCREENSHOT) ]; then echo "No display: the window was drawn to $(SCREENSHOT)"; else exit 1; fi; \
	fi

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@ls -1 $(BUILD_DIR)/*.deb

# A first start (fresh settings) on a virtual screen under openbox: the whole
# screen once with the main window, then once per dialog beside it.
SHOTS := $(abspath $(BUILD_DIR))/screenshots
screenshots: build
	@rm -rf $(SHOTS) $(BUILD_DIR)/shots-config $(DEMO_DIR) && mkdir -p $(SHOTS) $(BUILD_DIR)/shots-config $(DEMO_DIR)
	$(BUILD_DIR)/cli/q64 samples $(DEMO_DIR)
	@mkdir -p $(BUILD_DIR)/shots-config/Fenwold
	@printf '[Initialization]\nDefaultDir=%s\nSplash=0\n' "$(abspath $(DEMO_DIR))" > $(BUILD_DIR)/shots-config/Fenwold/Quorvel64.ini
	@rt=$$(mktemp -d) && chmod 700 $$rt && \
	XDG_CONFIG_HOME=$(abspath $(BUILD_DIR))/shots-config XDG_RUNTIME_DIR=$$rt timeout 180 \
	  xvfb-run -a -s "-screen 0 1280x1024x24" sh -c \
	  'openbox >/dev/null 2>&1 & wm=$$!; sleep 1; $(BUILD_DIR)/app/quorvel64 --screenshots $(SHOTS); s=$$?; kill $$wm; exit $$s'; \
	status=$$?; rm -rf $$rt; ls -1 $(SHOTS); exit $$status

bench: build
	@if [ -x $(BUILD_DIR)/bench/q64_bench ]; then $(BUILD_DIR)/bench/q64_bench; else echo "no benchmarks built"; fi

clean:
	rm -rf $(BUILD_DIR)
