# screen: 2560x1440x24
# End-to-end case "display_layout", sourced by run_e2e.sh with the helpers of lib.sh.
# What the player sees where: the title procession and avatars; on a
# 2560x1440 window the player drawn where a click reads as the player's
# cell; at 800x600 the command hotbar clicked, a book arriving over an open
# list, the book sent again, and the tracked-creature mark.
shots_as e2e-display-layout
end_client() { kill -INT "$client_pid"; wait "$client_pid"; client_pid=; wait "$server_pid" 2>/dev/null; server_pid=; }
# Each session starts from the same settings: the client rewrites them on leaving.
set_res() {
  printf 'patched=1\nserver=127.0.0.1\naccount=demo\npasswd=demo\nsavepass=1\nname=Demo\nserver_idx=0\n' \
    > "$work/game/client.cfg"
  printf 'res_x=%s\nres_y=%s\n' "$1" "$2" >> "$work/game/client.cfg"
}

# The title screen at 800x600: the procession on the road (the strip's third
# row) and the two avatars are people, outlined in black on a backdrop that
# has none.
set_res 800 600
(cd "$work/game" && exec ./zib < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "intro: title screen" "$work/client.out" || fail "no title screen"
outline() { count "$shots" "$1" "$2+0+0" '(0,0,0)'; }
walking() { shot "$shots" road "608x32+96+416"; [ "$(outline road 608x32)" -gt 300 ]; }
eventually walking || fail "the procession shows $(outline road 608x32) outline pixels: no walking figures"
shot "$shots" avatars_left "96x96+104+230"; shot "$shots" avatars_right "96x96+600+230"
[ "$(outline avatars_left 96x96)" -gt 100 ] || fail "no left title avatar"
[ "$(outline avatars_right 96x96)" -gt 100 ] || fail "no right title avatar"
kill -INT "$client_pid"; wait "$client_pid"; client_pid=

# 2560x1440: the player's health bar (sky blue) marks the player's cell; a
# look at the cell under it is a look at the player's own cell.
set_res 2560 1440
start_play
health_bar() {
  xdotool mousemove 2500 1400  # off the map each time: Allegro may still warp it once
  shot "$shots" wide "2560x1440+0+0"
  bar=$(/usr/bin/convert "$shots/wide.png" -fill black +opaque "rgb(51,153,255)" -trim -format '%w %h %X %Y' info:)
  read -r bw bh bx by <<< "$bar"
  [ "$bw" -ge 60 ] && [ "$bw" -le 64 ] && [ "$bh" -le 8 ]
}
eventually health_bar || fail "no single health bar found: $bar"
px=$(sed -n 's/^X=//p' "$work/srv/chars/Demo.plr"); py=$(sed -n 's/^Y=//p' "$work/srv/chars/Demo.plr")
[ -n "$px" ] && [ -n "$py" ] || fail "no player position"
send_keys l
wait_for "Look ... which direction" "$work/client.out" || fail "no look prompt"
click_until $((${bx#+} + bw / 2)) $((${by#+} + bh + 32)) 1 "^recv\[0\]: s $px $py 0$" "$work/server.log" ||
  fail "a click on the drawn player was not the player's cell"
end_client

# 800x600 with the command hotbar, its last button bound to the inventory.
# The book is held back until the list is open.
set_res 800 600
printf 'command_hotbar=1\nhotbar15=20\n' >> "$work/game/client.cfg"
book="The old road runs along the river.|"
for i in $(seq 1 55); do book+="Line $i of the road book.|"; done
cat > "$work/scenario.txt" <<EOF
send p 1 7 211 80 6 6 1 1 60 0 3
until $work/list-open
book $book
await s 
book $book
EOF
rm -f "$work/server.log"
start_server --scenario "$work/scenario.txt"
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
# The sheet once the tracked creature's row shows its blue gauge.
tracked() { xdotool mousemove 700 580; shot "$shots" sheet "230x450+570+0"; [ "$(count "$shots" sheet 230x450+0+0 '(0,0,254)')" -gt 100 ]; }
eventually tracked || fail "no tracked creature on the sheet"
# The tracked creature's row carries its mark, with no mask colour around it.
[ "$(count "$shots" sheet 230x450+0+0 '(255,0,255)')" = 0 ] || fail "the tracked mark shows its mask colour"
# The slot row stands under the command row; F1's label is on black.
on_black() { xdotool mousemove 120 470; shot "$shots" label "12x8+113+453"; [ "$(/usr/bin/convert "$shots/label.png" \
  -fill black -opaque white -fill white +opaque black -format '%[fx:int(mean*w*h)]' info:)" = 0 ]; }
eventually on_black || fail "the F1 label is not on black"
click_until 437 433 1 "Rearranging inventory" "$work/client.out" ||
  fail "the inventory command button did nothing"
touch "$work/list-open"
wait_for "Viewing book" "$work/client.out" || fail "no book"
[ "$(grep -n "Rearranging inventory" "$work/client.out" | head -1 | cut -d: -f1)" -lt \
  "$(grep -n "Viewing book" "$work/client.out" | head -1 | cut -d: -f1)" ] || fail "the book came before the list opened"
xdotool mousemove 700 580
# Book lines in ink: none between the 20th line and the page numbers, none
# on the frame below the page.
inked() { shot "$shots" book1 "466x296+51+104"; [ "$(count "$shots" book1 466x296+0+0 '(102,51,0)')" -gt 1000 ]; }
eventually inked || fail "no text in the book"
sheet_back() { shot "$shots" "$1" "230x450+570+0"; [ "$(differ "$shots" sheet "$1")" -lt 2000 ]; }
eventually sheet_back panel_book || fail "the list stayed on the panel under the book"
/usr/bin/convert "$shots/book1.png" -crop 466x16+0+258 +repage "$shots/book_gap.png"
/usr/bin/convert "$shots/book1.png" -crop 466x9+0+287 +repage "$shots/book_frame.png"
[ "$(count "$shots" book_gap 466x16+0+0 '(102,51,0)')" = 0 ] || fail "book lines reach the page numbers"
[ "$(count "$shots" book_frame 466x9+0+0 '(102,51,0)')" = 0 ] || fail "book lines reach the frame"
send_keys .
turned() { shot "$shots" book2 "466x296+51+104"; [ "$(differ "$shots" book1 book2)" -gt 500 ]; }
eventually turned || fail "the page did not turn"
send_keys '\033'
wait_for "Done!" "$work/client.out" || fail "ESC did not close the book"
eventually sheet_back after_book || fail "a list is drawn after the book"
# Keys act as in play: the inventory key opens the list, ESC closes it.
send_keys v
listed() { shot "$shots" inv "230x450+570+0"; [ "$(differ "$shots" sheet inv)" -gt 2000 ]; }
eventually listed || fail "the inventory list is not drawn"
[ "$(grep -c "Rearranging inventory" "$work/client.out")" = 2 ] || fail "the inventory key did nothing"
# A look here brings the same book again: it opens at its first spread.
send_keys '\033l '
wait_for "^recv\[0\]: s " "$work/server.log" || fail "no look sent"
eventually seen "Viewing book" 2
[ "$(grep -c "Viewing book" "$work/client.out")" = 2 ] || fail "the second book did not come"
first_spread() { shot "$shots" book3 "466x296+51+104"; [ "$(differ "$shots" book1 book3)" -lt 50 ]; }
eventually first_spread || fail "the book sent again did not open at its first spread"
grep -q "alert:" "$work/client.out" && fail "an alert was raised"
end_client
