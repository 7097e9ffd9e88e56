# Debian packages the project needs, and a check that installs them.
# Sourced by the other scripts.

# Needed to build and test everything.
KOVESK_PACKAGES="cmake make g++ clang libclang-rt-14-dev pkg-config binutils \
libgtest-dev libsimdjson-dev libxml2-dev libxml2-utils libmimalloc-dev locales dpkg-dev file \
libcpp-httplib-dev \
python3-pyvisa python3-pyvisa-py python3-pytest python3-venv python3-setuptools python3-wheel \
chromium chromium-driver python3-selenium"
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
