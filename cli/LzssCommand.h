// "zmcli lzss": raw LZSS code of a file, its decoding, and the codec benchmark.
#pragma once

int LzssCommand(int argc, char** argv);
