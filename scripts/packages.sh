# Installs the Debian packages given as arguments that are not installed yet.
# Sourced by start.sh and test.sh.
ensure_packages() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# What building and running the program needs.
# libqpdf turns the receipt's PDF page into the archive form that may carry
# the e-invoice's XML.
BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins fonts-liberation qt6-translations-l10n libqpdf-dev qpdf)
