#!/usr/bin/env python3
"""Runs DisplayCAL's own Resolve pattern-generator server, headless, for the
calibration tests: python3 displaycal_server.py DISPLAYCAL_DIR PORT [video]

DISPLAYCAL_DIR is the folder holding the DisplayCAL package (extracted from
Debian's displaycal). The server waits for the client to connect, then sends
one patch for each line read from stdin:
    RED GREEN BLUE BG_RED BG_GREEN BG_BLUE X Y CX CY
codes 0-1023 and fractions of the output. End of input disconnects. With
"video" the server is set to video levels (DisplayCAL's "Output levels:
Limited range"), so it sends each colour scaled to 64-940 itself."""
import sys

sys.path.insert(0, sys.argv[1])
from DisplayCAL.patterngenerators import ResolveCMPatternGeneratorServer  # noqa: E402

video_levels = len(sys.argv) > 3 and sys.argv[3] == "video"
server = ResolveCMPatternGeneratorServer(port=int(sys.argv[2]), bits=10,
                                         use_video_levels=video_levels)
print("listening", flush=True)
server.wait()
for line in sys.stdin:
    fields = line.split()
    if len(fields) != 10:
        continue
    codes = [int(f) / 1023.0 for f in fields[:6]]
    x, y, cx, cy = (float(f) for f in fields[6:])
    server.send(tuple(codes[:3]), bgrgb=tuple(codes[3:]), x=x, y=y, w=cx, h=cy)
server.disconnect_client()
