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
  run_client "$keys" "$@"
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
# A new character is created, logged in, and stored by the server. Its
# first session opens on the help screen: a book the server sends once the
# help is seen takes the play area from it, and after ESC the level is drawn
# and the arrows walk. The map viewer the server opens next gives way to a
# book the same way.
book="The old road runs along the river.|It leaves the hills at the ford.|"
printf 'until %s\nbook %s\nawait m \nsend z 0 0\nbook %s\n' "$work/help_seen" "$book" "$book" \
  > "$work/scenario.txt"
shots_as e2e-accounts
# Takes picture $1 until the test $2 holds.
shot_holds() { shot "$shots" "$1"; eval "$2"; }
shot_until() { until_ok shot_holds "$@"; }
ink() { count "$shots" "$1" 568x505+0+0 '(102,51,0)'; }          # the book's text
help_shown() { count "$shots" "$1" 568x505+0+0 '(30,34,60)'; }   # the help picture's ground
map_name() { count "$shots" "$1" 568x24+0+0 '(255,222,0)'; }     # the map viewer's level name
moves() { grep -c "^recv\[0\]: m " "$work/server.log"; }
moved_past() { [ "$(moves)" -gt "$1" ]; }
# Holds UP until the server has a move more: the client polls held keys once
# a pass, and a loaded machine makes a pass long.
walk_up() {
  local before rc
  before=$(moves)
  xdotool keydown Up
  until_ok moved_past "$before"
  rc=$?
  xdotool keyup Up
  return $rc
}
rm -f "$work/server.log"
start_server --scenario "$work/scenario.txt"
start_client -c Newbie
type_after 'intro: creation form' 'Newbie\n\n\n\n\n\n\n' &
keys_pid=$!
wait_for "ready\[0\]: Newbie" "$work/server.log" || fail "new character did not reach play"
grep -q "^account=demo$" "$work/srv/chars/Newbie.cfg" || fail "character not stored"
focus_client || fail "no window"
xdotool mousemove 700 580
shot_until help_first '[ "$(help_shown help_first)" -gt 10000 ]' \
  || fail "the first session does not open on the help screen"
touch "$work/help_seen"
wait_for "Viewing book" "$work/client.out" || fail "no book"
shot_until book_over_help '[ "$(ink book_over_help)" -gt 500 ]' || fail "the book is not drawn over the help screen"
[ "$(help_shown book_over_help)" -lt 1000 ] || fail "the help screen is drawn with the book"
[ "$(moves)" = 0 ] || fail "moves before any arrow key"
xdotool key Escape
shot_until after_book '[ "$(ink after_book)" = 0 ]' || fail "ESC did not close the book"
[ "$(help_shown after_book)" -lt 1000 ] || fail "the help screen stayed after the book"
walk_up || fail "the arrows do not walk after the book"
wait_for "Viewing map" "$work/client.out" || fail "no map viewer"
eventually seen "Viewing book" 2
[ "$(grep -c "Viewing book" "$work/client.out")" = 2 ] || fail "no book over the map viewer"
shot_until book_over_map '[ "$(ink book_over_map)" -gt 500 ]' || fail "the book is not drawn over the map viewer"
[ "$(map_name book_over_map)" = 0 ] || fail "the map viewer is drawn with the book"
walked=$(moves)
hold_key Up 3
xdotool key Escape
shot_until after_map_book '[ "$(ink after_map_book)" = 0 ]' || fail "ESC did not close the second book"
[ "$(map_name after_map_book)" = 0 ] || fail "the map viewer stayed after the book"
[ "$(moves)" = "$walked" ] || fail "the arrows walked under the book"
walk_up || fail "the arrows do not walk after the second book"
# The same account a second time while the first is playing.
(cd "$work/game" && exec ./zib -s < /dev/null) > "$work/second.out" 2>&1 &
second=$!
wait_for "Already logged in!" "$work/second.out" || fail "second login not refused"
kill -INT "$second"
wait "$second"; rc=$?
[ "$rc" = 1 ] || fail "refused second client ended with $rc"
kill -INT "$client_pid"
wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "first client ended with $rc"
