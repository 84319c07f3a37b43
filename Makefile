# make run   builds the program and starts it
# make test  builds everything and runs the whole test suite
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: deps build run test clean

deps:
	@tools/install_deps.sh

build: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@$(BUILD_DIR)/lumivale

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD_DIR)
