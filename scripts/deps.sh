# Debian packages the build, the tests and the demo need. Sourced by scripts/test and scripts/demo.
ZELKOVA_PACKAGES=(build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl1-mesa-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsqlite3-dev libpq-dev sqlite3 postgresql
  fonts-ipafont-gothic xvfb xauth imagemagick poppler-utils)
# The Windows cross-builds (scripts/test-windows): mingw-w64 for 64 and 32 bits, GoogleTest's
# sources to build it for Windows, and Wine to run the 64-bit tests.
ZELKOVA_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine64)
# The Windows Qt (scripts/qt-mingw): Debian's qt6-base source unpacked with dpkg-source and built
# with the host Qt's tools; the Windows package (scripts/package-windows) is a zip.
ZELKOVA_QT_MINGW_PACKAGES=(dpkg-dev xz-utils perl file zip g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix)
# The Windows SQLite (scripts/sqlite-mingw): Debian's sqlite3 source, its amalgamation made with
# the host's compiler and tclsh, compiled with mingw-w64.
ZELKOVA_SQLITE_MINGW_PACKAGES=(dpkg-dev xz-utils tcl build-essential g++-mingw-w64-x86-64-posix
  g++-mingw-w64-i686-posix)
# The fuzz targets (scripts/fuzz): clang with its sanitizer run-times and libFuzzer.
ZELKOVA_FUZZ_PACKAGES=(clang libclang-rt-14-dev libfuzzer-14-dev python3)

# Installs ZELKOVA_PACKAGES and any packages named as arguments.
zelkova_install_deps() {
  local missing=()
  for p in "${ZELKOVA_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}

# Downloads Debian's source package $2 at version $3 into folder $1 (apt-get source, without
# unpacking). Without deb-src entries yet, adds them for the same archive and suites as the binary
# packages (as root) and fetches the package lists.
zelkova_debian_source() {
  local dir="$1" pkg="$2" ver="$3"
  # As root apt cannot hand the download to its sandbox user inside the cache folder.
  local fetch=(apt-get -o APT::Sandbox::User=root source -qq --download-only "$pkg=$ver")
  (cd "$dir" && "${fetch[@]}" >/dev/null 2>&1) && return 0
  local list=/etc/apt/sources.list.d/zelkova-deb-src.sources
  if [ "$(id -u)" -ne 0 ]; then
    echo "apt cannot fetch Debian's source of $pkg; add a deb-src entry for the archive in" >&2
    echo "  /etc/apt/sources.list.d/debian.sources and run apt-get update" >&2
    return 1
  fi
  local binlist=/etc/apt/sources.list.d/debian.sources
  if [ -f "$binlist" ]; then
    sed -n 's/^Types:.*\bdeb\b.*/Types: deb-src/;p' "$binlist" > "$list.tmp"
  else
    list="${list%.sources}.list"
    grep -h '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' > "$list.tmp"
  fi
  mv "$list.tmp" "$list"
  echo "added $list; fetching the package lists"
  apt-get update -qq
  (cd "$dir" && "${fetch[@]}" >/dev/null)
}
