# make run       installs what building and running need, builds the program alone and starts it
# make test      installs the test tools too, builds everything and runs the whole test suite
# make sanitize  builds the suite with AddressSanitizer and UndefinedBehaviorSanitizer (leak
#                detection on) in its own folder and runs it
# make install   builds the program and installs it under PREFIX (default /usr/local), inside
#                DESTDIR when that is given: make install PREFIX=/usr DESTDIR=/tmp/stage
# make deb       builds the program and its Debian package, BUILD_DIR/lumivale_<version>_<arch>.deb
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= 2
PREFIX ?= /usr/local

# The builds' own make runs say nothing of the folders they enter and leave.
MAKEFLAGS += --no-print-directory

# A build folder that `make run` configures first leaves the tests out (their tools may not be
# installed); `make test` turns them on, and later runs keep what the folder has.
FIRST_CONFIGURE = $(if $(wildcard $(BUILD_DIR)/CMakeCache.txt),,-DBUILD_TESTING=OFF)

.PHONY: deps deps-run program build run test sanitize install deb clean

deps-run:
	@tools/install_deps.sh run

deps:
	@tools/install_deps.sh test

program: deps-run
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release $(FIRST_CONFIGURE) >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS) --target lumivale

run: program
	@$(BUILD_DIR)/lumivale

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# The fuzz tests are left out here: they are built with the sanitizers in every build.
sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVALE_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j$(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j$(JOBS) -E '_fuzz$$'

install: program
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

deb: program
	@cd $(BUILD_DIR) && cpack -G DEB

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
