# Sourced by the scripts in tools/: installs the Debian packages a step needs,
# only those that are missing, with apt-get (as root, or through sudo), and
# starts an X server of our own.

# Packages to build and start the Linux program.
RUN_PACKAGES="cmake ninja-build g++ pkgconf qt6-base-dev libharfbuzz-dev qt6-qpa-plugins qt6-translations-l10n
  fonts-wqy-microhei"
# Packages to build and run every test, the Windows program's under Wine too,
# its setup program (nsis), the Linux program's on Wayland (a headless weston
# and Qt's plugin), and its Han characters drawn with a pan-CJK font under
# other languages' locales (fonts-noto-cjk, locales), and its signature
# with a throwaway certificate (openssl, osslsigncode), and a fresh run of
# the Chinese calendar table's generator to compare with the committed table
# (python3-ephem).
# 32-bit Wine installs on every amd64 host, even where the kernel cannot run it.
TEST_PACKAGES="$RUN_PACKAGES libgtest-dev libgmock-dev xvfb xauth x11-utils clang-14 libclang-rt-14-dev
  libbenchmark-dev libx11-dev xdotool appstream desktop-file-utils dpkg-dev bc python3 lintian devscripts
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 wine32:i386 imagemagick
  weston qt6-wayland nsis fonts-noto-cjk locales openssl osslsigncode python3-ephem"

ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  case " ${missing[*]} " in
    *":i386 "*)
      dpkg --print-foreign-architectures | grep -qx i386 || "${sudo[@]}" dpkg --add-architecture i386 ;;
  esac
  # A mirror caught mid-sync fails one index; the others still serve.
  "${sudo[@]}" apt-get update -q || echo "apt-get update failed in part; installing from the lists it has" >&2
  local install=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends)
  "${install[@]}" "${missing[@]}" && return 0
  # The i386 packages (32-bit Wine) need their index to match the amd64
  # one; when it does not, install the rest, and the tests that need them
  # are skipped with the reason that they are missing.
  local native=()
  for pkg in "${missing[@]}"; do [[ $pkg == *:i386 ]] || native+=("$pkg"); done
  [ ${#native[@]} -lt ${#missing[@]} ] || return 1
  echo "Installing without the i386 packages, which apt-get could not install" >&2
  "${install[@]}" "${native[@]}"
}

# Starts Xvfb on the first free display from $1 on, exports DISPLAY, and
# stops the server when the calling script exits (with whatever else its
# EXIT trap, passed as $2, does).
start_xvfb() {
  local first=$1 on_exit=${2:-} n display=
  for n in $(seq "$first" $((first + 30))); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
  done
  Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  # shellcheck disable=SC2064
  trap "kill $XVFB_PID 2>/dev/null || true; $on_exit" EXIT
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb did not start on $display" >&2
  return 1
}
