# Installation and the Debian package.
#   make install                 into /usr/local (PREFIX=... elsewhere; DESTDIR
#                                is honoured as well)
#   make package                 $(BUILD_DIR)/phm210_<version>_<arch>.deb
PREFIX ?= /usr/local

.PHONY: install package

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

package: build
	cd $(BUILD_DIR) && cpack -G DEB
