# Sourced by with_wine_display.sh: an X server with two monitors, for the tests
# of captures across monitors. Xvfb shows Wine a single monitor; Xorg with the
# dummy video driver gives real heads at chosen places, which Wine reads through
# the Xinerama library. It runs as root, as the fault tests' tmpfs already needs.
#
# The layout, in the coordinates Windows programs see: the primary monitor,
# 1280 x 1024 at (0, 0), and a second one of 1024 x 768 at (-1024, 100), left of
# the primary and lower. The virtual screen is (-1024, 0)-(1280, 1024); its parts
# left of the primary above y 100 and below y 868 lie on no monitor. In X the
# root window is the heads' bounding box, so X coordinates are Windows ones plus
# 1024 in x.

# start_multihead_display BUILD_DIR FD: starts the server, which writes its display
# number to FD; sets xvfb_pid to its process.
start_multihead_display() {
  local conf="$1/xorg-multihead.conf"
  cat >"$conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1280x1024" 109.00 1280 1368 1496 1712 1024 1027 1034 1063 -hsync +vsync
  Modeline "1024x768" 63.50 1024 1072 1176 1328 768 771 775 798 -hsync +vsync
EndSection
Section "Device"
  Identifier "card0"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Device"
  Identifier "card1"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Screen"
  Identifier "primary"
  Device "card0"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1280x1024"
    Virtual 1280 1024
  EndSubSection
EndSection
Section "Screen"
  Identifier "left"
  Device "card1"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
    Virtual 1024 768
  EndSubSection
EndSection
Section "ServerLayout"
  Identifier "two monitors"
  Screen 0 "primary" 1024 0
  Screen 1 "left" 0 100
  Option "Xinerama" "on"
EndSection
CONF
  Xorg -displayfd "$2" -config "$conf" -logfile "$1/xorg-multihead.log" -nolisten tcp -noreset -ac \
    >/dev/null 2>&1 &
  xvfb_pid=$!
}
