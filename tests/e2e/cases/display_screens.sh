# End-to-end case "display_screens", sourced by run_e2e.sh with the helpers of lib.sh.
# The screens a player reaches in one session at 1024 by 768, each checked in
# a screenshot: the forest beside the start cell, the status line after a
# level gain and the repeat-cast key, the help picture and its text page,
# the two key-bind pages, a hotkey bound in the inventory list and a card in
# the lower panel, a talking guard's panel with the topic he names, and the
# hand of cards on a card-table level.
printf 'res_x=1024\nres_y=768\n' >> "$work/game/client.cfg"
{
  echo 'wait 300'
  echo 'creature 170 20c 0 1 Guard'
  echo 'send I 20000811..Fire_Drake 1'
  # Experience enough for the second level, then the level gain.
  echo 'send H 5 5 1 0 1 200 21 0 0 0 21 25 10.0 0 22 25.0 25.0 25.0 500 250 1 0 0 1'
  echo 'send X 0 1'
  echo 'await t '
  echo 'send T 170'
  printf 'send MsGuard: Ask me about the \026market\020.\n'
  printf 'await T\037170\037\n'
  echo 'send MsGuard: The market opens at dawn.'
  echo 'send V'
  # Level two as a card table (the level flag, the last field).
  echo 'send K 0 2 2 5 5 0 0 1'
} > "$work/scenario.txt"

# The pictures are of the whole 1024x768 window, kept in the case's own folder.
# At least (or at most) $1 pixels of colour $3 in the region $2 of picture $4, else fails saying $5.
atleast() { [ "$(count "$work" "$4" "$2" "$3")" -ge "$1" ] || fail "$5 ($(count "$work" "$4" "$2" "$3") pixels)"; }
atmost() { [ "$(count "$work" "$4" "$2" "$3")" -le "$1" ] || fail "$5 ($(count "$work" "$4" "$2" "$3") pixels)"; }

start_server --scenario "$work/scenario.txt"
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
geometry=$(xdotool getwindowgeometry "$focused_window")
echo "$geometry" | grep -q "Geometry: 1024x768" || fail "window geometry: $geometry"
xdotool mousemove 900 740
wait_for "You have gained a level" "$work/client.out" || fail "no level gain"
mod_key shift F10
wait_for "Repeat cast on" "$work/client.out" || fail "repeat cast not on"
# "N  XP=250 Level up! REPEAT-CAST": the notice from x 80, the flag from x 160.
status_line() {
  shot "$work" start 1024x768
  [ "$(count "$work" start 72x8+80+0 '(255,255,255)')" -ge 60 ] &&
    [ "$(count "$work" start 88x8+160+0 '(255,255,255)')" -ge 60 ]
}
eventually status_line || fail "no level-up notice or no REPEAT-CAST in the status line"
# The player stands at (5,5) with forest south-west (48-pixel cells, the
# player's at 372,316): grass shows through the trees, not black.
atmost 400 48x48+324+364 '(0,0,0)' start "the forest cell is black under its trees"

send_keys '?'
wait_for "Viewing help" "$work/client.out" || fail "help did not open"
# Pixels of the help picture's backdrop at least ($1 -ge) or at most (-le) $2 in picture $3.
backdrop() { shot "$work" "$3" 1024x768; [ "$(count "$work" "$3" 200x100+296+286 '(30,34,60)')" "$1" "$2" ]; }
eventually backdrop -ge 15000 help_picture || fail "the help picture is not shown"
send_keys '?'
eventually backdrop -le 2000 help_text || fail "'?' did not turn to the help text"
send_keys '\033'

# The key-bind pages, backwards from the sheet: page 6 names the action of
# the A key, page 5 the F1 combination; ALT and the page key return to the sheet.
# At least $4 pixels of colour $3 in region $2 of a new picture $1.
shows() { shot "$work" "$1" 1024x768; [ "$(count "$work" "$1" "$2" "$3")" -ge "$4" ]; }
panel() { shot "$work" "$1" 1024x768; /usr/bin/convert "$work/$1.png" -crop 232x440+792+0 +repage "$work/$1_panel.png"; }
sheet_back() { panel sheet_again; [ "$(differ "$work" sheet_panel sheet_again_panel)" -lt 300 ]; }
panel sheet
mod_key shift z
eventually shows page6 64x8+831+25 '(255,255,255)' 20 || fail "page 6 shows no action for the A key"
mod_key shift z
eventually shows page5 80x8+825+235 '(255,255,255)' 20 || fail "page 5 shows no name for F1"
mod_key alt z
xdotool key z
eventually sheet_back || fail "ALT and the page key did not return to the sheet"

# The inventory: F1 binds the blade, whose row shows the label; the card,
# the last entry, shows large in the lower panel.
send_keys v
wait_for "Rearranging inventory" "$work/client.out" || fail "the inventory did not open"
xdotool key F1
wait_for "^recv\[0\]: n i 10 181$" "$work/server.log" || fail "F1 not bound"
eventually shows bound 12x8+831+60 '(102,255,102)' 5 || fail "the bound blade shows no F1 label"
xdotool key End
eventually shows card_listed 170x232+801+454 '(4,68,118)' 2000 || fail "no card in the lower panel"
send_keys '\033'

# Talking to the guard south of the player: his panel lists the topic he
# named; asking about it ends the talk.
send_keys t; xdotool key Down
wait_for "Guard: Ask me about" "$work/client.out" || fail "the guard did not talk"
eventually shows talk 48x8+38+618 '(255,255,255)' 20 || fail "the talk panel does not list 'market'"
atleast 20 32x32+3+636 '(92,92,97)' talk "the talk panel does not show the guard"
send_keys 'market\n'
wait_for "The market opens at dawn" "$work/client.out" || fail "no answer about the market"
wait_for "msg: Bye!" "$work/client.out" || fail "the talk did not end"

# The card table: the blessed card in hand along the bottom of the play area.
wait_for "Entering Quarry Hills" "$work/client.out" || fail "no level change"
eventually shows card_table 88x127+351+532 '(4,68,118)' 2000 || fail "no card in hand"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
grep -q "alert:" "$work/client.out" && fail "an alert was raised"
