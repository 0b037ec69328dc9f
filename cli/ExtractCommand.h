// zmcli extract [-o] [-r FILE.reg] ARCHIVE DIR [ITEM...]: writes an archive's
// files and directories below DIR (see CArchiveExtractor), one line per problem
// and a last line with what was written. Exit 0 when everything asked for was
// written or kept, 1 when the archive is damaged or not an archive, or anything
// was refused, failed or not found, 2 on bad usage.
//
// zmcli extract --bench [DIR]: extracts a large generated tree and prints its
// speed beside the codec's own decoding of the same blocks, into memory and, as
// "zmcli lzss d" does, into one file each.
#pragma once

int ExtractCommand(int argc, char** argv);
