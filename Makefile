# Front door: `make run` opens the window, `make test` runs the whole suite, `make bench` the benchmarks.
BUILD ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr
# A compiler cache, where one is installed, makes a second build of a fresh clone quick.
CMAKE_FLAGS += $(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

.PHONY: deps configure build run test bench format clean package

deps:
	bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD)

run: build
	./$(BUILD)/kelvora11s5

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j2

bench: build
	QT_QPA_PLATFORM=offscreen ./$(BUILD)/bench/k11_bench

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD)

# Install: `make package` builds kelvora11s5_<version>_<arch>.deb here, from a Release build of
# the two programs alone (no tests) in build-release, with the compiler and linker flags Debian
# builds its packages with (dpkg-buildflags: -O2, hardening); CPack strips the programs.
PACKAGE_BUILD ?= build-release
# e.g. PACKAGE_FLAGS='-DK11_MAINTAINER="Name <address>" -DK11_SCREENSHOT_URL=https://...'
PACKAGE_FLAGS ?=

package:
	WITH_PACKAGE_TOOLS=1 bash scripts/install-deps.sh
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
	  -DK11_TESTS=OFF -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
	  -DCMAKE_CXX_FLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$(dpkg-buildflags --get LDFLAGS)" $(PACKAGE_FLAGS)
	cmake --build $(PACKAGE_BUILD)
	rm -f $(PACKAGE_BUILD)/kelvora11s5_*.deb
	cd $(PACKAGE_BUILD) && cpack -G DEB
	cp $(PACKAGE_BUILD)/kelvora11s5_*.deb .
	lintian --fail-on error --allow-root $(PACKAGE_BUILD)/kelvora11s5_*.deb
