# Debian packages the project needs, and a check that installs them.
# Sourced by the other scripts.

# Needed to build (the build tree is configured with its tests, so their
# libraries too).
KOVESK_BUILD_PACKAGES="cmake make g++ pkg-config binutils libgtest-dev libsimdjson-dev \
libxml2-dev libcpp-httplib-dev libmimalloc-dev"
# Needed to run every test: the fuzzing and sanitizer runtimes, xmllint, the
# German locale's tools, the package checks, the PyVISA recorder's and the
# browser view's tests.
KOVESK_TEST_PACKAGES="clang libclang-rt-14-dev libxml2-utils locales dpkg-dev file \
python3-pyvisa python3-pyvisa-py python3-pytest python3-venv python3-setuptools python3-wheel \
chromium chromium-driver python3-selenium"
KOVESK_PACKAGES="$KOVESK_BUILD_PACKAGES $KOVESK_TEST_PACKAGES"
# Needed only for the benchmarks.
KOVESK_BENCH_PACKAGES="libbenchmark-dev xxd"

# kovesk_require PACKAGE...: installs what is missing (as root, or through
# sudo when it needs no password), or stops at once naming the command.
kovesk_require() {
    local missing=()
    local package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing missing Debian packages: ${missing[*]}" >&2
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
            sudo="sudo"
        else
            echo "error: missing Debian packages: ${missing[*]}" >&2
            echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
            exit 1
        fi
    fi
    $sudo apt-get update -qq >&2 &&
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2 || {
        echo "error: could not install: ${missing[*]}" >&2
        echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    }
}
