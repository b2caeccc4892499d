# timeout: 1200
# End-to-end case "market", sourced by run_e2e.sh with the helpers of lib.sh.
# A newcomer's first walk through the market world, with the keys the help
# names: nothing opens at login; the staff is readied; the guard is talked
# to and asked about a topic; Hobb sells a sling and buys the bow; Wenna
# banks the coat and gives it back; the chest gives up its lantern; the kiln
# bakes a biscuit; the river chart is read; Kindle is cast at the goblin,
# Mend closes the wound of its answer and the staff finishes it. Each window
# is kept as a picture in
# build/e2e-market/ and checked by its pixels or by what it said.
shots_as e2e-market
# Takes picture $2 until its region $3 holds at least $1 pixels of colour $4,
# else fails saying $5.
shows() { screen_shows "$shots/$2.png" "$3" "$4" "$1" || fail "$5 ($(count "$shots" "$2" "$3" "$4") pixels)"; }
# The open list's cursor row is a black band across the side panel.
listed() { shows 1500 "$1" 220x10+575+59 '(0,0,0)' "no list on the side panel in $1"; }
# Grey pixels (a recipe that cannot be made) in list row $1 (0 the cursor's) of picture $2.
grey_in_row() { count "$shots" "$2" "220x10+575+$((59 + 10 * $1))" '(120,120,120)'; }
# A key, then a direction key as the prompt asks for one.
towards() { send_keys "$1"; said "$2"; xdotool key "$3"; }
# Presses a key with the command $2... until the client shows the message $1
# once more: an action key is refused for a moment after the last, and a key
# taken without it is pressed again.
until_shown() {
  local msg=$1 n
  shift
  n=$(grep -cF -- "$msg" "$work/client.out")
  press_until "seen '$msg' $((n + 1))" "$@" || fail "no '$msg' after '$*'"
}
# KEY ($1) until the client asks PROMPT ($2), then the direction key $3.
ask_towards() { until_shown "$2" send_keys "$1"; xdotool key "$3"; }

start_server --market
start_client
wait_for "ready\[0\]: Demo" "$work/server.log" || fail "the client did not reach play"
focus_client || fail "no window"
xdotool mousemove 700 580
said "Guide (whisper): Press ? for help"
shot "$shots" start
# At login the market only shows itself: no talk, no list, no prompt.
grep -qE '^send\[0\]: (T [0-9]|[UBb] |C[mix])' "$work/server.log" && fail "something opened at login"
grep -qF "What would you like" "$work/client.out" && fail "a list opened at login"

# The staff in hand: the ready list, ENTER, ESC.
send_keys w; said "Readying arms ..."; send_keys '\n'
logged "^equipment\[0\]: 18a 0 "
send_keys '\033'

# The guard: his panel lists the topics he names; one is asked by typing it.
walk_to 5 7 || fail "could not walk to the guard"
towards t "Talk ... which direction?" Right
logged "^talk\[0\]: 6 7 Guard"
said "Guard: Ask about the"
shows 150 talk 150x70+38+395 '(255,255,255)' "the talk panel lists no topics"
send_keys 'market\n'
logged "^topic\[0\]: npc 163 'market'"
said "Guard: Hobb sells arms: reed sling, sling stones, short blade, kiln wand, alder staff."
send_keys 'bye\n'; said "Bye!"

# Hobb: buy a sling (the first of his wares), sell him the bow.
walk_to 5 9 || fail "could not walk to Hobb"
until_shown "Merchant: What would you like to buy?" send_keys b
logged "^send\[0\]: U w 160 100 0 0$"  # priced in gold coins
listed buy
send_keys '\n'; said "You bought the reed sling! (x1)"
send_keys '\033'; said "Finished!"
logged "^trade\[0\]: 185 1 160 12 0 0$"
until_shown "Merchant: What would you like to sell?" mod_key shift b
logged "^send\[0\]: B w 160 100 0$"
listed sell
send_keys '\n'; said "You sold the hill bow (x1) for 6 gp!"
send_keys '\033'; said "Finished!" 2
logged "^trade\[0\]: 182 1 160 6 0 1$"

# Wenna: the coat goes into the bank and comes out again.
walk_to 5 11 || fail "could not walk to Wenna"
until_shown "Banker: What would you like to bank?" mod_key shift b
listed deposit
send_keys '\n'; said "You banked the"
send_keys '\033'; said "Finished!" 3
until_shown "Banker: What would you like to withdraw?" send_keys b
# The vault held only the coat: the list ends by itself once it is out.
send_keys '\n'; said "You withdrew the"; said "You have nothing left in your bank vault!"

# The chest, opened with SHIFT+S towards it, gives up its lantern.
walk_to 5 13 || fail "could not walk to the chest"
until_shown "Open ... which direction?" mod_key shift s; xdotool key Left
said "What would you like to remove from the container?"
listed chest
send_keys '\n'; said "You transferred the lantern! (x1)"
send_keys '\033'; said "Finished!" 4
logged "^trade\[0\]: 192 1 162 0 0 0$"

# The kiln: its recipes with their ingredients, then the base ingredient.
walk_to 5 15 || fail "could not walk to the kiln"
ask_towards a "Activate ... which direction?" Right
said "What would you like to make?"
listed make
# The bread carried makes a biscuit; with no gem yet, the charm is grey.
[ "$(grey_in_row 0 make)" = 0 ] || fail "the biscuit is grey with bread in the pack"
[ "$(grey_in_row 1 make)" -ge 30 ] || fail "the charm is not grey without a gem"
send_keys '\n'; said "The kiln heats up ..."
said "Select base ingredient ..."
listed ingredient
send_keys '\n'; said "Out of the kiln comes: kiln biscuit."
logged "^craft\[0\]: makes 1c4 from 1c0$"

# The river chart, read where the player stands. Its name is written in the
# colour its code carries, ochre (208,176,0), on the list's black cursor bar.
send_keys r; said "What would you like to read?"
chart_named() { shot "$shots" read; [ "$(count "$shots" read 220x10+575+59 '(208,176,0)')" -ge 30 ]; }
eventually chart_named || fail "the map scrap's name cannot be read in the list"
send_keys '\n'; said "Viewing book"
shows 500 book 100x100+100+150 '(240,228,195)' "no book page"
send_keys '\033'; said "Done!"

# The goblin stops when the player comes near; the player steps up west of
# it, casts Kindle at it (the letters i and f) and strikes until it dies.
walk_to 5 19 || fail "could not walk towards the goblin"
walk_to 7 19 || fail "could not walk towards the goblin"
wait_for "^goblin\[0\]: holds at" "$work/server.log" || fail "the goblin did not stop"
read -r gx gy <<<"$(sed -n 's/^goblin\[0\]: holds at \([0-9]*\) \([0-9]*\)$/\1 \2/p' "$work/server.log" | tail -1)"
walk_to $((gx - 1)) "$gy" || fail "could not step up to the goblin"
n=$(keys_taken); send_keys cif; wait_keys $((n + 3)) || fail "the spell's keys were not taken"
shows 100 spell 400x14+0+586 '(153,204,255)' "no spell prompt"
send_keys '\n'; said "Which direction? (press enter to target self)"
xdotool key Right
logged "^cast\[0\]: 1 at $gx $gy on 150$"
said "Attack with magic: hit Goblin! (5 damage)"
# The record's hit points (field 9) and maxima (13, 14), stats (18-20) and
# level (23) in the server's log, from the first H line after line $1.
record_after() { sed -n "/$1/,\$p" "$work/server.log" | grep -m1 "^send\[0\]: H "; }
# The goblin strikes back for 3, less than Mend's 1d8 heals (5 on average):
# Mend (a h) needs no direction, is cast on the caster and closes the
# wounds up to the maximum, not beyond.
logged "^send\[0\]: D 3 150 "
# The cast key is refused until Kindle's cool-off has passed: it is pressed
# until the spell prompt opens instead.
spell_prompt() { shot "$shots" prompt; [ "$(count "$shots" prompt 400x14+0+586 '(153,204,255)')" -ge 100 ]; }
refusals() { grep -cF "You must wait before using another ability." "$work/client.out"; }
prompt_or_refusal() { [ "$(refusals)" -gt "$1" ] || spell_prompt; }
since=$SECONDS
while :; do
  n=$(refusals)
  send_keys c
  eventually prompt_or_refusal "$n" || fail "the cast key did nothing"
  [ "$(refusals)" -gt "$n" ] || break
  ((SECONDS - since < still_secs)) || fail "the cast key is still refused after ${still_secs}s"
done
n=$(keys_taken); send_keys ah; wait_keys $((n + 2)) || fail "Mend's letters were not taken"
send_keys '\n'
logged "^cast\[0\]: 3 at $((gx - 1)) $gy on -1$"
# The hit points just before, from the last record (H) or blow (D) sent.
hp0=$(sed "/^cast\[0\]: 3 /q" "$work/server.log" | grep -E "^send\[0\]: (H|D) " | tail -1 | awk '{print $9}')
read -r _ _ _ _ _ _ _ _ hp1 _ _ _ hpmax1 _ <<<"$(record_after '^cast\[0\]: 3 ')"
[ "$hpmax1" -gt "$hp0" ] && [ "$((hp0 + 5))" -gt "$hpmax1" ] || fail "Mend not tried hurt by less than 5: $hp0 of $hpmax1"
[ "$hp1" = "$hpmax1" ] || fail "Mend left $hp1 hit points, not the maximum $hpmax1 (from $hp0)"
said "Cool water closes your wounds. (+$((hpmax1 - hp0)) hit points)"
for ((i = 0; i < 40; i++)); do
  grep -q "^fight\[0\]: goblin dies" "$work/server.log" && break
  strike Right || fail "no blow at the goblin"
  [ "$i" = 1 ] && shot "$shots" fight
done
logged "^fight\[0\]: goblin dies"
said "Attack with alder staff: killed Goblin!"
said "Hit by Goblin! (3 damage)"

# The figures agree with the character's record: the hit points that a blow
# leaves are the record's less the blow, within the record's maximum, and
# magic resistance and mana travel unchanged.
h=$(grep "^send\[0\]: H " "$work/server.log" | head -1)
read -r _ _ _ _ _ _ _ _ hp mana _ _ hpmax _ _ _ mr _ <<<"$h"
hit=$(grep "^send\[0\]: D 3 150 " "$work/server.log" | head -1)
read -r _ _ _ _ _ _ _ _ dhp dmana _ _ _ _ <<<"$hit"
[ "$dhp" = $((hpmax - 3)) ] || fail "a hit of 3 left $dhp of $hpmax hit points"
[ "$dmana" = $((mana - 5)) ] || fail "mana after Kindle is $dmana, not $((mana - 5))"
a=$(grep "^send\[0\]: A 2 4 150 " "$work/server.log" | head -1)
[ "$(echo "$a" | awk '{print $19}')" = "$mr" ] || fail "the attack report changes magic resistance: $a"

# ---- A level taken, the map in one piece ------------------------------------
# The goblin's 200 experience reach level 2: the server says so, the panel
# shows "Level up!" until CTRL+F2 and i spend the point on intelligence.
logged "^send\[0\]: X 2 1$"
said "You have gained a level! Hit CTRL+F2 or ALT+F2 to level up and increase your stats!"
# The panel's rows in their colours: "Level up!" (51,153,255) on picture $1.
panel_rows() { shot "$shots" "$1"; [ "$(count "$shots" "$1" 220x440+575+0 '(51,153,255)')" "$2" "$3" ]; }
eventually panel_rows level -ge 40 || fail "no Level up! on the side panel"
mod_key ctrl F2
said "Press s to bump strength, d to bump dexterity, and i to bump intelligence. You have 1 point(s) to distribute."
send_keys i; said "Level up complete."
logged "^levelup\[0\]: 0 0 1 0$"
said "You are now level 2: strength 25, dexterity 25, intelligence 26."
# Strength 25 gives 25 / 2.8 + 2 x 2.5 + 10 = 23.9 hit points at level 2
# (21.4 at level 1); the mana maximum is the intelligence, 26.
read -r _ _ _ _ _ _ _ _ _ _ _ _ hpmax2 manamax2 _ _ _ str2 dex2 int2 _ _ lvl2 _ <<<"$(record_after '^levelup\[0\]: ')"
[ "$lvl2 $str2 $dex2 $int2 $hpmax2 $manamax2" = "2 25.0 25.0 26.0 23 26" ] ||
  fail "level, stats and maxima after the level: $lvl2 $str2 $dex2 $int2 $hpmax2 $manamax2"
eventually panel_rows levelled = 0 || fail "Level up! stays on the panel"
# The map viewer shows the explored valley at its west edge and nothing at
# the east edge: the valley does not wrap.
send_keys m; said "Viewing map ... press ESC when done."
# The viewer's own frame has the level's name at the top, which the play
# view never has: a picture of the play view, taken before the viewer's
# first frame reached the window, is no answer about either edge.
map_name() { count "$shots" map 560x24+0+0 '(255,222,0)'; }
west_black() { count "$shots" map 60x400+0+50 '(0,0,0)'; }
east_black() { count "$shots" map 28x400+540+50 '(0,0,0)'; }
map_as_wanted() { shot "$shots" map; [ "$(map_name)" -ge 100 ] && [ "$(west_black)" -lt 20000 ] && [ "$(east_black)" -ge 11200 ]; }
if ! eventually map_as_wanted; then
  [ "$(map_name)" -ge 100 ] || fail "the map viewer is not drawn (no level name)"
  [ "$(west_black)" -lt 20000 ] || fail "no explored cells at the west edge of the map"
  fail "explored cells drawn at the east edge of the map ($(east_black) black of 11200 pixels)"
fi
send_keys '\033'; said "Done!" 2

# The raw gem it dropped is picked up; in the farmhouse the card table
# deals the blessed card of the pack along the bottom of the play area.
ask_towards g "Get ... which direction?" Right
said "added to your inventory." 2
walk_to $((gx - 1)) 17 || fail "could not walk to the farmhouse"
walk_to 12 17 || fail "could not walk to the farmhouse door"
walk_to 12 15 || fail "could not step into the farmhouse"
logged "^cards\[0\]: at the table"
said "You sit down at the card table; your cards are dealt."
shows 2000 cards 88x127+239+365 '(4,68,118)' "no card in hand"

# Every list that opened was closed and sent; the checksums always agreed.
[ "$(grep -c '^recv\[0\]: j 0 0 0 0 0 0$' "$work/server.log")" = 5 ] || fail "trade lists not closed"
grep -q "^checksum\[0\]" "$work/server.log" && fail "the server's pack and the client's differ"
grep -q "^recv\[0\]: i$" "$work/server.log" &&
  [ "$(grep -c '^recv\[0\]: i$' "$work/server.log")" != 1 ] && fail "the client asked for its inventory again"
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"

# ---- Coming back: the character is kept whole -----------------------------------
# Demo has quit, and the server stopped with its last client. A new server on
# the same data folder (as a new `make run`) gives back what he left: the pack
# with the sling he bought, the gem and the biscuit but not the bow he sold,
# 200 - 12 + 6 = 194 (c2) gold, the chest without the lantern he took, the
# readied staff and the same figures; the guide points the way to the market
# from where he stands. He readies the coat, has it appraised, banks the
# draught, makes a charm of the gem and quits by the kiln: the third server
# has it all as he left it. What the market will not do, it says.
wait "$server_pid"; server_pid=
mv "$work/server.log" "$work/server.1.log"
# One session of Demo on a new server over the same data folder; its log is
# the fresh $work/server.log.
come_back() {
  start_server --market
  start_client
  wait_for "ready\[0\]: Demo" "$work/server.log" || fail "Demo did not come back"
  focus_client || fail "no window"
  xdotool mousemove 700 580
  pack=:$(sed -n 's/^send\[0\]: <inventory> //p' "$work/server.log"):
}
# Quits and waits until the server has written the character.
leave() {
  kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
  [ "$rc" = 0 ] || fail "exit status $rc"
  wait "$server_pid"; server_pid=
}
# Armour class, magic resistance and experience of the character's record.
figures() { echo "$1" | cut -d' ' -f15,17,22; }
come_back
# The guide points the way from the farmhouse, as it did from the start.
grep -q "^send\[0\]: W Guide Welcome to Quill! The market is just south of you.$" "$work/server.1.log" ||
  fail "the guide did not point south from the start"
said "Guide (whisper): Welcome to Quill! The market is west of you."
for e in 100@c2 185@1 10f@1 1c4@1 192@1 1c0@1 18a@1; do
  [[ "$pack" == *":$e:"* ]] || fail "the pack came back without $e: $pack"
done
[[ "$pack" == *":182@"* ]] && fail "the sold bow came back: $pack"
logged "^send\[0\]: # 18a 0 "
[ "$(figures "$(grep '^send\[0\]: H ' "$work/server.1.log" | tail -1)")" = \
  "$(figures "$(grep '^send\[0\]: H ' "$work/server.log" | head -1)")" ] || fail "the figures changed"
# He left at the card table and sits at it again, his card dealt.
logged "^send\[0\]: K 0 1 1 12 15 [0-9a-f]* 0 1$"
shows 2000 return 88x127+239+365 '(4,68,118)' "no card in hand"
# Out of the farmhouse (the first step tells the server's log where he is)
# to the gold coin in the grass at 20,22: looked at, it is a coin; got, it
# joins the purse.
step Down || fail "could not leave the farmhouse"
walk_to 12 17 && walk_to 19 22 || fail "could not walk to the coin"
ask_towards l "Look ... which direction?" Right
said "You see a gold coin on the ground."
# The look holds the action keys back a moment.
ask_towards g "Get ... which direction?" Right
said "You got 1 gold coin."
logged "^get\[0\]: 100$"
# Back to the chest, which still lacks its lantern.
walk_to 5 17 && walk_to 5 13 || fail "could not walk to the chest"
until_shown "Open ... which direction?" mod_key shift s; xdotool key Left
said "What would you like to remove from the container?"
logged "^send\[0\]: u u:108 2 0$"
send_keys '\033'; said "Finished!"
# The coat readied: its armour class 3 shows at once (the next record).
send_keys w; said "Readying arms ..."; send_keys '/coat\n'
logged "^equipment\[0\]: 18a 0 800001b2 "
grep -A1 "^equipment\[0\]: 18a 0 800001b2 " "$work/server.log" | tail -1 | grep -q "^send\[0\]: H .* 13.0 " ||
  fail "readying the coat did not show its armour"
send_keys '\033'; said "Search cancelled."; send_keys '\033'; said "Done!"
# Hobb appraises the pack: the readied coat stays readied as what it is now.
walk_to 5 9 || fail "could not walk to Hobb"
towards t "Talk ... which direction?" Left
said "Hobb: I sell"
send_keys 'appraise\n'; said "quilted coat identified!"
logged "^send\[0\]: # 18a 0 1b2 "
send_keys 'bye\n'; said "Bye!"
# The market says why it will not do what it will not.
strike Left || fail "no blow at Hobb"; said "Hobb will not fight you."
# The draught goes into the bank.
walk_to 5 11 || fail "could not walk to Wenna"
until_shown "Banker: What would you like to bank?" mod_key shift b
send_keys '/draught\n'; said "You banked the"
send_keys '\033'; said "Search cancelled."
send_keys '\033'; said "Finished!" 2
logged "^trade\[0\]: 193 1 161 0 1 0$"
# The kiln fires the gem into a charm, and says what a second one lacks.
walk_to 5 15 || fail "could not walk to the kiln"
ask_towards a "Activate ... which direction?" Right
said "What would you like to make?"
listed make2
[ "$(grey_in_row 1 make2)" = 0 ] || fail "the charm is grey with a gem in the pack"
xdotool key Down; send_keys '\n'; said "The kiln heats up ..."
said "Select base ingredient ..."; send_keys '\n'; said "Out of the kiln comes: kiln charm."
ask_towards a "Activate ... which direction?" Right
said "What would you like to make?" 2
listed make3
[ "$(grey_in_row 1 make3)" -ge 30 ] || fail "the charm is not grey once the gem is spent"
xdotool key Down; send_keys '\n'; said "You have no raw gem for the kiln charm."
# Nothing to get here; a loaf dropped south is no one to talk to.
until_shown "There is nothing here to pick up." mod_key shift g
send_keys d; said "Drop ... select item ..."; send_keys '/bread\n'; said "Drop ... which direction?"
xdotool key Down; said "barley bread (x1) removed from inventory!"
# The pile's line follows the message: the look's answer comes after it, so
# once it shows the client holds the loaf on its cell.
ask_towards l "Look ... which direction?" Down
said "You see a barley bread on the ground."
towards t "Talk ... which direction?" Down
said "There is nobody there to talk to."
leave
mv "$work/server.log" "$work/server.2.log"
come_back
said "Guide (whisper): Welcome to Quill! You stand in the market."
[[ "$pack" == *":40000193@1:"* ]] || fail "the bank vault came back without the draught: $pack"
logged "^send\[0\]: # 18a 0 1b2 "
[ "$(figures "$(grep '^send\[0\]: H ' "$work/server.2.log" | tail -1)")" = \
  "$(figures "$(grep '^send\[0\]: H ' "$work/server.log" | head -1)")" ] || fail "the figures changed"
leave
