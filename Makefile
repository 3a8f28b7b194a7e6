# Entry commands. Each runs the setup script first, so a fresh Debian machine needs
# nothing else (it installs packages as root).
NATIVE := build/native
WIN32 := build/win32
FUZZ := build/fuzz
FUZZ_SECONDS ?= 300
JOBS ?= $(shell nproc)

.PHONY: demo test size dist setup native win32 test-native test-win32 fuzz-build fuzz test-fuzz clean

# The builds depend on the setup, so `make -j` never builds while packages install.
demo: native win32
	python3 scripts/demo.py

test: test-native test-win32 test-fuzz

# Where the player's bytes go: per source file, largest functions, sections, packed size.
size: win32
	python3 scripts/size_report.py --build $(WIN32)

# The Windows release: out/dist/Sinewright-VERSION-win32.zip.
dist: win32
	python3 scripts/dist.py $(WIN32)/bin out/dist

setup:
	bash scripts/setup.sh

native: setup
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j$(JOBS)

win32: setup
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel
	cmake --build $(WIN32) -j$(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j$(JOBS)

test-win32: win32 native
	cd $(WIN32) && ctest --output-on-failure

# libFuzzer targets (clang); findings land in fuzz/findings/<target>/.
fuzz-build: setup
	cmake -S fuzz -B $(FUZZ) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j$(JOBS)

fuzz: fuzz-build
	bash fuzz/run_fuzzers.sh $(FUZZ) $(FUZZ_SECONDS)

test-fuzz: fuzz-build
	bash fuzz/run_fuzzers.sh $(FUZZ) 20

clean:
	rm -rf build out
