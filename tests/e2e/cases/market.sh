# End-to-end case "market", sourced by run_e2e.sh with the helpers of lib.sh.
# The player's side of the market demo. The merchant's list opens on the
# blades: SHIFT+ENTER takes ten steps, that is all three, and ESC closes the
# list, which sends it. At the bank ENTER deposits one blade. The recipe is
# left with ESC. The player walks next to the goblin's round (5,5 -> 5,6 ->
# 6,6) and attacks east with CTRL whenever the goblin stands there; once hit
# back it readies the blade from the ready list ('w', ENTER, ESC).
keys_for_market() {
  local i cell
  type_after 'Merchant: What would you like to buy?' '' || return 1
  sleep 0.3
  # SHIFT stays down until the client has read ENTER, as a player's would.
  xdotool keydown shift
  sleep 0.15
  xdotool key Return
  sleep 0.15
  xdotool keyup shift
  sleep 0.3
  send_keys '\033'
  type_after 'Banker: What would you like to bank?' '' || return 1
  sleep 0.3
  send_keys '\n'
  sleep 0.3
  send_keys '\033'
  type_after 'Select base ingredient' '' || return 1
  sleep 0.3
  send_keys '\033'
  # The pointer rests on the side panel, where it moves nothing.
  xdotool mousemove 700 580
  sleep 0.3
  walk_to 5 6 || return 1
  walk_to 6 6 || return 1
  for ((i = 0; i < 200; i++)); do
    grep -q "^fight\[0\]: goblin attacked" "$work/server.log" && break
    cell=$(goblin_cell)
    if [ "$cell" = "7 6" ]; then
      ctrl_key Right
      sleep 0.3
    fi
    sleep 0.05
  done
  type_after 'Hit by Goblin' w || return 1
  sleep 0.3
  send_keys '\n'
  sleep 0.3
  send_keys '\033'
}

# The market demo: a talking guard, identify and uncurse, a purchase, a
# deposit, an empty container, a recipe, a fight and readying a weapon,
# all played with the keys a player would use.
start_server --market
start_client
keys_for_market &
keys_pid=$!
wait_for "equipment\[0\]" 60 "$work/server.log" || fail "no equipment line"
grep -q "^equipment\[0\]: 181 0 " "$work/server.log" || fail "the sword is not wielded"
grep -q "^recv\[0\]: j 181 3 160 40 0 0$" "$work/server.log" || fail "no purchase line"
grep -q "^recv\[0\]: j 181 1 161 0 1 0$" "$work/server.log" || fail "no deposit line"
[ "$(grep -c '^recv\[0\]: j 0 0 0 0 0 0$' "$work/server.log")" = 2 ] || fail "trade lists not closed"
grep -q "^fight\[0\]: goblin attacked" "$work/server.log" || fail "no attack"
[ "$(grep -c '^recv\[0\]: i$' "$work/server.log")" = 1 ] || fail "identify or uncurse out of step"
for m in "Guard: The market is open, traveller." "msg: Bye!" "quilted coat identified!" \
         "plain ring uncursed!" "You bought the goods! (x3)" "You banked the goods! (x1)" \
         "This container is empty!" "The kiln is still cold." "Select base ingredient ..." \
         "Attack with short blade: hit Goblin! (6 damage)" "Hit by Goblin! (3 damage)"; do
  grep -qF -- "$m" "$work/client.out" || fail "no message '$m'"
done
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
