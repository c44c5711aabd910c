#!/usr/bin/env bash
# Writes the seed corpus of every fuzz target from the hexadecimal below. The files are kept
# in the repository; run this again only after changing a seed or an input layout.
set -euo pipefail
cd "$(dirname "$0")"

# seed TARGET NAME HEX...: one file from space-separated hexadecimal bytes.
seed() {
    local dir=$1 name=$2
    shift 2
    mkdir -p "$dir"
    local out="" byte
    for byte in $*; do out+="\\x$byte"; done
    printf "$out" >"$dir/$name"
}
text() { mkdir -p text_input && printf '%s' "$2" >"text_input/$1"; }
repeat() { local i out=""; for ((i = 0; i < $1; ++i)); do out+=" $2"; done; echo "$out"; }

# Number texts: the boundaries, each prefix, and the malformed shapes.
text blank-minus-0x "  -0x7fffffff"
text dollar "\$FF"
text max "2147483647"
text min "-2147483648"
text x-prefix "x1"
text trailing-x "1x"
text empty ""
text too-big "2147483648"
text hex-pattern "-\$80000000"
text hex-leading-zeros "\$000000000000FFFFFFFF"
text hex-too-wide "0x1FFFFFFFF"
text double-prefix "00x10"
text sign-after-prefix "\$-1"

# LLS public vectors: a length byte, then the read (0xFF clears, 0xFE reads through a tick).
REQUEST="31 01 06 6C"
ANSWER="3E 01 06 11 01 00 01 00 30"
MERGED="31 00 06 A8 3E 00 06 E4 5C 3E 00 00 D2"
ANSWER_5_1200="3E 05 06 17 B0 04 00 00 1C"
seed lls_monitor request "04 $REQUEST"
seed lls_monitor answer "09 $ANSWER"
seed lls_monitor merged "0D $MERGED"
seed lls_monitor session "04 $REQUEST 09 $ANSWER 0D $MERGED 02 AA BB FF 04 31 01 06 00 FE 0D $MERGED"
seed lls_monitor stable "$(repeat 6 "09 $ANSWER_5_1200") 0D $(repeat 13 AA) FF 09 $ANSWER_5_1200"

# Configuration frames (15 bytes: leading word, access code 5820347, operation, parameter,
# value, CRC-8), as the link and simulator tests use them.
READ_0_1="00 00 00 00 BB CF 58 00 01 00 01 00 00 00"  # a request, CRC-8 left out
READ_4_1="00 00 00 00 BB CF 58 00 01 04 01 00 00 00"
A_1_0_1234="00 00 00 00 BB CF 58 00 01 00 D2 04 00 00 0E"
A_1_3_9_SHORT="00 00 00 00 BB CF 58 00 01 03 09 00 00 00"
A_1_3_8_BADCRC="00 00 00 00 BB CF 58 00 01 03 08 00 00 00 9E"
A_1_3_7="00 00 00 00 BB CF 58 00 01 03 07 00 00 00 5E"
A_1_4_1_BADCRC="00 00 00 00 BB CF 58 00 01 04 01 00 00 00 5C"
A_1_4_4321="00 00 00 00 BB CF 58 00 01 04 E1 10 00 00 05"
A_1_4_1_SHORT="00 00 00 00 BB CF 58 00 01 04 01 00 00 00"
A_1_4_999="00 00 00 00 BB CF 58 00 01 04 E7 03 00 00 A2"
A_1_0_M5="00 00 00 00 BB CF 58 00 01 00 FB FF FF FF 15"
A_1_0_MIN="00 00 00 00 BB CF 58 00 01 00 00 00 00 80 1A"
A_1_0_MAX="00 00 00 00 BB CF 58 00 01 00 FF FF FF 7F 97"
A_2_5_0="00 00 00 00 BB CF 58 00 02 05 00 00 00 00 1D"
A_1_4_5000="00 00 00 00 BB CF 58 00 01 04 88 13 00 00 E2"
A_FOREIGN="EE 00 00 00 BB 00 58 00 07 0A 41 01 00 00 70"

# ConfigLink: operation (bit 7: preset the last value), parameter, value; then per attempt a
# burst: length byte and bytes.
seed config_link read "01 00 01 00 00 00 0F $A_1_0_1234"
seed config_link retries "01 03 01 00 00 00 0E $A_1_3_9_SHORT 0F $A_1_3_8_BADCRC 00 0F $A_1_3_7"
seed config_link sixteenth "01 04 01 00 00 00 $(repeat 15 "0F $A_1_4_1_BADCRC") 0F $A_1_4_4321"
seed config_link seventeenth "81 4D 00 00 00 01 04 01 00 00 00 $(repeat 16 "0E $A_1_4_1_SHORT") 0F $A_1_4_999"
seed config_link negative "01 00 01 00 00 00 0F $A_1_0_M5 01 00 01 00 00 00 0F $A_1_0_MIN 01 00 01 00 00 00 0F $A_1_0_MAX"
seed config_link foreign "01 04 01 00 00 00 0F $A_FOREIGN"
seed config_link silence-after-negative "81 FD FF FF FF 00 01 00 00 00"
seed config_link write-read-back "02 05 FE FF FF FF 0F $A_2_5_0 01 04 00 00 00 00 0F $A_1_4_5000"
# An adapter that echoes: the request's copy, then the answer; then a copy alone for a read
# of another parameter, and a copy alone twice (no sensor behind the adapter).
E_1_0_1="00 00 00 00 BB CF 58 00 01 00 01 00 00 00 19"
E_1_3_1="00 00 00 00 BB CF 58 00 01 03 01 00 00 00 57"
E_1_7_1="00 00 00 00 BB CF 58 00 01 07 01 00 00 00 48"
seed config_link echo-then-answer "01 00 01 00 00 00 1E $E_1_0_1 $A_1_0_1234 01 03 01 00 00 00 0F $E_1_3_1"
seed config_link echo-alone "01 03 01 00 00 00 0F $E_1_3_1 01 07 01 00 00 00 $(repeat 16 "0F $E_1_7_1")"
seed config_link stray-before-answer "01 00 01 00 00 00 14 AA BB CC DD EE $A_1_0_1234 0F $A_1_0_1234"

# SimSensor: faults (switches, every-Nth, rate, seed), then a control byte and a request.
# Control 01 seals the request with its CRC-8; 00 sends it as it stands.
S_W_4_3456="00 00 00 00 BB CF 58 00 02 04 80 0D 00 00"
S_W_9_12="00 00 00 00 BB CF 58 00 02 09 0C 00 00 00"
S_R_9_1="00 00 00 00 BB CF 58 00 01 09 01 00 00 00"
S_W_0_5="00 00 00 00 BB CF 58 00 02 00 05 00 00 00"
S_W_6_5="00 00 00 00 BB CF 58 00 02 06 05 00 00 00"
S_R_7_1="00 00 00 00 BB CF 58 00 01 07 01 00 00 00"
S_OP_3="00 00 00 00 BB CF 58 00 03 04 01 00 00 00"
seed sim_sensor reads-and-writes \
    "00 00 00 00 01 $READ_4_1 00 01 $S_W_4_3456 00 01 $S_W_9_12 00 01 $S_R_9_1 00 01 $S_W_0_5 00 01 $S_W_6_5 00 01 $S_OP_3 00"
seed sim_sensor damaged "00 00 00 00 00 $READ_4_1 00 00 $A_1_0_1234"
seed sim_sensor faults "1A 03 00 2A 01 $READ_4_1 00 01 $S_R_7_1 00 03 $READ_0_1 00 01 $READ_4_1 00"
seed sim_sensor random-bad-crc "04 00 F8 07 01 $READ_4_1 00 F3 $READ_0_1 00 FB $READ_0_1 00 F7 $READ_0_1 00"

# Settings files: one as the program writes it, read-only values named, unknown and nested
# members, escapes (a surrogate pair, an escaped key), and values out of range behind a BOM.
settings() { mkdir -p settings_file && printf "$2" >"settings_file/$1"; }
settings saved '{\n  "sensorNumber": 1234,\n  "date": "2026-12-10T10:13:25",\n  "version": 7,\n  "address": 5,\n  "fullLevel": 3500,\n  "emptyLevel": 300,\n  "outputResolutionBits": 10,\n  "outputIntervalSeconds": 30\n}\n'
settings read-only-named '{"sensorNumber": 1, "date": "2026-01-01", "address": 0, "rawValue": 0, "outputLevel": 4095}'
settings unknown-nested '{"sensorNumber": 1234, "date": "2026-12-10", "address": 7, "pump": [1, {"a": null}], "x": 1.5e3}'
settings escapes '{"sensorNumber": 1234, "date": "2026-12-10\\u00e9\\ud83d\\ude00", "addr\\u0065ss": 7, "fullLevel": -0}'
settings out-of-range '\xef\xbb\xbf{"sensorNumber": 99999999999999999999, "date": "x", "address": 256}'

# The frame reader on a timed line: bursts (gap, kind, frame bytes), then requests, reads and
# waits. A late answer whose head waits when the next request goes out; an echo merged with
# an answer; noise after a cut frame.
seed frame_line late-head 03 64 00 00 01 02 03 04 05 06 07 08 09 0a 00 00 00 00 \
  0a 00 00 00 01 03 07 00 00 00 00 01 02 03 00 00 00 00 01 01 00 00 01 40 01 01 05 80 01 03 0a
seed frame_line echo-merged 02 05 00 40 bb cf 58 00 01 03 01 00 00 00 bb cf 58 00 01 03 07 00 00 00 \
  00 03 01 02 00 01 02 05 03 ff
seed frame_line cut-noise 02 10 00 06 bb cf 58 00 02 04 00 00 00 00 03 05 a5 11 22 33 44 \
  20 00 00 bb cf 58 00 01 05 c8 00 00 00 01 02 10 01 00 01 03 40
