# The two commands of the README: `make run` and `make test`. Both install what is missing.
BUILD      := build
JOBS       ?= 2

.PHONY: all deps build test soak run smoke-pe32 bench screenshots package clean

all: build

deps:
	@bash scripts/install_deps.sh

# The shipped 32-bit binaries: build/bin/Vistrel.exe, Vistrel.dll, Encoder.dll.
build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@bash scripts/run_tests.sh $(BUILD)

# The reliability suite's load tests with larger counts (takes about ten minutes).
soak: build
	@bash scripts/soak.sh $(BUILD)

run: build
	@bash scripts/run_program.sh $(BUILD)

# The shipped 32-bit build under qemu-user, for machines that cannot run 32-bit code (slow).
smoke-pe32: build
	@bash scripts/smoke_pe32.sh $(BUILD)

# The benchmark (bench/): Vistrel's figures beside the raw floor, xwd, import, scrot
# and cjpeg on a private 1920 x 1080 display; prints and writes docs/performance.md.
bench: build
	@bash bench/run_bench.sh $(BUILD)

# The pictures under docs/: the main window, the capture menu, the settings dialog,
# the About box and the capture mask in each mode, taken from the real program on
# a private display.
screenshots: build
	@bash scripts/screenshots.sh $(BUILD)

# The release package: dist/Vistrel-2.0.0-win32.zip (the three binaries, the user
# guide and the licence) and the installer dist/Vistrel-2.0.0-setup.exe (NSIS).
package: build
	@bash scripts/package.sh $(BUILD)/bin

clean:
	rm -rf $(BUILD) dist
