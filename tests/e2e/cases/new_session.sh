# timeout: 1200
# End-to-end case "new_session", sourced by run_e2e.sh with the helpers of lib.sh.
# A session that ends half way through leaves nothing of the server's for the
# next one, and the player's own things stay. Demo has 450 experience, so
# each market server offers him level 3 (two points).
#
# Session 1: he binds the crosshair to k and switches it on, turns the music
# down, whispers to the Guide (who whispers back), walks, marks the staff in
# the drop list and pages the message box back when his server goes down:
# the prompt shows all the same.
# Session 2, logged in again by keys: two points to spend, not four; the drop
# takes the row under the cursor; k switches the crosshair off; the volume
# page shows the music as he left it; the chat line recalls his typed line;
# CTRL+T answers the Guide; session 1's lines are still in the box. He buys
# a sling from Hobb and his server goes down before the list is closed.
# A session that ends after the handshake, before any level, leaves the
# minimap cache of the level walked alone.
# Session 3: the closed list sends no purchase and costs no gold; he strikes
# the goblin and spends one of his two points when his server goes down.
# Session 4: no damage figures and no point spent; he pages the box back and
# ends the session from the menu. Session 5 opens the box on its newest line.
shots_as e2e-new_session

# The white text of a region of picture $2 ($1: WxH+X+Y), as a checksum: the
# same words at the same place, whatever the background.
text_sum() {
  /usr/bin/convert "$shots/$2.png" -crop "$1" +repage -fill black +opaque white rgb:- 2>/dev/null |
    md5sum | cut -c1-32
}
# Row $2 (0 top .. 7 bottom) of the message box in picture $1.
msg_row() { text_sum "470x10+0+$((506 + 10 * $2))" "$1"; }
# The whole message box of picture $1.
msg_box() { text_sum 470x80+0+506 "$1"; }
# The stats page's DPS row and the volume page's music row.
dps_row() { text_sum 230x10+570+294 "$1"; }
music_row() { text_sum 400x10+0+78 "$1"; }
# White pixels in region $1 of picture $2.
white_in() { count "$shots" "$2" "$1" "(255,255,255)"; }
# The open list's cursor row is a black band across the side panel.
list_open() { shot "$shots" "$1" && [ "$(count "$shots" "$1" 220x10+575+59 "(0,0,0)")" -ge 1500 ]; }
# Takes picture $1 and succeeds when the text of $2 (a function above) in it
# is $3, or, with "!=" as $4, is not.
shows() {
  shot "$shots" "$1" || return 1
  if [ "${4:-}" = "!=" ]; then [ "$($2 "$1")" != "$3" ]; else [ "$($2 "$1")" = "$3" ]; fi
}
# The wait for a key after the connection closed draws only the message box:
# the rest of the window is black.
prompt_drawn() {
  shot "$shots" "$1" || return 1
  [ "$(/usr/bin/convert "$shots/$1.png" -crop 800x500+0+0 +repage -fill white +opaque black \
    -format "%[fx:round(mean*w*h)]" info:)" = 0 ]
}

# The stored character: made by a first server, given his experience.
start_server --market
kill "$server_pid"; wait "$server_pid"; server_pid=
rm -f "$work/server.log"
chr=$(grep -l "^NAME=Demo$" "$work"/srv/chars/* | head -1)
[ -n "$chr" ] || fail "no stored Demo"
sed -i 's/^XP=.*/XP=450/' "$chr"

# The prompts "Press q to quit." and the title screens shown so far.
prompts=0
titles=0
# From the client's "Press q to quit.": q, and the session's end is over
# (its settings and minimap saved) once the title screen shows.
quit_to_title() {
  send_keys q
  eventually seen "intro: title screen" $((++titles)) || fail "no title screen"
}
# In again by keys through the menu and the login form, to the server of
# the server list's first row; waits for the state the command $1 tests.
log_in() {
  send_keys x; eventually seen "intro: menu" "$titles" || fail "no menu"
  send_keys j; eventually seen "intro: login form" "$titles" || fail "no login form"
  # From the first field (the form keeps the last one chosen): the stored
  # name, account and password, the server, Enter.
  xdotool key Up Up Up Up Up; send_keys '\n\n\n\n\n'
  eval "$1" || fail "the login did not come to '$1'"
  xdotool mousemove 700 580
}
# The server goes down; the client, told so, shows its prompt, kept as
# picture prompt_$1; a new server is up before the player logs in again.
server_down() {
  kill "$server_pid"; wait "$server_pid"; server_pid=
  said "Press q to quit." $((++prompts))
  eventually prompt_drawn "prompt_$1" || fail "no prompt drawn after session $1"
  mv "$work/server.log" "$work/server.$1.log"
  start_server --market
  quit_to_title
  log_in 'wait_for "ready\[0\]: Demo" "$work/server.log"'
}

# ---- Session 1 ----
start_server --market
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
logged "^send\[0\]: X 3 2$"
said "You have gained a level!"
said "Guide (whisper): Press ? for help"
# The stats page before any blow: its DPS row, to be seen again in session 4.
dps_drawn() { shot "$shots" start && [ "$(white_in 230x10+570+294 start)" -gt 0 ]; }
eventually dps_drawn || fail "no stats page"
dps0=$(dps_row start)
# The crosshair on the k key, then on.
xdotool key F12; send_keys kd; said "Press new key for [Crosshair: y]"
send_keys k; said "Crosshair set to key [k]"
n=$(( $(keys_taken) + 2 )); xdotool key Escape Escape; wait_keys "$n" || fail "the menu did not close"
send_keys k; said "Crosshair on"
# The music one step down, as the volume page shows it.
xdotool key F12; send_keys v
# The page's first line crosses x 100..300 at y 50, where no line of the
# main menu reaches.
volume_page() { shot "$shots" "$1" && [ "$(white_in 200x8+100+50 "$1")" -ge 40 ]; }
eventually volume_page volume1 || fail "no volume page"
music_before=$(music_row volume1)
send_keys a
eventually shows volume1 music_row "$music_before" "!=" || fail "the music volume did not change"
music1=$(music_row volume1)
# Nothing printed since, the box's newest row is "Crosshair on".
crosshair_on=$(msg_row volume1 7)
n=$(( $(keys_taken) + 2 )); xdotool key Escape Escape; wait_keys "$n" || fail "the menu did not close"
# A line typed in the chat line, which the Guide answers with a whisper.
send_keys '\n'; send_keys '/msg Guide hello\n'
logged "^recv\[0\]: T /msg Guide hello$"
said "Guide (whisper): Ask the guard"
# A few steps, so that the level's minimap has cells to keep.
walk_to 5 7 || fail "could not walk"
walk_to 5 5 || fail "could not walk back"
# The box paged back; what is printed from now on shows only at its newest
# line.
shot "$shots" unpaged
n=$(( $(keys_taken) + 1 )); xdotool key Prior; wait_keys "$n" || fail "PGUP was not taken"
eventually shows paged msg_box "$(msg_box unpaged)" "!=" || fail "PGUP did not page the box back"
send_keys d; said "Drop ... select item ..."
n=$(( $(keys_taken) + 1 )); send_keys d; wait_keys "$n" || fail "the second d was not taken"
server_down 1
[ -s "$work/game/cmaps/Demo.001.mm" ] || fail "no minimap cached after session 1"

# ---- Session 2 ----
logged "^send\[0\]: X 3 2$"
said "You have gained a level!" 2
mod_key ctrl F2
said "You have 2 point(s) to distribute."
grep -qF "You have 4 point(s) to distribute." "$work/client.out" && fail "the last session's points came along"
xdotool key Escape; said "Level up canceled."
send_keys d; said "Drop ... select item ..." 2
n=$(( $(keys_taken) + 1 )); xdotool key Down; wait_keys "$n" || fail "Down was not taken"
send_keys '\n'
said "Selected "
grep -qF "Selected alder staff" "$work/client.out" && fail "the last session's mark was dropped"
xdotool key space
wait_for "^recv\[0\]: d 5 5 " "$work/server.log" || fail "no drop line"
grep -q "^recv\[0\]: d 5 5 0000018a " "$work/server.log" && fail "the staff was dropped"
# The key he bound, the crosshair he switched on.
send_keys k; said "Crosshair off"
# The music as he set it.
xdotool key F12; send_keys v
eventually volume_page volume2 || fail "no volume page"
eventually shows volume2 music_row "$music1" || fail "the volume page shows another music volume"
n=$(( $(keys_taken) + 2 )); xdotool key Escape Escape; wait_keys "$n" || fail "the menu did not close"
# INSERT in the chat line recalls the line typed in session 1.
send_keys '\n'; xdotool key Insert; send_keys '\n'
logged "^recv\[0\]: T /msg Guide hello$"
# CTRL+T answers the most recent partner (the Guide, who also greets every
# session); no whisper line goes without a name.
mod_key ctrl t; send_keys 'hi\n'
logged "^recv\[0\]: T /msg Guide hi$"
grep -q "^recv\[0\]: T /msg  " "$work/server.log" && fail "a whisper without a name was sent"
said "Guide (whisper): Ask the guard" 3
# Session 1's last line, its prompt, is some pages back in the box: a page
# up at a time until a row shows it or the page stays as it was.
end1=$(msg_row prompt_1 7)
shot "$shots" page0
found=
for ((p = 1; p <= 12 && !found; p++)); do
  n=$(( $(keys_taken) + 1 )); xdotool key Prior; wait_keys "$n" || fail "PGUP was not taken"
  answered shows "page$p" msg_box "$(msg_box "page$((p - 1))")" "!=" || break
  for ((r = 0; r < 8; r++)); do [ "$(msg_row "page$p" "$r")" = "$end1" ] && found=1; done
done
[ -n "$found" ] || fail "session 1's lines are not in the message box"
n=$(( $(keys_taken) + 1 )); xdotool key End; wait_keys "$n" || fail "END was not taken"
# Hobb: the sling bought, the list left open.
walk_to 5 9 || fail "could not walk to Hobb"
buy_asked() { seen "Merchant: What would you like to buy?" "$1"; }
# The buy key is refused for a moment after the last action key.
press_until "buy_asked 1" send_keys b || fail "no 'Merchant: What would you like to buy?'"
eventually list_open buy || fail "no list to buy from"
send_keys '\n'; said "You bought the reed sling! (x1)"
kill "$server_pid"; wait "$server_pid"; server_pid=
said "Press q to quit." $((++prompts))
eventually prompt_drawn prompt_2 || fail "no prompt drawn after session 2"
# Paged back or not, the prompt and the line before it are the newest shown.
[ "$(msg_row prompt_1 6)" = "$(msg_row prompt_2 6)" ] && [ "$(msg_row prompt_1 7)" = "$(msg_row prompt_2 7)" ] ||
  fail "the prompt of session 1 was not shown (see prompt_1.png, prompt_2.png)"
mv "$work/server.log" "$work/server.2.log"

# ---- A session that ends after the handshake ----
# A relay to a new server lets the login and its answer through and closes
# both ends when the client speaks again, before any level came.
start_server --market
python3 - "$port" "$work/relay.port" > "$work/relay.log" 2>&1 <<'PY' &
import select, socket, sys
listener = socket.socket()
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind(("127.0.0.1", 0))
listener.listen(1)
with open(sys.argv[2] + ".tmp", "w") as f:
    f.write(str(listener.getsockname()[1]))
import os
os.rename(sys.argv[2] + ".tmp", sys.argv[2])
client, _ = listener.accept()
server = socket.create_connection(("127.0.0.1", int(sys.argv[1])))
answered = logged_in = False
while True:
    ready, _, _ = select.select([client, server], [], [])
    if server in ready:
        data = server.recv(65536)
        if not data:
            break
        client.sendall(data)
        answered = logged_in
    if client in ready:
        data = client.recv(65536)
        if not data:
            break
        if answered:
            print("closed after the handshake", flush=True)
            break
        server.sendall(data)
        logged_in = True
client.close()
server.close()
PY
relay_pid=$!
wait_for . "$work/relay.port" || fail "no relay"
echo "Test server:127.0.0.1:$(cat "$work/relay.port")" > "$work/game/dat/serverlist.txt"
quit_to_title
map_before=$(md5sum < "$work/game/cmaps/Demo.001.mm")
log_in 'wait_for "closed after the handshake" "$work/relay.log"'
said "Press q to quit." $((++prompts))
wait "$relay_pid"
kill "$server_pid" 2>/dev/null; wait "$server_pid"; server_pid=
grep -q "^send\[0\]: K " "$work/server.log" && fail "the relay let a level through"
mv "$work/server.log" "$work/server.relay.log"
start_server --market
quit_to_title
[ "$(md5sum < "$work/game/cmaps/Demo.001.mm")" = "$map_before" ] ||
  fail "the session without a level rewrote the minimap cache"
log_in 'wait_for "ready\[0\]: Demo" "$work/server.log"'

# ---- Session 3 ----
said "You have gained a level!" 3
press_until "buy_asked 2" send_keys b || fail "no 'Merchant: What would you like to buy?' (x2)"
eventually list_open buy3 || fail "no list to buy from"
send_keys '\033'; said "Finished!"
logged "^recv\[0\]: j "
grep -q "^recv\[0\]: j 185 " "$work/server.log" && fail "the last session's sling was bought"
grep -q "^trade\[0\]: 185 " "$work/server.log" && fail "the server sold the sling again"
# A blow at the goblin, which holds still once the player is near, and
# Kindle (the letters i and f) cast at it: the stats page shows their damage
# per second.
walk_to 5 19 || fail "could not walk towards the goblin"
walk_to 7 19 || fail "could not walk towards the goblin"
wait_for "^goblin\[0\]: holds at" "$work/server.log" || fail "the goblin did not stop"
read -r gx gy <<<"$(sed -n 's/^goblin\[0\]: holds at \([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/server.log" | tail -1)"
walk_to $((gx - 1)) "$gy" || fail "could not step up to the goblin"
struck() { grep -q "^fight\[0\]: goblin takes" "$work/server.log"; }
# The server's answers to blows, hit or miss.
blow_answers() { grep -c "^send\[0\]: A " "$work/server.log"; }
blows_answered() { [ "$(blow_answers)" -gt "$1" ]; }
for ((i = 0; i < 10; i++)); do
  n=$(blow_answers)
  strike Right || fail "no blow at the goblin"
  eventually blows_answered "$n" || fail "the server did not answer the blow"
  struck && break
done
struck || fail "no blow at the goblin"
send_keys c; send_keys 'if\n'; said "Which direction? (press enter to target self)"
xdotool key Right
logged "^cast\[0\]: 1 at $gx $gy on 150$"
said "Attack with magic: hit Goblin!"
eventually shows fight dps_row "$dps0" "!=" || fail "the stats page shows no damage per second"
# One of the two points spent, the other not, when the server goes down.
mod_key ctrl F2
said "You have 2 point(s) to distribute." 2
send_keys s; said "Strength++"
server_down 3

# ---- Session 4: the last session's figures are gone ----
said "You have gained a level!" 4
eventually shows fresh dps_row "$dps0" || fail "the last session's damage per second is shown"
mod_key ctrl F2
said "You have 2 point(s) to distribute." 3
send_keys ss
logged "^levelup\[0\]: "
grep -q "^levelup\[0\]: 2 0 0 0$" "$work/server.log" ||
  fail "the points spent are not this session's: $(grep "^levelup\[0\]: " "$work/server.log")"
# The box paged back, the session ended from the menu, where no prompt
# shows; a server for the next session is up before.
said "Level up complete."
shot "$shots" unpaged4
n=$(( $(keys_taken) + 1 )); xdotool key Prior; wait_keys "$n" || fail "PGUP was not taken"
eventually shows paged4 msg_box "$(msg_box unpaged4)" "!=" || fail "PGUP did not page the box back"
launch_server "$work/server.5.log" --once --market
next_pid=$new_server_pid
echo "Test server:127.0.0.1:$new_server_port" > "$work/game/dat/serverlist.txt"
xdotool key F12; send_keys q
eventually seen "intro: title screen" $((++titles)) || fail "no title screen after the menu's quit"
wait "$server_pid"; server_pid=$next_pid
mv "$work/server.log" "$work/server.4.log"; mv "$work/server.5.log" "$work/server.log"

# ---- Session 5: the box opens on its newest line ----
log_in 'wait_for "ready\[0\]: Demo" "$work/server.log"'
said "Guide (whisper): Press ? for help" 5
send_keys k; said "Crosshair on" 2
newest_row() { msg_row "$1" 7; }
eventually shows session5 newest_row "$crosshair_on" || fail "the new session opened paged back"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
