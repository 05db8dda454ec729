# The Windows console program, cross-built with mingw-w64:
#   make windows        build-win32/phm210.exe (i686) and build-win64/phm210.exe
#   make test-windows   checks both, then runs the end-to-end suite against the
#                       x86-64 program under Wine (the i686 one is not run: the
#                       kernels here cannot start 32-bit programs)
WIN32_BUILD_DIR ?= build-win32
WIN64_BUILD_DIR ?= build-win64
WINE_TEST_DIR ?= build-wine-e2e

.PHONY: windows test-windows

$(WIN32_BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake

$(WIN64_BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(WIN64_BUILD_DIR) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake

# Only the program: the tools beside it are for the build machine.
windows: $(WIN32_BUILD_DIR)/CMakeCache.txt $(WIN64_BUILD_DIR)/CMakeCache.txt
	cmake --build $(WIN32_BUILD_DIR) --target phm210 -j $(JOBS)
	cmake --build $(WIN64_BUILD_DIR) --target phm210 -j $(JOBS)

# A native build of the tests and the simulated meter, which drive the
# Windows programs.
$(WINE_TEST_DIR)/CMakeCache.txt:
	cmake -S . -B $(WINE_TEST_DIR) \
	  "-DPHM210_WINDOWS_EXES=pei-i386=$(CURDIR)/$(WIN32_BUILD_DIR)/phm210.exe;pei-x86-64=$(CURDIR)/$(WIN64_BUILD_DIR)/phm210.exe"

test-windows: windows $(WINE_TEST_DIR)/CMakeCache.txt
	cmake --build $(WINE_TEST_DIR) -j $(JOBS) --target \
	  phm210_test phm210-sim windows_port_name_test windows_executable_test
	cd $(WINE_TEST_DIR)/tests/windows && ctest --output-on-failure -j $(JOBS)
	./tools/wine/run-e2e.sh $(WINE_TEST_DIR) $(WIN64_BUILD_DIR)/phm210.exe
