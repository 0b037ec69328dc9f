// zmcli: runs the engines from the command line, one subcommand per engine.
#include "cli/Zmcli.h"

int main(int argc, char** argv) { return ZmcliMain(argc, argv); }
