# make run       builds the program and starts it
# make test      builds everything and runs the whole test suite
# make sanitize  builds the suite with AddressSanitizer and UndefinedBehaviorSanitizer (leak
#                detection on) in its own folder and runs it
BUILD_DIR ?= build
SANITIZE_DIR ?= build-sanitize
JOBS ?= 2

.PHONY: deps build run test sanitize clean

deps:
	@tools/install_deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@$(BUILD_DIR)/lumivale

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

# The fuzz tests are left out here: they are built with the sanitizers in every build.
sanitize: deps
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLUMIVALE_SANITIZE=ON >/dev/null
	@cmake --build $(SANITIZE_DIR) -j$(JOBS)
	@cd $(SANITIZE_DIR) && ctest --output-on-failure -j$(JOBS) -E '_fuzz$$'

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR)
