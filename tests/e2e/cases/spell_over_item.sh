# End-to-end case "spell_over_item", sourced by run_e2e.sh with the helpers of lib.sh.
# A slot holds an item or a spell, on the server as in the client. The
# short blade is bound to F1 from the wield list, then In Flam over it from
# the ability list (SHIFT+C): the server is told the slot holds no item, so
# at the next login F1 casts. A character stored by an older client with
# both on F1 gets both emptied when the ability list unbinds the spell.
plr="$work/srv/chars/Demo.plr"
got() { wait_for "^recv\[0\]: $1\$" "$work/server.log" || fail "the server did not get '$1'"; }
# Presses KEY (with the modifier MOD, if given) until the client has shown
# MESSAGE once more.
key_said() {
  local n
  n=$(grep -cF -- "$2" "$work/client.out")
  if [ "${3:-}" ]; then
    press_until "seen '$2' $((n + 1))" mod_key "$3" "$1"
  else
    press_until "seen '$2' $((n + 1))" xdotool key "$1"
  fi || fail "'$1' never showed '$2'"
}
quit_client() {
  kill -INT "$client_pid"; wait "$client_pid"; client_pid=
  wait "$server_pid" 2>/dev/null; server_pid=
}
# Slot 10 (F1) of the stored character: "ITEM SPELL".
slot_f1() {
  local ib sb
  ib=$(sed -n 's/^IBINDS=//p' "$plr" | awk '{print $11}')
  sb=$(sed -n 's/^SBINDS=//p' "$plr" | cut -d: -f11)
  echo "$ib $sb"
}

start_play
key_said w "Readying arms ..."
key_said F1 "short blade bound to key F1"
got "n i 10 181"
xdotool key Escape
key_said c "Select spell/ability to use ..." shift
key_said F1 "Bind successful! (F1=In Flam, Shift + dir)"
got "n s 10 1"
got "n i 10 0"
quit_client
[ "$(slot_f1)" = "0 1" ] || fail "F1 stored as '$(slot_f1)', not the spell alone"

# The next login: F1 casts In Flam and uses no item.
rm -f "$work/server.log"
start_play
key_said F1 "Which direction? (press enter to target self)"
xdotool key Right
wait_for "^recv\[0\]: M 1 1 6 5 " "$work/server.log" || fail "F1 did not cast In Flam eastwards"
grep -q "^recv\[0\]: U 00000181 " "$work/server.log" && fail "F1 used the blade"
quit_client

# A character an older client left with both on F1.
sed -i 's/^\(IBINDS=\(\S* \)\{10\}\)\S*/\1181/' "$plr"
[ "$(slot_f1)" = "181 1" ] || fail "could not store both on F1: '$(slot_f1)'"
rm -f "$work/server.log"
start_play
key_said c "Select spell/ability to use ..." shift
key_said F1 "Spell/ability unbound!"
got "n s 10 -1"
got "n i 10 0"
quit_client
[ "$(slot_f1)" = "0 -1" ] || fail "F1 stored as '$(slot_f1)', not empty"
