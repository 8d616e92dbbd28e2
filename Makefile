# The release engine for tools that build engines with make, as testing
# frameworks do: "make EXE=PATH" builds it with CMake and puts it at PATH.
# CMake is the build; this only drives it. The engine reads its opening book
# from its working directory: without one it plays without a book.
EXE ?= pelmot
BUILD_DIR ?= build-make
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all clean
all:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DPELMOT_TESTS=OFF -DCMAKE_CXX_COMPILER=$(CXX)
	cmake --build $(BUILD_DIR) -j$(JOBS) --target pelmot
	mkdir -p "$(dir $(abspath $(EXE)))"
	cp $(BUILD_DIR)/pelmot "$(EXE)"

clean:
	rm -rf $(BUILD_DIR)
