# Set-up, build and test on a fresh Debian 12 machine.
#   make run          install what is missing, build, start the program
#   make test         install what is missing, build, run every test
#   make fuzz         install clang if missing, build the fuzz targets with libFuzzer
#                     and the sanitizers in build-fuzz, run each for FUZZ_SECONDS
#   make install      install under PREFIX (default /usr/local); DESTDIR is honoured
#   make package      build the Debian package (build/quorvel64_*.deb)
#   make screenshots  pictures of a first start and of every dialog on a virtual
#                     1280x1024 screen with a window manager, in build/screenshots
BUILD_DIR ?= build
PACKAGES := cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev zlib1g-dev \
            libx11-dev libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core \
            libssl-dev libqt6sql6-sqlite dpkg-dev xdg-utils openbox mupen64plus-data lintian appstream
# Only `make fuzz` needs these, so `make test` stays light.
FUZZ_PACKAGES := clang libclang-rt-14-dev
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
DEMO_DIR := $(BUILD_DIR)/demo

PREFIX ?= /usr/local

.PHONY: deps fuzz-deps configure build test run bench fuzz clean install package screenshots

# Installs whichever of the packages in $(1) are missing.
define install_missing
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))

fuzz-deps: deps
	$(call install_missing,$(FUZZ_PACKAGES))

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

# Each target runs for FUZZ_SECONDS on its seeds (fuzz/corpus/NAME) and on the
# inputs that once found a fault (fuzz/regressions/NAME); what it learns goes
# into build-fuzz/corpus/NAME, so the committed seeds stay as they are. A
# finding stops the run and is left in build-fuzz/findings/NAME/: add it to
# fuzz/regressions/NAME so `make test` replays it.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 20
FUZZ_TARGETS := identify ips_parse ips_apply container container_roundtrip dx256 memory_pak parse_number \
                bps dat title sc64_link bps_delta

fuzz: fuzz-deps
	@[ -f $(FUZZ_DIR)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DQ64_FUZZING=ON
	cmake --build $(FUZZ_DIR)
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_DIR)/corpus/$$t $(FUZZ_DIR)/findings/$$t || exit 1; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_DIR)/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/findings/$$t/ \
	    $(FUZZ_DIR)/corpus/$$t fuzz/corpus/$$t fuzz/regressions/$$t || exit 1; \
	done

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
