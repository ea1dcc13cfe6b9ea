# Shared by scripts/test, scripts/demo and scripts/bench: building both architectures, a private
# Xvfb display and a fresh Wine prefix. Source it; it defines functions and changes nothing by itself.

VELMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver

# VELMO_ARCHS narrows the architectures while iterating (default "x64 x86"; CI builds both).
velmo_build() {  # velmo_build BUILD_DIR [CMAKE_ARGS...]
  local build=$1 arch toolchain
  shift
  for arch in ${VELMO_ARCHS:-x64 x86}; do
    toolchain=x86_64
    [ "$arch" = x86 ] && toolchain=i686
    cmake -S "$VELMO_ROOT" -B "$build/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$VELMO_ROOT/cmake/toolchain-$toolchain.cmake" "$@" >"$build/cmake-$arch.log" ||
      { cat "$build/cmake-$arch.log"; return 1; }
    cmake --build "$build/$arch" || return 1
  done
}

# Starts Xvfb on the first free display from 90 on, with the given screen size; sets DISPLAY and
# VELMO_XVFB_PID. Never uses the caller's own display.
velmo_start_xvfb() {  # velmo_start_xvfb WIDTHxHEIGHT
  local size=$1 n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    VELMO_XVFB_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$VELMO_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$VELMO_XVFB_PID" 2>/dev/null
  done
  echo "no free display for Xvfb" >&2
  return 1
}

# Makes a fresh prefix at $1 with the Japanese locale (VELMO_LOCALE chooses another), a virtual
# desktop of the given size, no window-manager stall and a Japanese font behind "ＭＳ Ｐゴシック".
velmo_make_prefix() {  # velmo_make_prefix PREFIX WIDTHxHEIGHT
  local prefix=$1 size=$2 reg
  rm -rf "$prefix"
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=${VELMO_LOCALE:-ja_JP.UTF-8} LC_ALL=${VELMO_LOCALE:-ja_JP.UTF-8}
  "$WINE64" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
  "$WINESERVER" -w
  reg=$(mktemp --suffix=.reg)
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n' "$size"
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n\r\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n"MS PGothic"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n\r\n'
  } | iconv -f UTF-8 -t UTF-16 >"$reg"
  "$WINE64" regedit /S "$(winepath_of "$reg")" >/dev/null 2>&1
  "$WINESERVER" -w
  rm -f "$reg"
}

winepath_of() { echo "Z:${1//\//\\}"; }

# Gives the prefix's user a Desktop folder of sample items for the shell's own desktop view, and
# opens .txt files in Wine's Notepad (a fresh prefix has the "txtfile" class but no ".txt" key). A
# fresh prefix links Desktop to the Unix home: only the link goes, replaced by a real folder, which
# sampledesk.exe (in BIN) fills.
velmo_sample_desktop() {  # velmo_sample_desktop BIN
  local desktop
  desktop="$WINEPREFIX/drive_c/users/$(id -un)/Desktop"
  if [ -L "$desktop" ]; then rm -- "$desktop"; fi
  mkdir -p "$desktop"
  (cd "$1" && "$WINE64" sampledesk.exe >/dev/null 2>&1 </dev/null) || { echo "sampledesk failed" >&2; return 1; }
  "$WINE64" reg add 'HKCR\.txt' /ve /d txtfile /f >/dev/null 2>&1
}

# Keeps one wineserver and the virtual desktop alive for the whole run. They are started here, with
# their output detached, so that no test's pipes are inherited by Wine's long-lived processes.
velmo_start_wine() {  # velmo_start_wine WIDTHxHEIGHT
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  "$WINE64" explorer.exe "/desktop=Default,$1" >/dev/null 2>&1 </dev/null &
  "$WINE64" cmd.exe /c exit >/dev/null 2>&1 </dev/null
}

velmo_stop_all() {
  [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
  [ -n "${VELMO_XVFB_PID:-}" ] && kill "$VELMO_XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  return 0
}
