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

shot() { import -window root -crop 1024x768+0+0 +repage "$work/$1.png" 2>/dev/null || fail "no picture $1"; }
# Pixels of colour $2 ("(r,g,b)") in the region $1 (WxH+X+Y) of picture $3.
count() {
  /usr/bin/convert "$work/$3.png" -crop "$1" +repage -format %c histogram:info:- |
    awk -v c="$2" 'index($0, c) { n += $1 } END { print n + 0 }'
}
atleast() { [ "$(count "$2" "$3" "$4")" -ge "$1" ] || fail "$5 ($(count "$2" "$3" "$4") pixels)"; }
atmost() { [ "$(count "$2" "$3" "$4")" -le "$1" ] || fail "$5 ($(count "$2" "$3" "$4") pixels)"; }
shift_key() { xdotool keydown shift; sleep 0.15; xdotool key "$1"; sleep 0.15; xdotool keyup shift; }
alt_key() { xdotool keydown alt; sleep 0.15; xdotool key "$1"; sleep 0.15; xdotool keyup alt; }

start_server --scenario "$work/scenario.txt"
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 900 740
wait_for "You have gained a level" 10 "$work/client.out" || fail "no level gain"
shift_key F10
wait_for "Repeat cast on" 5 "$work/client.out" || fail "repeat cast not on"
sleep 0.5; shot start
# The player stands at (5,5) with forest south-west (48-pixel cells, the
# player's at 372,316): grass shows through the trees, not black.
atmost 400 48x48+324+364 '(0,0,0)' start "the forest cell is black under its trees"
# "N  XP=250 Level up! REPEAT-CAST": the notice from x 80, the flag from x 160.
atleast 60 72x8+80+0 '(255,255,255)' start "no level-up notice in the status line"
atleast 60 88x8+160+0 '(255,255,255)' start "no REPEAT-CAST in the status line"

send_keys '?'
wait_for "Viewing help" 5 "$work/client.out" || fail "help did not open"
sleep 0.5; shot help_picture
send_keys '?'; sleep 0.5; shot help_text
send_keys '\033'
atleast 15000 200x100+296+286 '(30,34,60)' help_picture "the help picture is not shown"
atmost 2000 200x100+296+286 '(30,34,60)' help_text "'?' did not turn to the help text"

# The key-bind pages, backwards from the sheet: page 6 names the action of
# the A key, page 5 the F1 combination; ALT and the page key return to the sheet.
shot sheet
shift_key z; sleep 0.5; shot page6
shift_key z; sleep 0.5; shot page5
alt_key z; sleep 0.3; xdotool key z; sleep 0.5; shot sheet_again
atleast 20 64x8+831+25 '(255,255,255)' page6 "page 6 shows no action for the A key"
atleast 20 80x8+825+235 '(255,255,255)' page5 "page 5 shows no name for F1"
differ() { local n; n=$(/usr/bin/compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1); echo "${n%% *}"; }
/usr/bin/convert "$work/sheet.png" -crop 232x440+792+0 +repage "$work/sheet_a.png"
/usr/bin/convert "$work/sheet_again.png" -crop 232x440+792+0 +repage "$work/sheet_b.png"
[ "$(differ sheet_a sheet_b)" -lt 300 ] || fail "ALT and the page key did not return to the sheet"

# The inventory: F1 binds the blade, whose row shows the label; the card,
# the last entry, shows large in the lower panel.
send_keys v
wait_for "Rearranging inventory" 5 "$work/client.out" || fail "the inventory did not open"
xdotool key F1
wait_for "^recv\[0\]: n i 10 181$" 5 "$work/server.log" || fail "F1 not bound"
sleep 0.5; shot bound
xdotool key End
sleep 0.5; shot card_listed
send_keys '\033'
atleast 5 12x8+831+60 '(102,255,102)' bound "the bound blade shows no F1 label"
atleast 2000 170x232+801+454 '(4,68,118)' card_listed "no card in the lower panel"

# Talking to the guard south of the player: his panel lists the topic he
# named; asking about it ends the talk.
send_keys t; sleep 0.3; xdotool key Down
wait_for "Guard: Ask me about" 5 "$work/client.out" || fail "the guard did not talk"
sleep 0.5; shot talk
atleast 20 48x8+38+618 '(255,255,255)' talk "the talk panel does not list 'market'"
atleast 20 32x32+3+636 '(92,92,97)' talk "the talk panel does not show the guard"
send_keys 'market\n'
wait_for "The market opens at dawn" 5 "$work/client.out" || fail "no answer about the market"
wait_for "msg: Bye!" 5 "$work/client.out" || fail "the talk did not end"

# The card table: the blessed card in hand along the bottom of the play area.
wait_for "Entering Quarry Hills" 10 "$work/client.out" || fail "no level change"
sleep 0.8; shot card_table
atleast 2000 88x127+351+532 '(4,68,118)' card_table "no card in hand"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
