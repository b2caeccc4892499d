# End-to-end case "character_file", sourced by run_e2e.sh with the helpers of lib.sh.
# A character made with "-c" is kept in a character file of the server's
# directory, written back when the session ends and read at the next login.
start_server
sed -i '/^name=/d' "$work/game/client.cfg"
start_client -c Newbie
type_after 'intro: creation form' 'Newbie\n\n\n\n\n\n\n' &
keys_pid=$!
wait_for "ready\[0\]: Newbie" "$work/server.log" || fail "new character did not reach play"
plr="$work/srv/chars/Newbie.plr"
grep -q "^NAME=Newbie$" "$plr" || fail "no character file after the creation"
grep -q "^X=5$" "$plr" && grep -q "^Y=5$" "$plr" && grep -q "^Z=1$" "$plr" \
  || fail "new character not at the starting spot"
grep -q "^account=demo$" "$work/srv/chars/Newbie.cfg" || fail "character not linked to the account"
# Removed while playing, the file is written again at the quit.
rm -f "$plr"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
wait "$server_pid" 2>/dev/null; server_pid=
grep -q "^NAME=Newbie$" "$plr" || fail "character file not written at the quit"
# The stored position and level are what the next login starts from.
sed -i 's/^X=.*/X=7/; s/^Y=.*/Y=9/; s/^LVL=.*/LVL=3/' "$plr"
rm -f "$work/server.log"
start_server
echo "name=Newbie" >> "$work/game/client.cfg"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Newbie" "$work/server.log" || fail "stored character did not reach play"
grep -q "^send\[0\]: H 7 9 1 .* 3 [0-9-]* [0-9-]* [0-9-]*$" "$work/server.log" \
  || fail "handshake not from the stored character"
grep -q "^send\[0\]: K 0 1 1 7 9 " "$work/server.log" || fail "level entry not at the stored spot"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
wait "$server_pid" 2>/dev/null; server_pid=
grep -q "^X=7$" "$plr" && grep -q "^LVL=3$" "$plr" || fail "stored values lost at the quit"
# A character stored before the character files, by its owner record
# alone, gets a character file from it at its login.
printf 'account=demo\nid=7\ngender=F\nx=8\ny=6\nlevel=1\n' > "$work/srv/chars/Elder.cfg"
rm -f "$work/server.log"
start_server
echo "name=Elder" >> "$work/game/client.cfg"
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Elder" "$work/server.log" || fail "older character did not reach play"
grep -q "^send\[0\]: INIT 7 .* Elder F 0 0$" "$work/server.log" || fail "older character's INIT"
grep -q "^send\[0\]: H 8 6 1 " "$work/server.log" || fail "older character's position"
grep -q "^GENDER=F$" "$work/srv/chars/Elder.plr" || fail "no character file for the older character"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
wait "$server_pid" 2>/dev/null; server_pid=
# A character stored before its pack was comes to the market with the first
# kit; a readied item the kit does not hold (an appraised coat) is put away,
# and the figures are those of nothing worn.
sed -i 's/^ARMOUR=.*/ARMOUR=000001b2/' "$work/srv/chars/Elder.plr"
rm -f "$work/server.log"
start_server --market
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/client.out" 2>&1 &
client_pid=$!
wait_for "ready\[0\]: Elder" "$work/server.log" || fail "older character did not reach the market"
grep -q "^send\[0\]: # 0 0 0 " "$work/server.log" || fail "a coat the pack lacks stayed readied"
grep "^send\[0\]: H " "$work/server.log" | head -1 | grep -q "^send\[0\]: H \([^ ]* \)\{12\}10.0 " ||
  fail "the figures count a coat the pack lacks"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
