# timeout: 180
# End-to-end case "new_session", sourced by run_e2e.sh with the helpers of lib.sh.
# A session that ends half way through leaves nothing for the next one. Demo
# has 250 experience, so each market server offers him level 2 (one point).
# He leaves the level untaken and marks the staff in the drop list when his
# server goes down; logging in again by keys, he has one point to spend, not
# two, and the drop takes the row under the cursor. He buys a sling from
# Hobb and his server goes down before the list is closed; in the next
# session the closed list sends no purchase and costs no gold.
shots="$build/e2e-new_session"
rm -rf "$shots"; mkdir -p "$shots"
shot() { import -window root -crop 800x600+0+0 +repage "$shots/$1.png" 2>/dev/null || fail "no picture $1"; }

# The stored character: made by a first server, given his experience.
start_server --market
kill "$server_pid"; wait "$server_pid"; server_pid=
rm -f "$work/server.log"
chr=$(grep -l "^NAME=Demo$" "$work"/srv/chars/* | head -1)
[ -n "$chr" ] || fail "no stored Demo"
sed -i 's/^XP=.*/XP=250/' "$chr"

# The server goes down; the client, told so, is sent to the title screen by
# q, and a new server is up before the player logs in again by keys.
server_down() {
  kill "$server_pid"; wait "$server_pid"; server_pid=
  said "Press q to quit." "$1"
  mv "$work/server.log" "$work/server.$1.log"
  start_server --market
  send_keys q
  wait_for "intro: title screen" 10 "$work/client.out" || fail "no title screen after session $1"
  send_keys x; wait_for "intro: menu" 10 "$work/client.out" || fail "no menu"
  send_keys j; wait_for "intro: login form" 10 "$work/client.out" || fail "no login form"
  # From the first field (the form keeps the last one chosen): the stored
  # name, account and password, the server, Enter.
  xdotool key Up Up Up Up Up; send_keys '\n\n\n\n\n'
  wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "Demo did not log in again"
  xdotool mousemove 700 580
}

# ---- Session 1: the level offered, the staff marked ----
start_server --market
start_client
wait_for "ready\[0\]: Demo" 20 "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
logged "^send\[0\]: X 2 1$"
said "You have gained a level!"
send_keys d; said "Drop ... select item ..."
n=$(( $(keys_taken) + 1 )); send_keys d; wait_keys "$n" || fail "the second d was not taken"
server_down 1

# ---- Session 2: one point; the drop takes the row under the cursor ----
logged "^send\[0\]: X 2 1$"
said "You have gained a level!" 2
mod_key ctrl F2
said "You have 1 point(s) to distribute."
sleep 0.3; shot level_up
grep -qF "You have 2 point(s) to distribute." "$work/client.out" && fail "the last session's point came along"
xdotool key Escape; said "Level up canceled."
send_keys d; said "Drop ... select item ..." 2
xdotool key Down; sleep 0.3; send_keys '\n'
said "Selected "
sleep 0.3; shot drop
grep -qF "Selected alder staff" "$work/client.out" && fail "the last session's mark was dropped"
xdotool key space
wait_for "^recv\[0\]: d 5 5 " 5 "$work/server.log" || fail "no drop line"
grep -q "^recv\[0\]: d 5 5 0000018a " "$work/server.log" && fail "the staff was dropped"
# Hobb: the sling bought, the list left open.
walk_to 5 9 || fail "could not walk to Hobb"
send_keys b; said "Merchant: What would you like to buy?"
sleep 0.3; send_keys '\n'; said "You bought the reed sling! (x1)"
server_down 2

# ---- Session 3: the list closed at once buys nothing ----
said "You have gained a level!" 3
send_keys b; said "Merchant: What would you like to buy?" 2
sleep 0.3; send_keys '\033'; said "Finished!"
sleep 0.3; shot closed_list
logged "^recv\[0\]: j "
grep -q "^recv\[0\]: j 185 " "$work/server.log" && fail "the last session's sling was bought"
grep -q "^trade\[0\]: 185 " "$work/server.log" && fail "the server sold the sling again"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
