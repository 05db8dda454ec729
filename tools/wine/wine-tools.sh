# Sourced by the scripts beside it: where Wine's 64-bit loader and server
# are. Debian's wine64 package keeps them under /usr/lib/wine; the "wine"
# package adds wrappers on the PATH.
PHM210_WINE64=${PHM210_WINE64:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
PHM210_WINESERVER=${PHM210_WINESERVER:-$(command -v wineserver || echo /usr/lib/wine/wineserver)}
export PHM210_WINE64 PHM210_WINESERVER
