# End-to-end case "accounts", sourced by run_e2e.sh with the helpers of lib.sh.
# The server's own account checks, case by case.
mkdir -p "$work/srv/chars"
printf 'demo=demo\nbanned=pw:banned\nother=pw\n' > "$work/srv/accounts.cfg"
printf 'account=other\n' > "$work/srv/chars/Stranger.cfg"
printf 'account=banned\n' > "$work/srv/chars/Exile.cfg"
printf 'account=demo\n' > "$work/srv/chars/Demo.cfg"
set_login() { sed -i '/^account=/d; /^passwd=/d; /^name=/d' "$work/game/client.cfg"
              printf 'account=%s\npasswd=%s\nname=%s\n' "$1" "$2" "$3" >> "$work/game/client.cfg"; }
check() {  # expected status, message, keys, then the client's arguments
  local want=$1 msg=$2 keys=$3; shift 3
  rm -f "$work/server.log"
  start_server "${server_args[@]}"
  run_client "$keys" 30 "$@"
  [ "$client_rc" = "$want" ] || fail "$msg: exit status $client_rc, wanted $want"
  grep -q -- "$msg" "$work/client.out" || fail "no message '$msg'"
  wait "$server_pid" 2>/dev/null; server_pid=
}
# After a refusal with "-s", q at "Press any key" ends with 1. With "-c" the
# creation form is filled in (the name, then ENTER through the fields that
# "client.cfg" filled), and after the refusal q leads to the menu, where q
# quits with 0.
plain="type_after 'Press any key' q"
create_as() {
  echo "type_after 'intro: creation form' '$1\n\n\n\n\n\n\n'; type_after 'Press any key' q;" \
    "type_after 'intro: menu' q"
}
server_args=()
set_login demo wrong Demo;    check 1 "Incorrect account login!" "$plain" -s
set_login demo demo Nobody;   check 1 "Character not found!" "$plain" -s
set_login demo demo Stranger; check 1 "Requested character not linked to this account!" "$plain" -s
set_login banned pw Exile;    check 1 "You have been banned!" "$plain" -s
set_login demo demo Demo;     check 0 "New character name exists!" "$(create_as Demo)" -c
server_args=(--no-create)
set_login demo demo Newbie;   check 0 "Character creation has been disabled on this server!" "$(create_as Newbie)" -c
# A new character is created, logged in, and stored by the server.
rm -f "$work/server.log"
start_server
start_client -c Newbie
type_after 'intro: creation form' 'Newbie\n\n\n\n\n\n\n' &
keys_pid=$!
wait_for "ready\[0\]: Newbie" 20 "$work/server.log" || fail "new character did not reach play"
grep -q "^account=demo$" "$work/srv/chars/Newbie.cfg" || fail "character not stored"
# The same account a second time while the first is playing.
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/second.out" 2>&1 &
second=$!
wait_for "Already logged in!" 20 "$work/second.out" || fail "second login not refused"
kill -INT "$second"
wait "$second"; rc=$?
[ "$rc" = 1 ] || fail "refused second client ended with $rc"
kill -INT "$client_pid"
wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "first client ended with $rc"
