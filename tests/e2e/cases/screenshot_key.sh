# End-to-end case "screenshot_key", sourced by run_e2e.sh with the helpers of lib.sh.
# PRTSCR saves the frame as "screenshots/<time>.png" in the game
# directory: an opaque 24-bit picture of the window's size that looks
# like the window itself.
start_play
read -r ww wh <<<"$(xdotool getwindowgeometry "$focused_window" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\)/\1 \2/p')"
[ -n "$wh" ] || fail "no window geometry"
# The window once it shows play: the play area in many colours, the
# messages below it in white.
play_shown() {
  screenshot "$work/window.png" "${ww}x${wh}" || return 1
  [ "$(/usr/bin/convert "$work/window.png" -crop 560x500+0+0 +repage -format %k info:)" -gt 16 ] &&
    [ "$(pixels "$work/window.png" 470x95+0+505 '(255,255,255)')" -gt 500 ]
}
eventually play_shown || fail "the window does not show play"
xdotool key Print
wait_for "Screenshot saved to screenshots/" "$work/client.out" || fail "no screenshot message"
# The picture this key press made, as the message names it.
saved=$(sed -n 's|.*Screenshot saved to \(screenshots/[^ ]*\.png\).*|\1|p' "$work/client.out" | tail -1)
shot="$work/game/$saved"
[ -f "$shot" ] || fail "no file $saved"
[[ "$(basename "$shot")" =~ ^[0-9]{8}-[0-9]{6}\.png$ ]] || fail "file name $(basename "$shot")"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
# The PNG header: width, height, 8 bits per channel, colour type 2 (RGB, no alpha).
read -r pw ph bits ctype <<<"$(od -An -tu1 -j16 -N10 "$shot" | \
  awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $9, $10}')"
[ "$pw $ph" = "$ww $wh" ] || fail "screenshot is ${pw}x${ph}, the window ${ww}x${wh}"
[ "$bits $ctype" = "8 2" ] || fail "screenshot bit depth $bits, colour type $ctype (wanted 8-bit RGB)"
# The play area (left of the side panel, above the messages).
colours=$(/usr/bin/convert "$shot" -crop 560x500+0+0 +repage -format %k info:)
[ "$colours" -gt 16 ] || fail "the play area shows $colours colours"
# The creature wanders and the frame goes on, so most pixels agree, not all.
diff=$(/usr/bin/compare -metric AE -fuzz 10% "$shot" "$work/window.png" null: 2>&1)
diff=${diff%% *}
echo "colours in the play area: $colours; pixels differing from the window: $diff of $((ww * wh))"
[ "$diff" -lt $((ww * wh / 20)) ] 2>/dev/null || fail "screenshot and window differ in $diff pixels"
