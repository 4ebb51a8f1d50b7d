// Finding a cel's palette file through the set configuration files (*.cnf)
// beside it, or the first palette file (*.kcf) there.
#pragma once

// out: receives the palette file's path, or the empty string; a path that
// would not fit whole in outSize bytes is never returned cut short. celPath:
// the cel's path as the host passed it. Result: -1 when the arguments are
// unusable or nothing is found; otherwise the group index within the file
// named in out (0: each palette file of a configuration holds its own
// colours). Uses the process-wide line store; not re-entrant.
int FindPaletteFile(char* out, const char* celPath, int outSize);
