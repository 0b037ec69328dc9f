// "zmcli compare": the result lines of comparing two reports, and the matching
// benchmark.
//   zmcli compare OLD.zmr NEW.zmr [-l]   lines as the difference log holds them
//                                        (CR LF after each); with -l then "--"
//                                        and the collected path and key lists
//   zmcli compare --bench                indexed against literal matching
// Exit status: 0 compared, 1 a file is not a report, 2 bad usage.
#pragma once

int CompareCommand(int argc, char** argv);
