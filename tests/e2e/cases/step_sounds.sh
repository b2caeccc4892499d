# End-to-end case "step_sounds", sourced by run_e2e.sh with the helpers of lib.sh.
# With ALSA's default device written to a WAV file and the music off, a
# few steps with the arrow keys are heard: the audio written while the
# player walks is louder than the audio written while it stood still.
wav="$work/out.wav"
printf '%s\n%s\n' \
  'pcm.!default { type plug; slave { pcm "cap"; format S16_LE; rate 44100; channels 2 } }' \
  "pcm.cap { type file; slave.pcm \"null\"; file \"$wav\"; format \"wav\" }" > "$work/asound.conf"
export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$work/asound.conf"
printf 'music=0\nvolume=255\nmute=0\n' >> "$work/game/client.cfg"
start_play
wav_written() { [ -s "$wav" ]; }
eventually wav_written || fail "no audio written to $wav"
# The loudest 0.1 s stretch (stereo, 16-bit) of the file from byte $2 on.
loudest() {
  python3 - "$1" "$2" <<'PY'
import array, math, sys
with open(sys.argv[1], "rb") as f:
    f.seek(max(44, int(sys.argv[2])) & ~3)
    raw = f.read()
s = array.array("h", raw[: len(raw) // 2 * 2])
win, best = 8820, 0.0
for i in range(0, max(len(s) - win, 0) + 1, win // 2):
    part = s[i:i + win]
    if part:
        best = max(best, math.sqrt(sum(v * v for v in part) / len(part)))
print(int(best))
PY
}
still_end=$(stat -c %s "$wav")
still=$(loudest "$wav" 44)
walk_to 5 6 || fail "no step south"
walk_to 6 6 || fail "no step east"
walk_to 5 6 || fail "no step back west"
# The device takes audio faster than real time: half a second more of it
# holds the last step's sound.
stepped=$(stat -c %s "$wav")
grown() { [ "$(stat -c %s "$wav")" -gt $((stepped + 88200)) ]; }
eventually grown || fail "no audio written after the steps"
walking=$(loudest "$wav" "$still_end")
kill -INT "$client_pid"; wait "$client_pid"; rc=$?; client_pid=
[ "$rc" = 0 ] || fail "exit status $rc"
echo "loudest 0.1 s: $still standing, $walking walking"
[ "$walking" -gt 300 ] || fail "silent while walking (RMS $walking)"
[ "$walking" -gt $((still * 2)) ] || fail "walking ($walking) not louder than standing ($still)"
